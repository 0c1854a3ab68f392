#include "WriterDocument.h"

#include "OfficeProcess.h"
#include "UnoProperties.h"
#include "UnoSupport.h"

#include <com/sun/star/document/XDocumentProperties.hpp>
#include <com/sun/star/document/XDocumentPropertiesSupplier.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>

namespace brindlecast::engine::writer {

using css::uno::Any;
using css::uno::Reference;
using css::uno::Sequence;
using css::uno::UNO_QUERY_THROW;

WriterDocument::WriterDocument(const SessionContext& session,
                               Reference<css::lang::XComponent> component, QString path,
                               FileGate::Pass pass)
    : mSession(session)
    , mComponent(std::move(component))
    , mPath(std::move(path))
    , mPass(std::move(pass)) {}

WriterDocument::~WriterDocument() {
    closeQuietly();
}

void WriterDocument::requireOpen() const {
    if (isClosed())
        throw EngineError(QStringLiteral("The document %1 is closed.").arg(mPath).toStdString());
}

std::vector<Range*> WriterDocument::storyRanges() {
    requireOpen();
    try {
        discoverStories();
    } catch (...) {
        mStoryRanges.clear();
        throw mSession.error(QStringLiteral("The stories of %1 could not be read.").arg(mPath));
    }
    std::vector<Range*> ranges;
    for (const auto& range : mStoryRanges)
        ranges.push_back(range.get());
    return ranges;
}

std::vector<Shape*> WriterDocument::shapes() {
    requireOpen();
    try {
        discoverShapes();
    } catch (...) {
        mShapes.clear();
        throw mSession.error(QStringLiteral("The shapes of %1 could not be read.").arg(mPath));
    }
    std::vector<Shape*> shapes;
    for (const auto& shape : mShapes)
        shapes.push_back(shape.get());
    return shapes;
}

// The whole main text and the selection are both ranges over the main story, each with its
// own find settings.
WriterRange& WriterDocument::mainRange(std::unique_ptr<WriterRange>& range) {
    requireOpen();
    if (!range) {
        try {
            range = std::make_unique<WriterRange>(*this, mainStory(), MainTextStory);
        } catch (...) {
            throw mSession.error(QStringLiteral("The text of %1 could not be read.").arg(mPath));
        }
    }
    return *range;
}

Range& WriterDocument::range() {
    return mainRange(mWholeRange);
}

WriterRange& WriterDocument::selectionRange() {
    return mainRange(mSelection);
}

void WriterDocument::holdLayout() {
    Reference<css::frame::XModel>(mComponent, UNO_QUERY_THROW)->lockControllers();
    mLayoutHeld = true;
}

void WriterDocument::prepareOutput() {
    for (const auto& story : mStories)
        story->flush();
    if (mLayoutHeld) {
        mLayoutHeld = false;
        Reference<css::frame::XModel>(mComponent, UNO_QUERY_THROW)->unlockControllers();
    }
}

void WriterDocument::exportTo(const QString& path, const QString& filterName,
                              std::initializer_list<css::beans::PropertyValue> more) {
    requireOpen();
    try {
        prepareOutput();
        std::vector<css::beans::PropertyValue> arguments{
            property("FilterName", Any(toOUString(filterName))), property("Overwrite", Any(true))};
        arguments.insert(arguments.end(), more.begin(), more.end());
        const Reference<css::frame::XStorable> storable(mComponent, UNO_QUERY_THROW);
        const FileGate::Pass pass =
            mSession.office->allowFile(path, FileGate::Scope::FileAndFolder);
        storable->storeToURL(fileUrl(path), Sequence<css::beans::PropertyValue>(
                                                arguments.data(), sal_Int32(arguments.size())));
    } catch (...) {
        throw mSession.error(QStringLiteral("Cannot save the document %1.").arg(path));
    }
}

void WriterDocument::saveAs(const QString& path, SaveFormat format) {
    switch (format) {
    case SaveFormat::Doc:
        exportTo(path, QStringLiteral("MS Word 97"));
        return;
    case SaveFormat::Docx:
        exportTo(path, QStringLiteral("MS Word 2007 XML"));
        return;
    case SaveFormat::Odt:
        // Drawing the page for the file's thumbnail picture doubles the time of the save.
        exportTo(path, QStringLiteral("writer8"), {property("NoThumbnail", Any(true))});
        return;
    case SaveFormat::Pdf:
        // Tagged for screen readers; every font embedded, the standard fourteen included, so
        // the page looks the same on a machine without our fonts.
        exportTo(
            path, QStringLiteral("writer_pdf_Export"),
            {property("FilterData", Any(properties({property("UseTaggedPDF", Any(true)),
                                                    property("EmbedStandardFonts", Any(true))})))});
        return;
    }
    throw EngineError(
        QStringLiteral("The file format %1 is not supported.").arg(int(format)).toStdString());
}

void WriterDocument::setTitle(const QString& title) {
    requireOpen();
    try {
        const Reference<css::document::XDocumentPropertiesSupplier> supplier(mComponent,
                                                                             UNO_QUERY_THROW);
        supplier->getDocumentProperties()->setTitle(toOUString(title));
    } catch (...) {
        throw mSession.error(QStringLiteral("The title of %1 could not be set.").arg(mPath));
    }
}

void WriterDocument::closeQuietly() {
    if (isClosed())
        return;
    // Every reference into the document goes at once, before the document does.
    for (const auto& story : mStories)
        story->release();
    const Reference<css::lang::XComponent> component = std::move(mComponent);
    mComponent.clear();
    // Its file stays open to the office until the document has gone.
    const FileGate::Pass pass = std::move(mPass);
    if (!mSession.engineAlive())
        return;
    closeComponent(component);
}

void WriterDocument::close() {
    closeQuietly();
}

} // namespace brindlecast::engine::writer
