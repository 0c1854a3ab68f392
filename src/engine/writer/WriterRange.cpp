// The session's shared context and the document's ranges, finds and shapes.
#include "OfficeProcess.h"
#include "UnoSupport.h"
#include "WriterDocument.h"

namespace brindlecast::engine::writer {

bool SessionContext::engineAlive() const {
    return office && office->alive();
}

EngineError SessionContext::error(const QString& context) const {
    return currentEngineError(context, [this] { return engineAlive(); });
}

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

WriterRange::WriterRange(WriterDocument& document, std::shared_ptr<TextStory> story, int storyType)
    : mDocument(document)
    , mStory(std::move(story))
    , mFind(document.session(), *mStory)
    , mStoryType(storyType) {}

void WriterRange::copyAsPicture() {
    mDocument.copyFirstPageAsPicture();
}

// Objects show as ObjectCharacter where a bracketed word may be, which a check of a template's
// bracketed words looks at; elsewhere as their own text, as Word's Range.Text shows them.
QString WriterRange::text() {
    try {
        QString text = mStory->plainText(TextStory::Objects::MarkedNearBrackets);
        text.chop(1); // the last paragraph's end separates nothing
        return text;
    } catch (...) {
        throw mDocument.session().error(QStringLiteral("The text could not be read."));
    }
}

std::vector<QString> WriterRange::tableTexts() {
    try {
        return mStory->tableTexts(TextStory::Objects::MarkedNearBrackets);
    } catch (...) {
        throw mDocument.session().error(QStringLiteral("The tables could not be read."));
    }
}

std::vector<ParagraphText> WriterRange::paragraphs() {
    try {
        return mStory->paragraphs();
    } catch (...) {
        throw mDocument.session().error(QStringLiteral("The paragraphs could not be read."));
    }
}

void WriterRange::deleteText(int fromParagraph, qsizetype fromOffset, int toParagraph,
                             qsizetype toOffset) {
    try {
        mStory->deleteText(fromParagraph, fromOffset, toParagraph, toOffset);
    } catch (...) {
        throw mDocument.session().error(QStringLiteral("A part of the text could not be deleted."));
    }
}

WriterShape::WriterShape(WriterDocument& document, std::shared_ptr<TextStory> story, bool textBox)
    : mDocument(document)
    , mStory(std::move(story))
    , mTextBox(textBox) {
    if (mStory)
        mRange = std::make_unique<WriterRange>(document, mStory, TextFrameStory);
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

} // namespace brindlecast::engine::writer
