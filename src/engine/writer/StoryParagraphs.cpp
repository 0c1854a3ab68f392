// A text's paragraphs as a list, and deleting a span of them: what the blocks that fit each
// recipient take out before the fields are filled.
#include "TextStory.h"
#include "UnoSupport.h"

namespace brindlecast::engine::writer {

using css::uno::Reference;

std::vector<ParagraphText> TextStory::paragraphs() {
    requireOpen();
    flush();
    std::vector<Paragraph> listed;
    collect(mText, listed, false);
    std::vector<ParagraphText> texts;
    texts.reserve(listed.size());
    for (Paragraph& paragraph : listed) {
        // Only a paragraph with a bracket may hold a marker, and only a marker's paragraph is
        // cut inside; the others are cut at their ends, which the engine finds itself.
        markObjectsNearBrackets(paragraph);
        texts.push_back({paragraph.text.text(), paragraph.cell});
    }
    mListed = std::move(listed);
    return texts;
}

// The cursor to the place `offset` of `paragraph`; a paragraph's ends are the engine's own, so
// that objects counted as their text there cannot lead it astray.
void TextStory::moveTo(const Reference<css::text::XTextCursor>& cursor, const Paragraph& paragraph,
                       qsizetype offset, bool select) const {
    const QString& text = paragraph.text.text();
    if (offset == text.size()) {
        cursor->gotoRange(paragraph.range->getEnd(), select);
        return;
    }
    cursor->gotoRange(paragraph.range->getStart(), select);
    if (!moveRight(cursor, cursorSteps(QStringView(text).first(offset)), select))
        throw EngineError("A place in a paragraph could not be reached.");
}

QString TextStory::listedSpan(int fromParagraph, qsizetype fromOffset, int toParagraph,
                              qsizetype toOffset) const {
    QString span;
    for (int k = fromParagraph; k <= toParagraph; ++k) {
        const QString& text = mListed[size_t(k)].text.text();
        const qsizetype from = k == fromParagraph ? fromOffset : 0;
        const qsizetype to = k == toParagraph ? toOffset : text.size();
        span += QStringView(text).sliced(from, to - from);
        if (k < toParagraph)
            span += QLatin1Char('\n');
    }
    return span;
}

void TextStory::deleteText(int fromParagraph, qsizetype fromOffset, int toParagraph,
                           qsizetype toOffset) {
    requireOpen();
    const int count = int(mListed.size());
    const auto length = [this](int k) { return mListed[size_t(k)].text.text().size(); };
    if (fromParagraph < 0 || toParagraph >= count || fromParagraph > toParagraph ||
        fromOffset < 0 || fromOffset > length(fromParagraph) || toOffset < 0 ||
        toOffset > length(toParagraph) || (fromParagraph == toParagraph && fromOffset > toOffset) ||
        mListed[size_t(fromParagraph)].owner != mListed[size_t(toParagraph)].owner)
        throw EngineError("The span to delete is not one of the text's.");
    const Paragraph& from = mListed[size_t(fromParagraph)];
    const Reference<css::text::XTextCursor> cursor =
        from.owner->createTextCursorByRange(from.range->getStart());
    keep(cursor);
    moveTo(cursor, from, fromOffset, false);
    // Going to a range while selecting selects both, so within a paragraph the cursor walks on.
    const Paragraph& to = mListed[size_t(toParagraph)];
    if (toParagraph == fromParagraph && toOffset < length(toParagraph)) {
        if (!moveRight(
                cursor,
                cursorSteps(QStringView(to.text.text()).sliced(fromOffset, toOffset - fromOffset)),
                true))
            throw EngineError("A place in a paragraph could not be reached.");
    } else {
        moveTo(cursor, to, toOffset, true);
    }
    // An object counts as one place here and as its own text in the engine's string: only a
    // span without one can be compared.
    const QString expected = listedSpan(fromParagraph, fromOffset, toParagraph, toOffset);
    const QString found = toQString(cursor->getString()).replace(QLatin1String("\r\n"), "\n");
    if (!expected.contains(QChar(ObjectCharacter)) && found != expected)
        throw EngineError("A paragraph is no longer what was read of it.");
    cursor->setString(OUString());
    // The copy that the replacements keep is read again when they need it.
    mLoaded = false;
    mWholeText.reset();
}

} // namespace brindlecast::engine::writer
