// Finding a document's stories: its main text, the headers and footers in use, the notes,
// and the texts of its frames and shapes.
#include "UnoProperties.h"
#include "UnoSupport.h"
#include "WriterDocument.h"

#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/drawing/XDrawPageSupplier.hpp>
#include <com/sun/star/style/XStyle.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/text/XEndnotesSupplier.hpp>
#include <com/sun/star/text/XFootnotesSupplier.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/text/XTextFrame.hpp>

namespace brindlecast::engine::writer {

using css::uno::Any;
using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

namespace {

// Writer offers only the single-page supplier, which the API marks as superseded.
Reference<css::container::XIndexAccess>
drawPageOf(const Reference<css::lang::XComponent>& document) {
    const Reference<css::drawing::XDrawPageSupplier> supplier(document, UNO_QUERY_THROW);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    return Reference<css::container::XIndexAccess>(supplier->getDrawPage(), UNO_QUERY_THROW);
#pragma GCC diagnostic pop
}

} // namespace

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

void WriterDocument::addStory(const Reference<css::text::XText>& text, int storyType) {
    if (!text.is())
        return;
    auto story = std::make_shared<TextStory>(text, TextStory::Kind::Writer);
    mStories.push_back(story);
    mStoryRanges.push_back(std::make_unique<WriterRange>(*this, story, storyType));
}

// Headers and footers of the page styles in use. The left and first-page variants are texts of
// their own only when they are not shared with the right pages.
void WriterDocument::discoverHeadersAndFooters() {
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
            const bool header = prefix == "Header";
            const int primary = header ? PrimaryHeaderStory : PrimaryFooterStory;
            if (!propertyOr(properties, (prefix + "IsOn").constData(), false))
                continue;
            const auto text = [&](const char* suffix) {
                return Reference<css::text::XText>(
                    properties->getPropertyValue(
                        OUString::createFromAscii((prefix + suffix).constData())),
                    UNO_QUERY);
            };
            addStory(text("Text"), primary);
            if (!propertyOr(properties, (prefix + "IsShared").constData(), true))
                addStory(text("TextLeft"), primary - 1);
            if (!firstShared)
                addStory(text("TextFirst"), header ? FirstPageHeaderStory : FirstPageFooterStory);
        }
    }
}

void WriterDocument::discoverNotes() {
    const Reference<css::text::XFootnotesSupplier> footnotes(mComponent, UNO_QUERY);
    const Reference<css::text::XEndnotesSupplier> endnotes(mComponent, UNO_QUERY);
    const std::pair<Reference<css::container::XIndexAccess>, int> kinds[] = {
        {footnotes.is() ? footnotes->getFootnotes() : Reference<css::container::XIndexAccess>(),
         FootnotesStory},
        {endnotes.is() ? endnotes->getEndnotes() : Reference<css::container::XIndexAccess>(),
         EndnotesStory}};
    for (const auto& [notes, storyType] : kinds) {
        if (!notes.is())
            continue;
        const sal_Int32 count = notes->getCount();
        for (sal_Int32 i = 0; i < count; ++i)
            addStory(Reference<css::text::XText>(notes->getByIndex(i), UNO_QUERY), storyType);
    }
}

void WriterDocument::discoverStories() {
    if (mStoriesKnown)
        return;
    mStoryRanges.push_back(std::make_unique<WriterRange>(*this, mainStory(), MainTextStory));
    discoverHeadersAndFooters();
    discoverNotes();
    // The first text box is a story too; its range shares the shape's copy of the text.
    discoverShapes();
    for (const auto& shape : mShapes) {
        if (shape->isTextBox()) {
            mStoryRanges.push_back(
                std::make_unique<WriterRange>(*this, shape->story(), TextFrameStory));
            break;
        }
    }
    mStoriesKnown = true;
}

} // namespace brindlecast::engine::writer
