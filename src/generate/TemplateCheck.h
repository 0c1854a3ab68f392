#pragma once

#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <vector>

namespace brindlecast {

namespace engine {
class Document;
}

/// Where in a document a piece of its text stands. A table of the main text is a place of its
/// own; tables elsewhere count as the story that holds them.
enum class TextPlace { MainText, Table, Header, Footer, Footnote, Endnote, TextBox };

/// The place's name for a person: "main text", "table", "header", ...
QString TextPlaceName(TextPlace place);

struct PlacedText {
    TextPlace place;
    QString text;
};

/// Every text of an open document with its place, read through the engine interface: each
/// story (its main-text tables apart) and each shape's text, every text box once.
std::vector<PlacedText> TemplateTexts(engine::Document& document);

/// The placeholders a template may hold: the fields' by index (0 to 16), then the issue
/// date's.
inline constexpr int IssueDatePlaceholderIndex = 17;
inline constexpr int PlaceholderCount = 18;

/// A placeholder as the command line and the manual spell it: "[NLTitle]", "[IssueDate]".
QString PlaceholderName(int placeholder);

using PlaceCounts = std::map<TextPlace, int>;

/// A bracketed word that is no placeholder.
struct StrayWord {
    QString text; // as the template first spells it, brackets included
    PlaceCounts places;
    /// The placeholder it is close to, when one is: a likely misspelling.
    std::optional<int> nearest;
    /// A placeholder with a field or another object inside it, which is never matched.
    bool broken = false;
};

/// What a template holds, for a person deciding whether it will fill as meant.
struct TemplateReport {
    /// Per placeholder (see PlaceholderCount), where and how often it stands.
    std::vector<PlaceCounts> placeholders = std::vector<PlaceCounts>(PlaceholderCount);
    std::vector<StrayWord> strays;
    /// Where "[IssueDate]" stands but is never filled: the issue date goes into the main text
    /// and the text boxes only.
    PlaceCounts unfilledIssueDates;

    bool holdsAnyPlaceholder() const;
    /// Usable as it is: some placeholder, every bracketed word a placeholder, every
    /// placeholder where it is filled.
    bool clean() const;
};

/// Finds the placeholders, as the replacement matches them (literally, in any letter case),
/// and the bracketed words that are none.
TemplateReport AnalyseTemplate(const std::vector<PlacedText>& texts);

/// The name among `names` that the bracketed `word` was likely meant to be ("[Salutaton]" for
/// "Salutation"), as close as a slip of a key or two; none when no name is.
std::optional<QString> NearestName(const QString& word, const QStringList& names);

} // namespace brindlecast
