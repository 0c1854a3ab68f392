#include "OfficeProcess.h"
#include "OfficeSafety.h"
#include "UnoProperties.h"
#include "UnoSupport.h"
#include "WriterDocument.h"

#include <QFileInfo>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>

namespace brindlecast::engine::writer {

using css::uno::Any;
using css::uno::Reference;
using css::uno::UNO_QUERY_THROW;

WriterApplication::WriterApplication(std::shared_ptr<OfficeProcess> office, Clipboard& clipboard,
                                     PictureSize pictureSize)
    : mSession{std::move(office), clipboard, pictureSize} {}

WriterApplication::~WriterApplication() {
    quit();
}

Document& WriterApplication::open(const QString& path, bool readOnly) {
    const QString failure = QStringLiteral("Cannot open the document %1.").arg(path);
    if (!QFileInfo(path).isFile())
        throw EngineError(failure.toStdString());
    Reference<css::lang::XComponent> component;
    const auto questions = std::make_shared<OpenQuestions>();
    FileGate::Pass pass;
    try {
        pass = mSession.office->allowFile(path);
        const Reference<css::frame::XComponentLoader> loader(mSession.office->desktop(),
                                                             UNO_QUERY_THROW);
        // The template itself opens, not a new document made from it; its macros never run,
        // its links are never updated (its attached template neither), and a question, such
        // as a password, is answered with "cancel" rather than left waiting.
        component = loader->loadComponentFromURL(
            fileUrl(path), OUString("_blank"), 0,
            properties(
                {property("Hidden", Any(true)), property("ReadOnly", Any(readOnly)),
                 property("AsTemplate", Any(false)),
                 property("MacroExecutionMode", Any(css::document::MacroExecMode::NEVER_EXECUTE)),
                 property("UpdateDocMode", Any(css::document::UpdateDocMode::NO_UPDATE)),
                 property("InteractionHandler", Any(RefusingInteractionHandler(questions)))}));
    } catch (...) {
        if (!questions->password)
            throw mSession.error(failure);
    }
    if (questions->password) {
        if (component.is())
            component->dispose();
        throw EngineError(
            QStringLiteral("Cannot open the document %1: it is protected by a password.")
                .arg(path)
                .toStdString());
    }
    if (!component.is())
        throw EngineError(failure.toStdString());
    mDocuments.push_back(
        std::make_unique<WriterDocument>(mSession, component, path, std::move(pass)));
    try {
        mDocuments.back()->holdLayout();
        // Whatever is made of the document goes to other people: without its macros.
        StripMacros(component);
    } catch (...) {
        throw mSession.error(failure);
    }
    return *mDocuments.back();
}

WriterDocument& WriterApplication::active() {
    for (auto document = mDocuments.rbegin(); document != mDocuments.rend(); ++document) {
        if (!(*document)->isClosed())
            return **document;
    }
    throw EngineError("No document is open.");
}

Range& WriterApplication::selection() {
    return active().selectionRange();
}

Document& WriterApplication::activeDocument() {
    return active();
}

void WriterApplication::quit() {
    for (const auto& document : mDocuments)
        document->closeQuietly();
}

} // namespace brindlecast::engine::writer
