#include "WriterDocument.h"

#include "OfficeProcess.h"
#include "UnoSupport.h"
#include "app/Platform.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <cmath>
#include <com/sun/star/awt/Size.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/beans/XPropertySetInfo.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/XDocumentProperties.hpp>
#include <com/sun/star/document/XDocumentPropertiesSupplier.hpp>
#include <com/sun/star/drawing/XDrawPageSupplier.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/style/XStyle.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/text/XEndnotesSupplier.hpp>
#include <com/sun/star/text/XFootnote.hpp>
#include <com/sun/star/text/XFootnotesSupplier.hpp>
#include <com/sun/star/text/XPageCursor.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/text/XTextFrame.hpp>
#include <com/sun/star/text/XTextViewCursorSupplier.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <initializer_list>

namespace brindlecast::engine::writer {

using css::uno::Any;
using css::uno::Reference;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

namespace {

css::beans::PropertyValue property(const char* name, const Any& value) {
    css::beans::PropertyValue result;
    result.Name = OUString::createFromAscii(name);
    result.Value = value;
    return result;
}

Sequence<css::beans::PropertyValue>
properties(std::initializer_list<css::beans::PropertyValue> values) {
    return Sequence<css::beans::PropertyValue>(values.begin(), sal_Int32(values.size()));
}

// Writer offers only the single-page supplier, which the API marks as superseded.
Reference<css::container::XIndexAccess>
drawPageOf(const Reference<css::lang::XComponent>& document) {
    const Reference<css::drawing::XDrawPageSupplier> supplier(document, UNO_QUERY_THROW);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    return Reference<css::container::XIndexAccess>(supplier->getDrawPage(), UNO_QUERY_THROW);
#pragma GCC diagnostic pop
}

template <typename T>
T propertyOr(const Reference<css::beans::XPropertySet>& properties, const char* name, T fallback) {
    T value = fallback;
    if (properties->getPropertySetInfo()->hasPropertyByName(OUString::createFromAscii(name)))
        properties->getPropertyValue(OUString::createFromAscii(name)) >>= value;
    return value;
}

} // namespace

bool SessionContext::engineAlive() const {
    return office && office->alive();
}

EngineError SessionContext::error(const QString& context) const {
    return currentEngineError(context, [this] { return engineAlive(); });
}

// ---- Find ----------------------------------------------------------------------------------

void WriterFind::execute(Replace replace) {
    // Only literal matching is offered; a caller relying on pattern matching would silently get
    // wrong documents, so it is told instead.
    if (mWildcards || mSoundsLike || mAllWordForms)
        throw EngineError("The document engine supports literal find and replace only.");
    const TextPattern pattern{mText, mMatchCase, mWholeWord};
    try {
        switch (replace) {
        case Replace::None:
            mStory.replace(pattern, nullptr, false);
            break;
        case Replace::One:
            mStory.replace(pattern, &mReplacement, false);
            break;
        case Replace::All:
            mStory.replace(pattern, &mReplacement, true);
            break;
        }
    } catch (...) {
        throw mSession.error(QStringLiteral("Replacing \"%1\" failed.").arg(mText));
    }
}

void WriterFind::execute(const QString& findText, const QString& replaceWith, Replace replace) {
    mText = findText;
    mReplacement = replaceWith;
    execute(replace);
}

// ---- Range and shape -----------------------------------------------------------------------

WriterRange::WriterRange(WriterDocument& document, std::shared_ptr<TextStory> story)
    : mDocument(document)
    , mStory(std::move(story))
    , mFind(document.session(), *mStory) {}

void WriterRange::copyAsPicture() {
    mDocument.copyFirstPageAsPicture();
}

WriterShape::WriterShape(WriterDocument& document, std::shared_ptr<TextStory> story, bool textBox)
    : mDocument(document)
    , mStory(std::move(story))
    , mTextBox(textBox) {
    if (mStory)
        mRange = std::make_unique<WriterRange>(document, mStory);
}

bool WriterShape::hasText() {
    if (!mStory)
        return false;
    try {
        return mStory->hasText();
    } catch (...) {
        throw mDocument.session().error(QStringLiteral("The shape's text could not be read."));
    }
}

Range& WriterShape::textRange() {
    if (!mRange)
        throw EngineError("This shape holds no text.");
    return *mRange;
}

// ---- Document ------------------------------------------------------------------------------

WriterDocument::WriterDocument(const SessionContext& session,
                               Reference<css::lang::XComponent> component, QString path)
    : mSession(session)
    , mComponent(std::move(component))
    , mPath(std::move(path)) {}

WriterDocument::~WriterDocument() {
    closeQuietly();
}

void WriterDocument::requireOpen() const {
    if (isClosed())
        throw EngineError(QStringLiteral("The document %1 is closed.").arg(mPath).toStdString());
}

std::shared_ptr<TextStory> WriterDocument::mainStory() {
    if (!mMain) {
        const Reference<css::text::XTextDocument> document(mComponent, UNO_QUERY_THROW);
        mMain = std::make_shared<TextStory>(document->getText(), TextStory::Kind::Writer);
        mStories.push_back(mMain);
    }
    return mMain;
}

void WriterDocument::discoverShapes() {
    if (mShapesKnown)
        return;
    const Reference<css::container::XIndexAccess> page = drawPageOf(mComponent);
    const sal_Int32 count = page->getCount();
    for (sal_Int32 i = 0; i < count; ++i) {
        const Any element = page->getByIndex(i);
        std::shared_ptr<TextStory> story;
        bool textBox = false;
        const Reference<css::text::XTextFrame> frame(element, UNO_QUERY);
        if (frame.is()) {
            story = std::make_shared<TextStory>(frame->getText(), TextStory::Kind::Writer);
            textBox = true;
        } else {
            const Reference<css::beans::XPropertySet> properties(element, UNO_QUERY);
            if (properties.is() && propertyOr(properties, "TextBox", false)) {
                // The shape's text lives in a frame attached to it.
                const Reference<css::text::XTextFrame> content(
                    properties->getPropertyValue(OUString("TextBoxContent")), UNO_QUERY);
                if (content.is()) {
                    story =
                        std::make_shared<TextStory>(content->getText(), TextStory::Kind::Writer);
                    textBox = true;
                }
            }
            if (!story) {
                const Reference<css::text::XText> text(element, UNO_QUERY);
                if (text.is())
                    story = std::make_shared<TextStory>(text, TextStory::Kind::Shape);
            }
        }
        if (story)
            mStories.push_back(story);
        mShapes.push_back(std::make_unique<WriterShape>(*this, story, textBox));
    }
    mShapesKnown = true;
}

void WriterDocument::discoverStories() {
    if (mStoriesKnown)
        return;
    const auto add = [this](const Reference<css::text::XText>& text) {
        if (!text.is())
            return;
        auto story = std::make_shared<TextStory>(text, TextStory::Kind::Writer);
        mStories.push_back(story);
        mStoryRanges.push_back(std::make_unique<WriterRange>(*this, story));
    };
    mStoryRanges.push_back(std::make_unique<WriterRange>(*this, mainStory()));

    // Headers and footers of the page styles in use. The left and first-page variants are
    // texts of their own only when they are not shared with the right pages.
    const Reference<css::style::XStyleFamiliesSupplier> families(mComponent, UNO_QUERY_THROW);
    const Reference<css::container::XNameAccess> pageStyles(
        families->getStyleFamilies()->getByName(OUString("PageStyles")), UNO_QUERY_THROW);
    for (const OUString& name : pageStyles->getElementNames()) {
        const Reference<css::style::XStyle> style(pageStyles->getByName(name), UNO_QUERY_THROW);
        if (!style->isInUse())
            continue;
        const Reference<css::beans::XPropertySet> properties(style, UNO_QUERY_THROW);
        const bool firstShared = propertyOr(properties, "FirstIsShared", true);
        for (const char* part : {"Header", "Footer"}) {
            const QByteArray prefix(part);
            if (!propertyOr(properties, (prefix + "IsOn").constData(), false))
                continue;
            const auto text = [&](const char* suffix) {
                return Reference<css::text::XText>(
                    properties->getPropertyValue(
                        OUString::createFromAscii((prefix + suffix).constData())),
                    UNO_QUERY);
            };
            add(text("Text"));
            if (!propertyOr(properties, (prefix + "IsShared").constData(), true))
                add(text("TextLeft"));
            if (!firstShared)
                add(text("TextFirst"));
        }
    }

    const Reference<css::text::XFootnotesSupplier> footnotes(mComponent, UNO_QUERY);
    const Reference<css::text::XEndnotesSupplier> endnotes(mComponent, UNO_QUERY);
    for (const Reference<css::container::XIndexAccess>& notes :
         {footnotes.is() ? footnotes->getFootnotes() : Reference<css::container::XIndexAccess>(),
          endnotes.is() ? endnotes->getEndnotes() : Reference<css::container::XIndexAccess>()}) {
        if (!notes.is())
            continue;
        const sal_Int32 count = notes->getCount();
        for (sal_Int32 i = 0; i < count; ++i)
            add(Reference<css::text::XText>(notes->getByIndex(i), UNO_QUERY));
    }

    // The first text box is a story too; its range shares the shape's copy of the text.
    discoverShapes();
    for (const auto& shape : mShapes) {
        if (shape->isTextBox()) {
            mStoryRanges.push_back(std::make_unique<WriterRange>(*this, shape->story()));
            break;
        }
    }
    mStoriesKnown = true;
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
            range = std::make_unique<WriterRange>(*this, mainStory());
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

void WriterDocument::copyFirstPageAsPicture() {
    requireOpen();
    const QString picturePath =
        QStringLiteral("%1/page-%2.png").arg(mSession.office->folder()).arg(++mPictureCount);
    QImage picture;
    QSize target;
    try {
        prepareOutput();
        const Reference<css::frame::XModel> model(mComponent, UNO_QUERY_THROW);
        // The export draws the page holding the view cursor.
        OUString pageStyleName;
        const Reference<css::text::XTextViewCursorSupplier> view(model->getCurrentController(),
                                                                 UNO_QUERY);
        if (view.is()) {
            const Reference<css::text::XTextViewCursor> cursor = view->getViewCursor();
            Reference<css::text::XPageCursor>(cursor, UNO_QUERY_THROW)->jumpToFirstPage();
            Reference<css::beans::XPropertySet>(cursor, UNO_QUERY_THROW)
                ->getPropertyValue(OUString("PageStyleName")) >>= pageStyleName;
        }
        const Reference<css::style::XStyleFamiliesSupplier> families(mComponent, UNO_QUERY_THROW);
        const Reference<css::container::XNameAccess> pageStyles(
            families->getStyleFamilies()->getByName(OUString("PageStyles")), UNO_QUERY_THROW);
        if (pageStyleName.isEmpty() || !pageStyles->hasByName(pageStyleName))
            pageStyleName = OUString("Standard");
        css::awt::Size page(21000, 29700); // A4, should the style not tell
        Reference<css::beans::XPropertySet>(pageStyles->getByName(pageStyleName), UNO_QUERY_THROW)
            ->getPropertyValue(OUString("Size")) >>= page;
        if (page.Width <= 0 || page.Height <= 0)
            page = css::awt::Size(21000, 29700);
        // Without both sizes the picture is stretched to a default shape. The export makes the
        // picture one pixel wider and higher than asked, so it is asked for one less.
        const int width = mSession.pictureSize.logicalWidth * mSession.pictureSize.scale;
        target = QSize(width, int(std::lround(double(width) * page.Height / page.Width)));
        QFile::remove(picturePath);
        const Reference<css::frame::XStorable> storable(mComponent, UNO_QUERY_THROW);
        storable->storeToURL(
            fileUrl(picturePath),
            properties(
                {property("FilterName", Any(OUString("writer_png_Export"))),
                 property("FilterData",
                          Any(properties(
                              {property("PixelWidth", Any(sal_Int32(target.width() - 1))),
                               property("PixelHeight", Any(sal_Int32(target.height() - 1)))})))}));
        picture.load(picturePath, "PNG");
        QFile::remove(picturePath);
    } catch (...) {
        QFile::remove(picturePath);
        throw mSession.error(
            QStringLiteral("The page picture of %1 could not be made.").arg(mPath));
    }
    if (picture.isNull())
        throw EngineError(
            QStringLiteral("The page picture of %1 could not be made.").arg(mPath).toStdString());
    if (picture.size() != target)
        picture = picture.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const int dotsPerMeter = int(std::lround(96.0 * mSession.pictureSize.scale / 0.0254));
    picture.setDotsPerMeterX(dotsPerMeter);
    picture.setDotsPerMeterY(dotsPerMeter);
    mSession.clipboard.setPicture(picture);
}

void WriterDocument::closeQuietly() {
    if (isClosed())
        return;
    // Every reference into the document goes at once, before the document does.
    for (const auto& story : mStories)
        story->release();
    const Reference<css::lang::XComponent> component = std::move(mComponent);
    mComponent.clear();
    if (!mSession.engineAlive())
        return;
    try {
        const Reference<css::util::XCloseable> closeable(component, UNO_QUERY);
        if (closeable.is())
            closeable->close(true);
        else
            component->dispose();
    } catch (...) {
        // A vetoed close hands the document to whoever vetoed; a dead engine took it along.
    }
}

void WriterDocument::close() {
    closeQuietly();
}

// ---- Application ---------------------------------------------------------------------------

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
    try {
        const Reference<css::frame::XComponentLoader> loader(mSession.office->desktop(),
                                                             UNO_QUERY_THROW);
        // The template itself opens, not a new document made from it, and its macros never run.
        component = loader->loadComponentFromURL(
            fileUrl(path), OUString("_blank"), 0,
            properties({property("Hidden", Any(true)), property("ReadOnly", Any(readOnly)),
                        property("AsTemplate", Any(false)),
                        property("MacroExecutionMode",
                                 Any(css::document::MacroExecMode::NEVER_EXECUTE))}));
    } catch (...) {
        throw mSession.error(failure);
    }
    if (!component.is())
        throw EngineError(failure.toStdString());
    mDocuments.push_back(std::make_unique<WriterDocument>(mSession, component, path));
    try {
        mDocuments.back()->holdLayout();
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
