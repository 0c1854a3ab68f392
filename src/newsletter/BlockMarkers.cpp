#include "BlockMarkers.h"

#include <algorithm>

namespace brindlecast {

namespace {

// An object of the text (a field, a note mark) as the engine shows it inside a text.
constexpr char16_t ObjectCharacter = u'\uFFFC';

// A word processor turns typed quotes into its language's curly ones as they are typed; each
// counts, at either end.
bool isQuote(QChar c) {
    static const QString quotes = QStringLiteral(
        "\"'\u00AB\u00BB\u2018\u2019\u201A\u201B\u201C\u201D\u201E\u201F\u2039\u203A");
    return quotes.contains(c);
}

// What follows `word` at the front of `text`, when a blank or nothing follows it there.
std::optional<QStringView> afterKeyword(QStringView text, QLatin1StringView word) {
    if (!text.startsWith(word, Qt::CaseInsensitive))
        return std::nullopt;
    const QStringView rest = text.sliced(word.size());
    if (!rest.isEmpty() && !rest.front().isSpace())
        return std::nullopt;
    return rest.trimmed();
}

// The comparison at `at` of `text` ("=", "==", "<>", "!=") and its length; nothing when the
// characters there are no comparison.
std::optional<std::pair<BlockCondition::Test, qsizetype>> comparisonAt(QStringView text,
                                                                       qsizetype at) {
    const QStringView two = text.sliced(at, std::min<qsizetype>(2, text.size() - at));
    if (two == u"<>" || two == u"!=")
        return std::pair{BlockCondition::Test::Unequal, qsizetype(2)};
    if (two == u"==")
        return std::pair{BlockCondition::Test::Equal, qsizetype(2)};
    if (text[at] == u'=')
        return std::pair{BlockCondition::Test::Equal, qsizetype(1)};
    return std::nullopt;
}

// The condition after "IF", or the marker's problem.
void readCondition(QStringView rest, BlockMarker& marker) {
    BlockCondition& condition = marker.condition;
    bool negated = false;
    if (const auto after = afterKeyword(rest, QLatin1StringView("NOT"))) {
        negated = true;
        rest = *after;
    }
    if (rest.contains(QChar(ObjectCharacter))) {
        marker.problem = QStringLiteral("has a field or another object inside it: type it again "
                                        "in one go");
        return;
    }
    QStringView name = rest;
    const auto sign = std::find_if(rest.begin(), rest.end(), [](QChar c) {
        return c == u'=' || c == u'<' || c == u'>' || c == u'!';
    });
    if (sign != rest.end()) {
        const qsizetype at = sign - rest.begin();
        const auto comparison = comparisonAt(rest, at);
        if (!comparison) {
            marker.problem = QStringLiteral("compares in a way there is none: write = or <>");
            return;
        }
        name = rest.first(at).trimmed();
        const QStringView text = rest.sliced(at + comparison->second).trimmed();
        if (text.size() < 2 || !isQuote(text.front()) || !isQuote(text.back())) {
            marker.problem = QStringLiteral("needs the text it compares with in quotes: "
                                            "[IF Name = \"text\"]");
            return;
        }
        condition.test = comparison->first;
        condition.text = text.sliced(1, text.size() - 2).toString();
    } else if (std::any_of(rest.begin(), rest.end(), isQuote)) {
        marker.problem = QStringLiteral("needs = between the name and the text in quotes");
        return;
    }
    if (name.isEmpty()) {
        marker.problem = QStringLiteral("names no field or column");
        return;
    }
    condition.name = name.toString().simplified();
    if (negated) {
        using Test = BlockCondition::Test;
        static constexpr Test opposite[] = {Test::Empty, Test::Filled, Test::Unequal, Test::Equal};
        condition.test = opposite[int(condition.test)];
    }
}

// The marker that `bracketed` is, when it is one.
std::optional<BlockMarker> readMarker(const QString& bracketed) {
    const QStringView inner = QStringView(bracketed).sliced(1, bracketed.size() - 2).trimmed();
    BlockMarker marker;
    marker.text = bracketed;
    const auto afterEnd = afterKeyword(inner, QLatin1StringView("END"));
    if (inner.compare(QLatin1StringView("ELSE"), Qt::CaseInsensitive) == 0) {
        marker.kind = BlockMarker::Kind::Else;
    } else if ((afterEnd && afterEnd->compare(QLatin1StringView("IF"), Qt::CaseInsensitive) == 0) ||
               inner.compare(QLatin1StringView("ENDIF"), Qt::CaseInsensitive) == 0) {
        marker.kind = BlockMarker::Kind::EndIf;
    } else if (const auto condition = afterKeyword(inner, QLatin1StringView("IF"))) {
        marker.kind = BlockMarker::Kind::If;
        readCondition(*condition, marker);
    } else {
        return std::nullopt;
    }
    return marker;
}

} // namespace

bool BlockCondition::holds(const ValueLookup& lookup) const {
    const QString value = lookup ? lookup(name).value_or(QString()).trimmed() : QString();
    switch (test) {
    case Test::Filled:
        return !value.isEmpty();
    case Test::Empty:
        return value.isEmpty();
    case Test::Equal:
        return value.compare(text.trimmed(), Qt::CaseInsensitive) == 0;
    case Test::Unequal:
        break;
    }
    return value.compare(text.trimmed(), Qt::CaseInsensitive) != 0;
}

QString BlockCondition::markerText() const {
    switch (test) {
    case Test::Filled:
        return QStringLiteral("[IF %1]").arg(name);
    case Test::Empty:
        return QStringLiteral("[IF NOT %1]").arg(name);
    case Test::Equal:
        return QStringLiteral("[IF %1 = \"%2\"]").arg(name, text);
    case Test::Unequal:
        break;
    }
    return QStringLiteral("[IF %1 <> \"%2\"]").arg(name, text);
}

std::vector<BlockMarker> FindMarkers(const QString& text) {
    std::vector<BlockMarker> markers;
    qsizetype open = text.indexOf(QLatin1Char('['));
    while (open >= 0) {
        const qsizetype close = text.indexOf(QLatin1Char(']'), open + 1);
        if (close < 0)
            break;
        // The innermost brackets: "[IF [Name]]" is a placeholder in a bracket, not a marker.
        const qsizetype inner = text.indexOf(QLatin1Char('['), open + 1);
        if (inner >= 0 && inner < close) {
            open = inner;
            continue;
        }
        if (auto marker = readMarker(text.sliced(open, close + 1 - open))) {
            marker->start = open;
            marker->end = close + 1;
            markers.push_back(std::move(*marker));
        }
        open = text.indexOf(QLatin1Char('['), close + 1);
    }
    return markers;
}

bool IsBlockMarker(const QString& bracketed) {
    return bracketed.size() >= 2 && bracketed.front() == u'[' && bracketed.back() == u']' &&
           readMarker(bracketed).has_value();
}

} // namespace brindlecast
