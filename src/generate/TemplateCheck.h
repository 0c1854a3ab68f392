#pragma once

#include "newsletter/ConditionalText.h"

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

/// The place of a story's text by its number as Word's StoryType.
TextPlace PlaceOfStory(int storyType);

/// An "[IF …]" block of a document: `paragraph` counts from 1 among the paragraphs of its
/// place in its story (a story's tables apart from its main text).
struct PlacedBlock {
    TextPlace place;
    int paragraph = 0;
    Block block;
};

/// A marker of a document written wrongly or standing where it cannot be.
struct PlacedBlockProblem {
    TextPlace place;
    int paragraph = 0;
    BlockProblem problem;

    /// A sentence for a person: "[END IF] (main text, paragraph 4) closes no block."
    QString text() const;
};

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
    /// Its "[IF …]" blocks in the order of its texts, and its markers that cannot be used.
    std::vector<PlacedBlock> blocks;
    std::vector<PlacedBlockProblem> blockProblems;

    bool holdsAnyPlaceholder() const;
    /// Usable as it is: some placeholder, every bracketed word a placeholder or a marker, every
    /// placeholder where it is filled, every block written rightly.
    bool clean() const;
};

/// Finds the placeholders, as the replacement matches them (literally, in any letter case),
/// and the bracketed words that are none; the markers of blocks are no such words.
TemplateReport AnalyseTemplate(const std::vector<PlacedText>& texts);

/// The report on an open document: its texts analysed and its blocks read (see ReadBlocks).
TemplateReport CheckTemplate(engine::Document& document);

/// The name among `names` that the bracketed `word` was likely meant to be ("[Salutaton]" for
/// "Salutation"), as close as a slip of a key or two; none when no name is.
std::optional<QString> NearestName(const QString& word, const QStringList& names);

} // namespace brindlecast
