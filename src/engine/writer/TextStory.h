#pragma once

#include "TextMatch.h"
#include "engine/Engine.h"

#include <QString>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <com/sun/star/text/XTextRange.hpp>
#include <optional>
#include <vector>

namespace brindlecast::engine::writer {

/// One text of a document (main text, a header, a note, a frame's or a shape's text) with a
/// copy of its paragraphs' texts, read once and kept in step with every replacement made
/// through it: the generation searches every story once per field, and reading the document
/// again each time would cost more than all the replacing. Replacements are made in the copy
/// and reach the document together (flush()), each changed span placed by its position in the
/// text the document still holds.
class TextStory {
public:
    /// Writer texts count cursor steps in code points; shape (drawing) texts in UTF-16 units.
    enum class Kind { Writer, Shape };

    TextStory(css::uno::Reference<css::text::XText> text, Kind kind);
    ~TextStory();
    TextStory(const TextStory&) = delete;
    TextStory& operator=(const TextStory&) = delete;

    /// Replaces the hits of `pattern` with `value` (all of them or only the first) and returns
    /// how many were replaced. With `value` absent, only counts them.
    int replace(const TextPattern& pattern, const QString* value, bool all);

    /// Writes the replacements made so far into the document.
    void flush();

    /// How a text shows a paragraph's objects (fields, note marks, anchored
    /// objects).
    enum class Objects {
        Marked, ///< as ObjectCharacter
        /// As ObjectCharacter in a paragraph that holds a '[', elsewhere as their own text: a
        /// paragraph's string is one call, its objects are found portion by portion, and a long
        /// document has many paragraphs and very many portions.
        MarkedNearBrackets,
    };

    /// The text as it is now: paragraphs end with '\n', a table's cells follow one another.
    QString plainText(Objects objects = Objects::Marked);

    /// The text of each table of this text, in order, as plainText() shows it.
    std::vector<QString> tableTexts(Objects objects = Objects::Marked);

    /// True when the text is not empty.
    bool hasText();

    /// Each paragraph of the text in order, each table cell's paragraphs with the cell's number,
    /// objects marked near brackets; kept as the places deleteText() counts from.
    std::vector<ParagraphText> paragraphs();
    /// Deletes from a place of the paragraphs() last listed to another (see Range::deleteText).
    void deleteText(int fromParagraph, qsizetype fromOffset, int toParagraph, qsizetype toOffset);

    /// Drops every reference into the document at once (before the document closes).
    void release();

private:
    struct Paragraph {
        css::uno::Reference<css::text::XText> owner;
        css::uno::Reference<css::text::XTextRange> range;
        EditedText text;
        // The paragraph's string only, until a find text may be in it: reading it portion by
        // portion, so that fields and other objects count as one position, costs more calls.
        bool exact = false;
        int table = -1; // the number of the text's own table that holds it
        int cell = -1;  // the number of the cell that holds it
    };

    void requireOpen() const;
    bool mayHold(const TextPattern& pattern);
    void load();
    void collect(const css::uno::Reference<css::text::XText>& text, std::vector<Paragraph>& into,
                 bool exact, int table = -1, int cell = -1);
    bool readIfItMayHold(Paragraph& paragraph, const TextPattern& pattern);
    void markObjectsNearBrackets(Paragraph& paragraph);
    QString readParagraph(const css::uno::Reference<css::text::XText>& owner,
                          const css::uno::Reference<css::text::XTextRange>& paragraph);
    int replaceInParagraph(Paragraph& paragraph, const TextPattern& pattern, const QString& value,
                           bool firstOnly);
    bool writeEdits(Paragraph& paragraph);
    bool moveRight(const css::uno::Reference<css::text::XTextCursor>& cursor, qsizetype steps,
                   bool select) const;
    void moveTo(const css::uno::Reference<css::text::XTextCursor>& cursor,
                const Paragraph& paragraph, qsizetype offset, bool select) const;
    QString listedSpan(int fromParagraph, qsizetype fromOffset, int toParagraph,
                       qsizetype toOffset) const;
    qsizetype cursorSteps(QStringView text) const;
    void keep(const css::uno::Reference<css::uno::XInterface>& object);

    css::uno::Reference<css::text::XText> mText;
    Kind mKind;
    std::vector<Paragraph> mParagraphs;
    std::vector<Paragraph> mListed; // as paragraphs() last listed them
    int mCells = 0;                 // cells numbered so far
    bool mLoaded = false;
    bool mPending = false;             // replacements not yet written
    std::optional<QString> mWholeText; // the text's string, while it is not loaded
    // Shape texts: every object obtained from them stays referenced until the story is released,
    // all together. Releasing them one by one while the text changes crashes the engine.
    std::vector<css::uno::Reference<css::uno::XInterface>> mKeepAlive;
};

} // namespace brindlecast::engine::writer
