#pragma once

#include <QString>
#include <QStringView>
#include <vector>

// Literal matching of a find text in one paragraph's text, as the find objects do it. Pure Qt,
// so that the rules can be checked without an engine.
namespace brindlecast::engine::writer {

/// Stands for one object of the text (a field, a note mark, an anchored object): it occupies
/// one position and never matches.
inline constexpr char16_t ObjectCharacter = u'\uFFFC';

struct TextPattern {
    QString text;
    bool matchCase = false;
    bool wholeWord = false;
};

struct TextHit {
    qsizetype position = 0; // UTF-16 units
    qsizetype length = 0;   // UTF-16 units
    friend bool operator==(const TextHit&, const TextHit&) = default;
};

/// Non-overlapping hits from the front, as "replace all" consumes them; at most one when
/// `firstOnly`. An empty pattern and a pattern holding ObjectCharacter never match, and no hit
/// starts or ends inside a surrogate pair.
std::vector<TextHit> findHits(QStringView text, const TextPattern& pattern, bool firstOnly = false);

/// Number of code points in `text`: a surrogate pair counts once.
qsizetype codePointCount(QStringView text);

/// A paragraph's text as replacements leave it, remembering which parts are still the text the
/// document holds. The document then receives only the changed spans, each placed by positions
/// in its own, unchanged text: no replacement ever walks over a value that an earlier one
/// inserted, so long values cost time in proportion to their length only.
class EditedText {
public:
    /// One change: the original's span [start, end) (UTF-16 units) becomes `replacement`.
    struct Edit {
        qsizetype start = 0;
        qsizetype end = 0;
        QString replacement;
        friend bool operator==(const Edit&, const Edit&) = default;
    };

    explicit EditedText(QString original = {});

    /// The text with every replacement made so far.
    const QString& text() const { return mText; }
    /// The text the document holds.
    const QString& original() const { return mOriginal; }
    bool edited() const { return !edits().empty(); }

    /// Replaces `length` units of text() at `position` with `value`.
    void replace(qsizetype position, qsizetype length, const QString& value);
    /// The changes that turn original() into text(), front to back, none overlapping.
    std::vector<Edit> edits() const;
    /// Takes text() as what the document holds, once the edits have reached it.
    void settle();

private:
    // A stretch of text(): the original's [origin, origin + length), or, with origin -1,
    // inserted text.
    struct Piece {
        qsizetype origin = -1;
        qsizetype length = 0;
        QString inserted;
    };
    void append(std::vector<Piece>& pieces, const Piece& piece, qsizetype from, qsizetype to) const;

    QString mOriginal;
    QString mText;
    std::vector<Piece> mPieces;
};

} // namespace brindlecast::engine::writer
