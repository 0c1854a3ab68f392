#include "OfficeProcess.h"
#include "OfficeSafety.h"
#include "UnoSupport.h"
#include "WriterDocument.h"

#include <QFileInfo>
#include <com/sun/star/frame/XComponentLoader.hpp>

namespace brindlecast::engine::writer {

using css::uno::Reference;
using css::uno::UNO_QUERY_THROW;

WriterApplication::WriterApplication(std::shared_ptr<OfficeProcess> office, Clipboard& clipboard,
                                     PictureSize pictureSize)
    : mSession{std::move(office), clipboard, pictureSize} {}

WriterApplication::~WriterApplication() {
    quit();
}

namespace {

// Why the document did not open, from the exception being handled.
QString openFailure(const SessionContext& session) {
    if (!session.engineAlive())
        return QStringLiteral("the document engine stopped while opening it");
    return QString::fromStdString(
        session.error(QStringLiteral("the document engine could not read it (it may be damaged)"))
            .what());
}

} // namespace

Document& WriterApplication::open(const QString& path, bool readOnly) {
    if (!QFileInfo(path).isFile())
        throw OpenError(path, QStringLiteral("there is no such file"));
    Reference<css::lang::XComponent> component;
    const auto questions = std::make_shared<OpenQuestions>();
    FileGate::Pass pass;
    QString failure;
    try {
        pass = mSession.office->allowFile(path);
        const Reference<css::frame::XComponentLoader> loader(mSession.office->desktop(),
                                                             UNO_QUERY_THROW);
        // Its attached template is never updated either.
        component = loader->loadComponentFromURL(fileUrl(path), OUString("_blank"), 0,
                                                 SafeLoadArguments(readOnly, questions));
    } catch (...) {
        failure = openFailure(mSession);
    }
    if (questions->password) {
        if (component.is())
            component->dispose();
        throw OpenError(path, QStringLiteral("it is protected by a password"));
    }
    if (!failure.isEmpty())
        throw OpenError(path, failure);
    if (!component.is())
        throw OpenError(
            path, QStringLiteral("the document engine could not read it (it may be damaged)"));
    mDocuments.push_back(
        std::make_unique<WriterDocument>(mSession, component, path, std::move(pass)));
    try {
        mDocuments.back()->holdLayout();
        // Whatever is made of the document goes to other people: without its macros.
        StripMacros(component);
    } catch (...) {
        failure = openFailure(mSession);
        mDocuments.back()->closeQuietly();
        throw OpenError(path, failure);
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
