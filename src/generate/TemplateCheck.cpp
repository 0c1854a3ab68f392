#include "TemplateCheck.h"

#include "engine/Engine.h"
#include "newsletter/FieldTable.h"

#include <QRegularExpression>
#include <algorithm>

namespace brindlecast {

namespace {

// An object of the text (a field, a note mark) as the engine shows it inside a text.
constexpr QChar ObjectCharacter(0xFFFC);

TextPlace placeOfStory(int storyType) {
    switch (storyType) {
    case 2:
        return TextPlace::Footnote;
    case 3:
        return TextPlace::Endnote;
    case 5:
        return TextPlace::TextBox;
    case 6:
    case 7:
    case 10:
        return TextPlace::Header;
    case 8:
    case 9:
    case 11:
        return TextPlace::Footer;
    default:
        return TextPlace::MainText;
    }
}

QString placeholderTag(int placeholder) {
    return placeholder == IssueDatePlaceholderIndex ? IssueDateTag() : FieldTag(placeholder);
}

std::optional<int> placeholderSpelled(const QString& word) {
    for (int i = 0; i < PlaceholderCount; ++i)
        if (word.compare(placeholderTag(i), Qt::CaseInsensitive) == 0)
            return i;
    return std::nullopt;
}

// Edits (insert, delete, change, swap two neighbours) that turn one word into the other.
int editDistance(const QString& a, const QString& b) {
    const qsizetype n = a.size(), m = b.size();
    std::vector<std::vector<int>> d(size_t(n + 1), std::vector<int>(size_t(m + 1)));
    for (qsizetype i = 0; i <= n; ++i)
        d[size_t(i)][0] = int(i);
    for (qsizetype j = 0; j <= m; ++j)
        d[0][size_t(j)] = int(j);
    for (qsizetype i = 1; i <= n; ++i) {
        for (qsizetype j = 1; j <= m; ++j) {
            const int cost = a[i - 1] == b[j - 1] ? 0 : 1;
            int& here = d[size_t(i)][size_t(j)];
            here = std::min({d[size_t(i - 1)][size_t(j)] + 1, d[size_t(i)][size_t(j - 1)] + 1,
                             d[size_t(i - 1)][size_t(j - 1)] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                here = std::min(here, d[size_t(i - 2)][size_t(j - 2)] + 1);
        }
    }
    return d[size_t(n)][size_t(m)];
}

// The placeholder a stray word was most likely meant to be: a slip of a key or two, not a
// different word that happens to be short.
std::optional<int> nearestPlaceholder(const QString& word) {
    const QString typed = word.toLower();
    std::optional<int> best;
    int bestDistance = 3;
    for (int i = 0; i < PlaceholderCount; ++i) {
        const int distance = editDistance(typed, placeholderTag(i).toLower());
        if (distance < bestDistance && distance * 4 <= typed.size()) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

void countWord(TemplateReport& report, const QString& word, TextPlace place) {
    if (const auto placeholder = placeholderSpelled(word)) {
        ++report.placeholders[size_t(*placeholder)][place];
        if (*placeholder == IssueDatePlaceholderIndex && place != TextPlace::MainText &&
            place != TextPlace::Table && place != TextPlace::TextBox)
            ++report.unfilledIssueDates[place];
        return;
    }
    auto stray = std::find_if(report.strays.begin(), report.strays.end(), [&](const StrayWord& s) {
        return s.text.compare(word, Qt::CaseInsensitive) == 0;
    });
    if (stray == report.strays.end()) {
        StrayWord found{word, {}, std::nullopt, false};
        const QString plain = QString(word).remove(ObjectCharacter);
        if (plain != word && placeholderSpelled(plain)) {
            found.broken = true;
            found.nearest = placeholderSpelled(plain);
        } else {
            found.nearest = nearestPlaceholder(word);
        }
        stray = report.strays.insert(report.strays.end(), found);
    }
    ++stray->places[place];
}

} // namespace

QString TextPlaceName(TextPlace place) {
    static const char* const names[] = {"main text", "table",   "header",  "footer",
                                        "footnote",  "endnote", "text box"};
    return QLatin1String(names[int(place)]);
}

QString PlaceholderName(int placeholder) {
    if (placeholder == IssueDatePlaceholderIndex)
        return IssueDateTag();
    return QLatin1Char('[') + FieldPlaceholderName(placeholder) + QLatin1Char(']');
}

std::vector<PlacedText> TemplateTexts(engine::Document& document) {
    std::vector<PlacedText> texts;
    for (engine::Range* story : document.storyRanges()) {
        const int type = story->storyType();
        if (type == 5)
            continue; // the shapes below hold every text box, this one too
        QString text = story->text();
        const TextPlace place = placeOfStory(type);
        if (place == TextPlace::MainText) {
            qsizetype from = 0;
            for (const QString& table : story->tableTexts()) {
                texts.push_back({TextPlace::Table, table});
                const qsizetype at = text.indexOf(table, from);
                if (at >= 0) {
                    text.remove(at, table.size());
                    from = at;
                }
            }
        }
        texts.push_back({place, text});
    }
    for (engine::Shape* shape : document.shapes())
        if (shape->hasText())
            texts.push_back({TextPlace::TextBox, shape->textRange().text()});
    return texts;
}

TemplateReport AnalyseTemplate(const std::vector<PlacedText>& texts) {
    TemplateReport report;
    // The innermost brackets: "[Edition [IssueNo], Volume [VolNo]]" holds two placeholders.
    static const QRegularExpression bracketed(QStringLiteral("\\[[^\\[\\]\\n]{1,60}\\]"));
    for (const PlacedText& piece : texts) {
        for (const auto& match : bracketed.globalMatch(piece.text))
            countWord(report, match.captured(), piece.place);
    }
    return report;
}

std::optional<QString> NearestName(const QString& word, const QStringList& names) {
    const QString typed = word.toLower();
    std::optional<QString> best;
    int bestDistance = 3;
    for (const QString& name : names) {
        const int distance =
            editDistance(typed, (QLatin1Char('[') + name + QLatin1Char(']')).toLower());
        if (distance < bestDistance && distance * 4 <= typed.size()) {
            best = name;
            bestDistance = distance;
        }
    }
    return best;
}

bool TemplateReport::holdsAnyPlaceholder() const {
    return std::any_of(placeholders.begin(), placeholders.end(),
                       [](const PlaceCounts& counts) { return !counts.empty(); });
}

bool TemplateReport::clean() const {
    return holdsAnyPlaceholder() && strays.empty() && unfilledIssueDates.empty();
}

} // namespace brindlecast
