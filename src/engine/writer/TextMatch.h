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

} // namespace brindlecast::engine::writer
