#include "FindText.h"

namespace brindlecast::engine::word {

namespace {

constexpr char16_t MarkerOpen = 0xE8F7;
constexpr char16_t MarkerClose = 0xE8F8;
constexpr char16_t MarkerCounter = 0xE000;
constexpr int MarkerLength = 3;

int verbatimLength(QChar c) {
    return c == QLatin1Char('^') ? 2 : 1;
}

} // namespace

QString VerbatimText(const QString& text) {
    QString verbatim = text;
    verbatim.replace(QLatin1Char('^'), QStringLiteral("^^"));
    return verbatim;
}

std::vector<QString> ReplacementPieces(const QString& text) {
    const QString whole = VerbatimText(text);
    if (whole.size() <= WordTextLimit)
        return {whole};
    // Cut the value itself, before doubling, so that a doubled caret is never cut in two.
    std::vector<QString> pieces;
    qsizetype start = 0;
    int remaining = int(whole.size());
    while (remaining > WordTextLimit) {
        qsizetype end = start;
        int length = 0;
        for (;;) {
            const int step = text[end].isHighSurrogate() && end + 1 < text.size()
                                 ? 2
                                 : verbatimLength(text[end]);
            if (length + step > WordTextLimit - MarkerLength)
                break;
            length += step;
            end += text[end].isHighSurrogate() && end + 1 < text.size() ? 2 : 1;
        }
        pieces.push_back(VerbatimText(text.mid(start, end - start)));
        remaining -= length;
        start = end;
    }
    pieces.push_back(VerbatimText(text.mid(start)));
    return pieces;
}

QString ChainMarker(int index) {
    const char16_t marker[] = {MarkerOpen, char16_t(MarkerCounter + index), MarkerClose};
    return QString(reinterpret_cast<const QChar*>(marker), MarkerLength);
}

QString ChainedPiece(const std::vector<QString>& pieces, int index) {
    const QString& piece = pieces[size_t(index)];
    return index + 1 < int(pieces.size()) ? piece + ChainMarker(index) : piece;
}

} // namespace brindlecast::engine::word
