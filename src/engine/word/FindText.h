#pragma once

#include <QString>
#include <vector>

// Word's find and replace read a caret as the start of a special code ("^p", "^&", "^c"...)
// even without wildcards, and take at most 255 characters of text. The generation hands
// values over literally and up to 1,000 characters long; these turn them into what Word needs.
namespace brindlecast::engine::word {

/// The longest text Word's Find.Text, Replacement.Text and Execute's arguments take.
inline constexpr int WordTextLimit = 255;

/// `text` as Word finds or inserts it verbatim: every caret doubled.
QString VerbatimText(const QString& text);

/// A replacement in the pieces it goes into Word in, each already verbatim. One piece when it
/// fits whole; otherwise each piece but the last leaves room for the ChainMarker that follows
/// it, and no piece ends inside a doubled caret or a surrogate pair.
std::vector<QString> ReplacementPieces(const QString& text);

/// What stands after piece `index` until the next piece replaces it: private-use characters
/// that no document holds, and no caret.
QString ChainMarker(int index);

/// Piece `index` as it goes in: followed by its marker unless it is the last.
QString ChainedPiece(const std::vector<QString>& pieces, int index);

} // namespace brindlecast::engine::word
