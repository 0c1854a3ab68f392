#include "ConditionalText.h"

#include <QStringList>
#include <algorithm>

namespace brindlecast {

ConditionalText::ConditionalText(std::vector<BlockParagraph> paragraphs)
    : mParagraphs(std::move(paragraphs)) {
    qsizetype at = 0;
    for (const BlockParagraph& paragraph : mParagraphs) {
        mStarts.push_back(at);
        at += paragraph.text.size() + 1;
    }
    read();
}

void ConditionalText::read() {
    std::vector<Open> open;
    const int count = int(mParagraphs.size());
    for (int k = 0; k < count; ++k) {
        if (k > 0 && mParagraphs[size_t(k)].container != mParagraphs[size_t(k - 1)].container)
            closeRun(open, k);
        for (const BlockMarker& marker : FindMarkers(mParagraphs[size_t(k)].text)) {
            const Span span{mStarts[size_t(k)] + marker.start, mStarts[size_t(k)] + marker.end};
            if (!marker.problem.isEmpty())
                mProblems.push_back({marker.text, k, marker.problem});
            if (marker.kind == BlockMarker::Kind::If) {
                // A marker written wrongly still opens its block, so that its [END IF] is not
                // blamed too.
                mBlocks.push_back({marker.condition, marker.text, k, int(open.size()), false});
                const int index = int(mNodes.size());
                mNodes.push_back({int(mBlocks.size()) - 1, span, std::nullopt, {}, {}, {}});
                if (open.empty()) {
                    mTop.push_back(index);
                } else {
                    Node& parent = mNodes[size_t(open.back().node)];
                    (open.back().inElse ? parent.others : parent.kept).push_back(index);
                }
                open.push_back({index, false});
            } else if (open.empty()) {
                mProblems.push_back({marker.text, k,
                                     marker.kind == BlockMarker::Kind::Else
                                         ? QStringLiteral("belongs to no block")
                                         : QStringLiteral("closes no block")});
            } else if (marker.kind == BlockMarker::Kind::EndIf) {
                mNodes[size_t(open.back().node)].closing = span;
                open.pop_back();
            } else if (open.back().inElse) {
                const Block& block = mBlocks[size_t(mNodes[size_t(open.back().node)].block)];
                mProblems.push_back(
                    {marker.text, k,
                     QStringLiteral("is a second [ELSE] in the block of %1").arg(block.marker)});
            } else {
                Node& node = mNodes[size_t(open.back().node)];
                node.otherwise = span;
                mBlocks[size_t(node.block)].hasElse = true;
                open.back().inElse = true;
            }
        }
    }
    if (count > 0)
        closeRun(open, count);
    std::stable_sort(
        mProblems.begin(), mProblems.end(),
        [](const BlockProblem& a, const BlockProblem& b) { return a.paragraph < b.paragraph; });
}

// The run of paragraphs of one container ends before paragraph `next`: a block still open
// there is closed nowhere it could be.
void ConditionalText::closeRun(std::vector<Open>& open, int next) {
    QString what;
    if (mParagraphs[size_t(next - 1)].container >= 0)
        what = QStringLiteral("is not closed by an [END IF] in its table cell");
    else if (next < int(mParagraphs.size()))
        what = QStringLiteral("is not closed by an [END IF] before the table after it: a block "
                              "cannot hold a table");
    else
        what = QStringLiteral("is not closed by an [END IF]");
    for (const Open& block : open) {
        const Block& opened = mBlocks[size_t(mNodes[size_t(block.node)].block)];
        mProblems.push_back({opened.marker, opened.paragraph, what});
    }
    open.clear();
}

void ConditionalText::resolve(const Node& node, const ValueLookup& lookup,
                              std::vector<char>& gone) const {
    const auto cut = [&gone](qsizetype from, qsizetype to) {
        std::fill(gone.begin() + from, gone.begin() + to, char(1));
    };
    cut(node.opening.start, node.opening.end);
    cut(node.closing.start, node.closing.end);
    if (node.otherwise)
        cut(node.otherwise->start, node.otherwise->end);
    if (mBlocks[size_t(node.block)].condition.holds(lookup)) {
        for (const int inner : node.kept)
            resolve(mNodes[size_t(inner)], lookup, gone);
        if (node.otherwise)
            cut(node.otherwise->end, node.closing.start);
    } else {
        cut(node.opening.end, node.otherwise ? node.otherwise->start : node.closing.start);
        for (const int inner : node.others)
            resolve(mNodes[size_t(inner)], lookup, gone);
    }
}

// Paragraphs `first` to `last`, one container's run: each paragraph (or paragraphs that a
// removed part joined) that lost text and holds only blanks goes with one paragraph mark, the
// one after it, or before it once no paragraph is left after it. The last one left stays,
// emptied: a table cell or a text keeps one paragraph.
void ConditionalText::dropEmptiedParagraphs(int first, int last, std::vector<char>& gone) const {
    struct Joined {
        int first = 0;
        int last = 0;
        bool drop = false;
    };
    std::vector<Joined> joined;
    for (int k = first; k <= last; ++k) {
        if (k == first || !gone[size_t(markAfter(k - 1))])
            joined.push_back({k, k, false});
        else
            joined.back().last = k;
    }
    for (Joined& line : joined) {
        bool lost = line.last > line.first;
        bool blank = true;
        for (int k = line.first; k <= line.last; ++k) {
            const QString& text = mParagraphs[size_t(k)].text;
            for (qsizetype i = 0; i < text.size(); ++i) {
                if (gone[size_t(mStarts[size_t(k)] + i)])
                    lost = true;
                else if (!text[i].isSpace())
                    blank = false;
            }
        }
        line.drop = lost && blank;
    }
    auto kept =
        std::find_if(joined.rbegin(), joined.rend(), [](const Joined& j) { return !j.drop; });
    const qsizetype keep =
        kept == joined.rend() ? qsizetype(joined.size()) - 1 : joined.rend() - kept - 1;
    for (qsizetype i = 0; i < qsizetype(joined.size()); ++i) {
        const Joined& line = joined[size_t(i)];
        if (!line.drop)
            continue;
        std::fill(gone.begin() + mStarts[size_t(line.first)], gone.begin() + markAfter(line.last),
                  char(1));
        if (i < keep)
            gone[size_t(markAfter(line.last))] = 1;
        else if (i > keep)
            gone[size_t(mStarts[size_t(line.first)] - 1)] = 1;
    }
}

std::pair<int, qsizetype> ConditionalText::place(qsizetype position) const {
    const auto after = std::upper_bound(mStarts.begin(), mStarts.end(), position);
    const int paragraph = int(after - mStarts.begin()) - 1;
    return {paragraph, position - mStarts[size_t(paragraph)]};
}

std::vector<TextCut> ConditionalText::cuts(const ValueLookup& lookup) const {
    if (!mProblems.empty() || mParagraphs.empty())
        return {};
    const int count = int(mParagraphs.size());
    std::vector<char> gone(size_t(markAfter(count - 1)), 0);
    for (const int top : mTop)
        resolve(mNodes[size_t(top)], lookup, gone);
    for (int first = 0, k = 1; k <= count; ++k) {
        if (k == count ||
            mParagraphs[size_t(k)].container != mParagraphs[size_t(first)].container) {
            dropEmptiedParagraphs(first, k - 1, gone);
            first = k;
        }
    }
    std::vector<TextCut> cuts;
    const qsizetype size = qsizetype(gone.size());
    for (qsizetype from = 0; from < size;) {
        if (!gone[size_t(from)]) {
            ++from;
            continue;
        }
        qsizetype to = from;
        while (to < size && gone[size_t(to)])
            ++to;
        const auto [fromParagraph, fromOffset] = place(from);
        const auto [toParagraph, toOffset] = place(to);
        cuts.push_back({fromParagraph, fromOffset, toParagraph, toOffset});
        from = to;
    }
    return cuts;
}

ResolvedText ResolveBlocks(const QString& text, const ValueLookup& lookup) {
    const QString separator =
        text.contains(QLatin1String("\r\n")) ? QStringLiteral("\r\n") : QStringLiteral("\n");
    const QStringList lines = text.split(separator);
    std::vector<BlockParagraph> paragraphs;
    std::vector<qsizetype> starts;
    qsizetype at = 0;
    for (const QString& line : lines) {
        paragraphs.push_back({line, -1});
        starts.push_back(at);
        at += line.size() + 1;
    }
    const ConditionalText blocks(paragraphs);
    if (!blocks.problems().empty())
        return {text, blocks.problems()};
    std::vector<char> kept(size_t(at - 1), 1);
    for (const TextCut& cut : blocks.cuts(lookup))
        std::fill(kept.begin() + starts[size_t(cut.fromParagraph)] + cut.fromOffset,
                  kept.begin() + starts[size_t(cut.toParagraph)] + cut.toOffset, char(0));
    QString resolved;
    for (qsizetype k = 0; k < lines.size(); ++k) {
        const qsizetype start = starts[size_t(k)];
        for (qsizetype i = 0; i < lines[k].size(); ++i)
            if (kept[size_t(start + i)])
                resolved += lines[k][i];
        if (k + 1 < lines.size() && kept[size_t(start + lines[k].size())])
            resolved += separator;
    }
    return {resolved, {}};
}

} // namespace brindlecast
