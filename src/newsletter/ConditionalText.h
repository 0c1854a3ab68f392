#pragma once

#include "BlockMarkers.h"

#include <QString>
#include <vector>

namespace brindlecast {

/// One paragraph of a text that may hold blocks: its text without its paragraph mark, and the
/// part of the text that holds it: -1 outside tables, otherwise a number of its own for each
/// table cell.
struct BlockParagraph {
    QString text;
    int container = -1;
};

/// An "[IF …]" block of a text.
struct Block {
    BlockCondition condition;
    /// Its "[IF …]" marker as written.
    QString marker;
    /// The paragraph it opens in.
    int paragraph = 0;
    /// 0 unless it is inside another block.
    int depth = 0;
    bool hasElse = false;
};

/// A marker written wrongly or standing where it cannot be.
struct BlockProblem {
    /// As written.
    QString marker;
    int paragraph = 0;
    /// What is wrong, to follow the marker in a sentence: "closes no block".
    QString what;
};

/// A stretch of text to delete: from `fromOffset` of paragraph `fromParagraph` to `toOffset` of
/// paragraph `toParagraph` (UTF-16 units of their texts). One that runs from a paragraph's end
/// into the next paragraph takes the paragraph mark between them.
struct TextCut {
    int fromParagraph = 0;
    qsizetype fromOffset = 0;
    int toParagraph = 0;
    qsizetype toOffset = 0;
    friend bool operator==(const TextCut&, const TextCut&) = default;
};

/// The blocks of one text, read once and resolved for each recipient: a story's or a shape's
/// paragraphs in order, each table cell's among them. A block lies within a run of paragraphs
/// of one container: a block that opens in a cell and closes outside it, or that would hold a
/// table, is a problem, as is every marker out of place or written wrongly.
class ConditionalText {
public:
    explicit ConditionalText(std::vector<BlockParagraph> paragraphs);

    const std::vector<Block>& blocks() const { return mBlocks; }
    const std::vector<BlockProblem>& problems() const { return mProblems; }

    /// What to delete for one recipient, front to back and apart: every marker, the part of
    /// each block that does not apply to these values, and each paragraph they leave empty (it
    /// lost text and holds nothing but blanks) with a paragraph mark, so that no blank line
    /// stands where a line went. The last paragraph left of a table cell or a text is emptied
    /// only. Nothing when the text has problems.
    std::vector<TextCut> cuts(const ValueLookup& lookup) const;

private:
    // Positions count through the whole text, each paragraph mark as one character.
    struct Span {
        qsizetype start = 0;
        qsizetype end = 0;
    };
    struct Node {
        int block = 0;
        Span opening;
        std::optional<Span> otherwise;
        Span closing;
        std::vector<int> kept;   // blocks inside the part before [ELSE]
        std::vector<int> others; // blocks inside the part after it
    };
    struct Open {
        int node = 0;
        bool inElse = false;
    };

    void read();
    void closeRun(std::vector<Open>& open, int next);
    void resolve(const Node& node, const ValueLookup& lookup, std::vector<char>& gone) const;
    void dropEmptiedParagraphs(int first, int last, std::vector<char>& gone) const;
    std::pair<int, qsizetype> place(qsizetype position) const;
    qsizetype markAfter(int paragraph) const {
        return mStarts[size_t(paragraph)] + mParagraphs[size_t(paragraph)].text.size();
    }

    std::vector<BlockParagraph> mParagraphs;
    std::vector<qsizetype> mStarts;
    std::vector<Block> mBlocks;
    std::vector<BlockProblem> mProblems;
    std::vector<Node> mNodes;
    std::vector<int> mTop;
};

/// The blocks of `text` resolved for these values, its lines taken as paragraphs: an e-mail's
/// subject or body. With problems, the text comes back as it is.
struct ResolvedText {
    QString text;
    std::vector<BlockProblem> problems;
};
ResolvedText ResolveBlocks(const QString& text, const ValueLookup& lookup);

} // namespace brindlecast
