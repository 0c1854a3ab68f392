#include "TextMatch.h"

namespace brindlecast::engine::writer {

static bool isWordCharacter(QStringView text, qsizetype index) {
    if (index < 0 || index >= text.size())
        return false;
    const QChar c = text[index];
    if (c.isSurrogate()) {
        // Judge the whole code point, whichever half we were pointed at.
        qsizetype start = index;
        if (c.isLowSurrogate() && start > 0)
            --start;
        if (start + 1 < text.size() && QChar::isHighSurrogate(text[start].unicode()) &&
            QChar::isLowSurrogate(text[start + 1].unicode()))
            return QChar::isLetterOrNumber(QChar::surrogateToUcs4(text[start], text[start + 1]));
        return false;
    }
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

// True when `index` falls between the two halves of a surrogate pair.
static bool splitsPair(QStringView text, qsizetype index) {
    return index > 0 && index < text.size() && text[index - 1].isHighSurrogate() &&
           text[index].isLowSurrogate();
}

std::vector<TextHit> findHits(QStringView text, const TextPattern& pattern, bool firstOnly) {
    std::vector<TextHit> hits;
    const QStringView needle(pattern.text);
    if (needle.isEmpty() || needle.contains(QChar(ObjectCharacter)))
        return hits;
    const Qt::CaseSensitivity sensitivity =
        pattern.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    qsizetype from = 0;
    while (from <= text.size() - needle.size()) {
        const qsizetype at = text.indexOf(needle, from, sensitivity);
        if (at < 0)
            break;
        const qsizetype end = at + needle.size();
        // A cursor put inside a surrogate pair of a shape's text brings the engine down.
        if (splitsPair(text, at) || splitsPair(text, end) ||
            (pattern.wholeWord && (isWordCharacter(text, at - 1) || isWordCharacter(text, end)))) {
            from = at + 1;
            continue;
        }
        hits.push_back({at, needle.size()});
        if (firstOnly)
            break;
        from = end;
    }
    return hits;
}

qsizetype codePointCount(QStringView text) {
    qsizetype count = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        ++count;
    }
    return count;
}

} // namespace brindlecast::engine::writer
