// A range's paragraphs and deleting a span of them, for the blocks that fit each recipient.
#include "WordObjects.h"

#include <algorithm>

namespace brindlecast::engine::word {

namespace {

constexpr QChar CellMark(0x07);

} // namespace

// A paragraph's Range.Text ends with its mark, "\r"; a table cell's last paragraph with the
// cell's "\r\a", and a row's end is a paragraph "\r\a" of its own, which becomes an empty cell
// here. The tables' extents tell a cell's paragraph from one outside: one call per table rather
// than one per paragraph.
std::vector<ParagraphText> WordRange::paragraphs() {
    std::vector<std::pair<long, long>> tables;
    for (const Dispatch& table : mRange.object(L"Tables").members()) {
        const Dispatch range = table.object(L"Range");
        tables.emplace_back(range.get(L"Start").toInt(), range.get(L"End").toInt());
    }
    std::vector<ParagraphText> texts;
    mListed.clear();
    int cell = 0;
    for (const Dispatch& paragraph : mRange.object(L"Paragraphs").members()) {
        const Dispatch range = paragraph.object(L"Range");
        QString text = range.get(L"Text").toString();
        const long start = range.get(L"Start").toInt();
        const bool inTable = std::any_of(tables.begin(), tables.end(), [start](const auto& t) {
            return start >= t.first && start < t.second;
        });
        const bool cellEnd = text.endsWith(QStringLiteral("\r") + CellMark);
        text.chop(cellEnd ? 2 : text.endsWith(QLatin1Char('\r')) ? 1 : 0);
        texts.push_back({text, inTable ? cell : -1});
        cell += inTable && cellEnd ? 1 : 0;
        mListed.emplace_back(start, text);
    }
    return texts;
}

// Positions count from the story's start in UTF-16 units, as the texts do. A field's code,
// which Range.Text leaves out, would put them out of step: the span's text tells, and then
// nothing is deleted.
void WordRange::deleteText(int fromParagraph, qsizetype fromOffset, int toParagraph,
                           qsizetype toOffset) {
    const int count = int(mListed.size());
    if (fromParagraph < 0 || toParagraph >= count || fromParagraph > toParagraph ||
        fromOffset < 0 || fromOffset > mListed[size_t(fromParagraph)].second.size() ||
        toOffset < 0 || toOffset > mListed[size_t(toParagraph)].second.size() ||
        (fromParagraph == toParagraph && fromOffset >= toOffset))
        throw EngineError("The span to delete is not one of the text's.");
    QString expected;
    for (int k = fromParagraph; k <= toParagraph; ++k) {
        const QString& text = mListed[size_t(k)].second;
        const qsizetype from = k == fromParagraph ? fromOffset : 0;
        const qsizetype to = k == toParagraph ? toOffset : text.size();
        expected += QStringView(text).sliced(from, to - from);
        if (k < toParagraph)
            expected += QLatin1Char('\r');
    }
    const Dispatch span = mRange.object(L"Duplicate");
    span.call(L"SetRange", {Variant::int32(int(mListed[size_t(fromParagraph)].first + fromOffset)),
                            Variant::int32(int(mListed[size_t(toParagraph)].first + toOffset))});
    if (span.get(L"Text").toString() != expected)
        throw EngineError("A paragraph is no longer what was read of it.");
    span.call(L"Delete");
}

} // namespace brindlecast::engine::word
