#include "TextMatch.h"

#include <algorithm>

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

EditedText::EditedText(QString original)
    : mOriginal(std::move(original))
    , mText(mOriginal) {
    settle();
}

void EditedText::settle() {
    mOriginal = mText;
    mPieces.clear();
    if (!mText.isEmpty())
        mPieces.push_back({0, mText.size(), {}});
}

// Appends the part [from, to) of `piece` (offsets within the piece), joining it to the last
// piece when the two are contiguous.
void EditedText::append(std::vector<Piece>& pieces, const Piece& piece, qsizetype from,
                        qsizetype to) const {
    if (to <= from)
        return;
    Piece* last = pieces.empty() ? nullptr : &pieces.back();
    if (piece.origin < 0) {
        const QStringView part = QStringView(piece.inserted).sliced(from, to - from);
        if (last && last->origin < 0)
            last->inserted += part;
        else
            pieces.push_back({-1, 0, part.toString()});
    } else if (last && last->origin >= 0 && last->origin + last->length == piece.origin + from) {
        last->length += to - from;
    } else {
        pieces.push_back({piece.origin + from, to - from, {}});
    }
}

void EditedText::replace(qsizetype position, qsizetype length, const QString& value) {
    const qsizetype end = position + length;
    std::vector<Piece> pieces;
    const auto keep = [&](qsizetype from, qsizetype to) {
        qsizetype at = 0;
        for (const Piece& piece : mPieces) {
            const qsizetype size = piece.origin < 0 ? piece.inserted.size() : piece.length;
            append(pieces, piece, std::max<qsizetype>(from - at, 0),
                   std::min<qsizetype>(to - at, size));
            at += size;
        }
    };
    keep(0, position);
    if (!value.isEmpty())
        append(pieces, Piece{-1, 0, value}, 0, value.size());
    keep(end, mText.size());
    mPieces = std::move(pieces);
    mText.replace(position, length, value);
}

std::vector<EditedText::Edit> EditedText::edits() const {
    std::vector<Edit> result;
    QString pending;
    qsizetype next = 0;
    for (const Piece& piece : mPieces) {
        if (piece.origin < 0) {
            pending += piece.inserted;
            continue;
        }
        if (piece.origin != next || !pending.isEmpty())
            result.push_back({next, piece.origin, pending});
        pending.clear();
        next = piece.origin + piece.length;
    }
    if (next != mOriginal.size() || !pending.isEmpty())
        result.push_back({next, mOriginal.size(), pending});
    return result;
}

} // namespace brindlecast::engine::writer
