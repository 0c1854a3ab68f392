// The text that fits each recipient: markers read, blocks resolved, and the lines a removed
// block leaves empty taken out, as the engine then deletes them.
#include "newsletter/ConditionalText.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <map>

namespace brindlecast {
namespace {

// Values by name in any letter case, as the fields and columns are looked up.
ValueLookup values(std::map<QString, QString> named) {
    return [named](const QString& name) -> std::optional<QString> {
        for (const auto& [key, value] : named)
            if (key.compare(name, Qt::CaseInsensitive) == 0)
                return value;
        return std::nullopt;
    };
}

// Paragraphs of the body; "|" starts a table cell of its own, "|>" goes on in the last cell,
// "-" goes back to the body.
std::vector<BlockParagraph> paragraphs(const QStringList& lines) {
    std::vector<BlockParagraph> made;
    int cells = 0;
    int container = -1;
    for (QString line : lines) {
        if (line.startsWith("|>"))
            line.remove(0, 2);
        else if (line.startsWith('|'))
            container = cells++, line.remove(0, 1);
        else if (line.startsWith('-'))
            container = -1, line.remove(0, 1);
        made.push_back({line, container});
    }
    return made;
}

// What the engine leaves after deleting the cuts: paragraphs joined by "\n", containers by "|".
QString resolved(const QStringList& lines, const ValueLookup& lookup) {
    const std::vector<BlockParagraph> text = paragraphs(lines);
    const ConditionalText blocks(text);
    EXPECT_TRUE(blocks.problems().empty()) << blocks.problems().front().what.toStdString();
    QString joined;
    std::vector<qsizetype> starts;
    for (size_t k = 0; k < text.size(); ++k) {
        if (k > 0)
            joined += text[k].container == text[k - 1].container ? '\n' : '|';
        starts.push_back(joined.size());
        joined += text[k].text;
    }
    const std::vector<TextCut> cuts = blocks.cuts(lookup);
    for (auto cut = cuts.rbegin(); cut != cuts.rend(); ++cut) {
        const qsizetype from = starts[size_t(cut->fromParagraph)] + cut->fromOffset;
        const qsizetype to = starts[size_t(cut->toParagraph)] + cut->toOffset;
        EXPECT_FALSE(joined.sliced(from, to - from).contains('|')) << "a cut leaves its cell";
        joined.remove(from, to - from);
    }
    return joined;
}

TEST(ConditionalText, AnAddressLineThatDoesNotApplyLeavesNoBlankLine) {
    const QStringList address{"[Name]", "[IF Company][Company][END IF]", "[Street]", "",
                              "[IF NOT Company]Private[END IF]"};
    EXPECT_EQ(resolved(address, values({{"Company", "Quill"}})), "[Name]\n[Company]\n[Street]\n");
    // A deliberate empty line stays; the last line of a text goes with the mark before it.
    EXPECT_EQ(resolved(address, values({{"company", "  "}})), "[Name]\n[Street]\n\nPrivate");
    EXPECT_EQ(resolved({"[Name]", "[IF Company]", "[Company]", "[END IF]"}, values({})), "[Name]");
    // Indented or followed by blanks, an emptied line still goes; a line of text does not.
    EXPECT_EQ(resolved({"\t[IF X]x [END IF] ", "[IF X]x[END IF] text", "end"}, values({})),
              " text\nend");
    // All of a text gone: its one paragraph stays, empty.
    EXPECT_EQ(resolved({"[IF X]a", "b[END IF]", "[IF X]c[END IF]"}, values({})), "");
}

TEST(ConditionalText, BlocksNestKeepTheirBranchAndIgnoreLetterCase) {
    const QStringList letter{"[if member]",
                             "Dear member,",
                             "[IF Member = \"gold\"]Thanks for a gold year.[Else]Try gold.[End If]",
                             "[else]",
                             "Dear friend,",
                             "[END  IF]",
                             "Regards"};
    EXPECT_EQ(resolved(letter, values({{"MEMBER", "GOLD "}})),
              "Dear member,\nThanks for a gold year.\nRegards");
    EXPECT_EQ(resolved(letter, values({{"Member", "silver"}})), "Dear member,\nTry gold.\nRegards");
    EXPECT_EQ(resolved(letter, values({{"Member", ""}})), "Dear friend,\nRegards");
    // A name that is neither field nor column is empty.
    EXPECT_EQ(resolved(letter, values({})), "Dear friend,\nRegards");
    // Inside a line; a removed part that spans lines joins what stands around it.
    EXPECT_EQ(resolved({"Dear [IF Title][Title] [ENDIF][Name],"}, values({})), "Dear [Name],");
    EXPECT_EQ(resolved({"Dear [IF X]Sir,", "we[END IF] all"}, values({})), "Dear  all");
    EXPECT_EQ(resolved({"Dear [IF X]Sir,", "we[END IF] all"}, values({{"X", "1"}})),
              "Dear Sir,\nwe all");
}

TEST(ConditionalText, TableCellsResolveOnTheirOwnAndKeepOneParagraph) {
    const QStringList table{"Intro",      "|[IF X]x[END IF]",     "|Keep", "|>[IF X]", "|>y",
                            "|>[END IF]", "|[IF NOT X]z[END IF]", "-End"};
    EXPECT_EQ(resolved(table, values({})), "Intro||Keep|z|End");
    EXPECT_EQ(resolved(table, values({{"X", "1"}})), "Intro|x|Keep\ny||End");
}

TEST(ConditionalText, ConditionsReadAsWrittenByPeopleAndWordProcessors) {
    const auto conditionOf = [](const QString& marker) {
        const std::vector<BlockMarker> markers = FindMarkers("a " + marker + " b");
        EXPECT_EQ(markers.size(), 1u) << marker.toStdString();
        EXPECT_EQ(markers.front().problem, "") << marker.toStdString();
        return markers.front().condition;
    };
    const ValueLookup lookup = values({{"First Name", "Åsa"}, {"Straße", "süd"}, {"Land", "DE"}});
    const std::vector<std::tuple<QString, QString, bool>> cases{
        {"[IF  First \u00A0 Name ]", "[IF First Name]", true},
        {"[If Straße = \u201CSÜD\u201D]", "[IF Straße = \"SÜD\"]", true},
        {"[IF NOT Straße]", "[IF NOT Straße]", false},
        {"[IF Land <> 'de']", "[IF Land <> \"de\"]", false},
        {"[IF Land!=\"AT\"]", "[IF Land <> \"AT\"]", true},
        {"[IF NOT Land == \u201Ede\u201C]", "[IF Land <> \"de\"]", false},
        {"[IF Missing = \"\"]", "[IF Missing = \"\"]", true}};
    for (const auto& [marker, written, holds] : cases) {
        const BlockCondition condition = conditionOf(marker);
        EXPECT_EQ(condition.markerText(), written) << marker.toStdString();
        EXPECT_EQ(condition.holds(lookup), holds) << marker.toStdString();
    }
    // Bracketed words that are no markers, and a placeholder inside brackets.
    for (const char* text : {"[IFRAME]", "[Iffy]", "[END]", "[ELSEWHERE]", "[IF [Name]]"})
        EXPECT_TRUE(FindMarkers(text).empty()) << text;
    EXPECT_TRUE(IsBlockMarker("[end if]"));
    EXPECT_FALSE(IsBlockMarker("[Endif now]"));
}

TEST(ConditionalText, MalformedAndUnbalancedBlocksAreProblemsWithTheirPlaces) {
    struct Case {
        QStringList lines;
        int paragraph;
        QString marker;
        QString what;
    };
    const std::vector<Case> cases{
        {{"a", "[IF ]x[END IF]"}, 1, "[IF ]", "names no field or column"},
        {{"[IF Name = text]x[END IF]"}, 0, "[IF Name = text]", "in quotes"},
        {{"[IF Name \"x\"]x[END IF]"}, 0, "[IF Name \"x\"]", "needs ="},
        {{"[IF Name > \"x\"]x[END IF]"}, 0, "[IF Name > \"x\"]", "write = or <>"},
        {{"[IF Na\uFFFCme]x[END IF]"}, 0, "[IF Na\uFFFCme]", "object inside it"},
        {{"x", "[ELSE]"}, 1, "[ELSE]", "belongs to no block"},
        {{"x[END IF]", "[IF A]"}, 0, "[END IF]", "closes no block"},
        {{"[IF A]a[ELSE]b", "[else]c[END IF]"},
         1,
         "[else]",
         "second [ELSE] in the block of [IF A]"},
        {{"[IF A]", "[IF B]b[END IF]"}, 0, "[IF A]", "not closed by an [END IF]"},
        {{"x", "|[IF A]a", "|[END IF]"}, 1, "[IF A]", "in its table cell"},
        {{"[IF A]a", "|cell", "-[END IF]"}, 0, "[IF A]", "a block cannot hold a table"}};
    for (const Case& broken : cases) {
        const ConditionalText blocks(paragraphs(broken.lines));
        SCOPED_TRACE(broken.lines.join(" / ").toStdString());
        ASSERT_FALSE(blocks.problems().empty());
        const BlockProblem& first = blocks.problems().front();
        EXPECT_EQ(first.paragraph, broken.paragraph);
        EXPECT_EQ(first.marker, broken.marker);
        EXPECT_TRUE(first.what.contains(broken.what)) << first.what.toStdString();
        EXPECT_TRUE(blocks.cuts(values({{"A", "1"}})).empty());
    }
    // The blocks of a text as check-template lists them.
    const ConditionalText letter(paragraphs({"x", "[IF A][IF NOT B]b[ELSE]c[END IF][END IF]"}));
    ASSERT_EQ(letter.blocks().size(), 2u);
    EXPECT_EQ(letter.blocks()[1].marker, "[IF NOT B]");
    EXPECT_EQ(letter.blocks()[1].paragraph, 1);
    EXPECT_EQ(letter.blocks()[1].depth, 1);
    EXPECT_TRUE(letter.blocks()[1].hasElse);
    EXPECT_FALSE(letter.blocks()[0].hasElse);
}

TEST(ConditionalText, SubjectsAndBodiesResolveAsPlainText) {
    const ValueLookup dana = values({{"Name", "Dana"}, {"Member", ""}});
    EXPECT_EQ(ResolveBlocks("Hello[IF Name] [Name][END IF]!", dana).text, "Hello [Name]!");
    EXPECT_EQ(ResolveBlocks("Hi\r\n[IF Member]\r\nThanks\r\n[END IF]\r\nBye", dana).text,
              "Hi\r\nBye");
    const ResolvedText broken = ResolveBlocks("Hi\n[IF Member]Thanks", dana);
    EXPECT_EQ(broken.text, "Hi\n[IF Member]Thanks");
    ASSERT_EQ(broken.problems.size(), 1u);
    EXPECT_EQ(broken.problems.front().paragraph, 1);
}

} // namespace
} // namespace brindlecast
