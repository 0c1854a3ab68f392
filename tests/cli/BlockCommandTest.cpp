// The blocks that fit each recipient as check-template reports them, through the program and
// the real engine.
#include "CommandTest.h"
#include "engine/writer/PackageFiles.h"

#include <QDir>

namespace brindlecast {
namespace {

using testing::Outcome;

class BlockCommandTest : public testing::CommandTest {
protected:
    // The paragraphs of a made .odt as its XML has them, an empty one as "".
    static QStringList paragraphsOf(const QString& path) {
        const QString xml = tool("unzip", {"-p", path, "content.xml"});
        static const QRegularExpression paragraph(
            "<text:(?:p|h)\\b[^>]*?(?:/>|>(.*?)</text:(?:p|h)>)",
            QRegularExpression::DotMatchesEverythingOption);
        QStringList texts;
        for (const auto& match : paragraph.globalMatch(xml))
            texts << match.captured(1).remove(QRegularExpression("<[^>]*>"));
        return texts;
    }
};

QByteArray letter(const QString& more) {
    return testing::OdtPackage(
        "<office:body><office:text>"
        "<text:p>[IF Member]Dear member [RecipientName],[ELSE]Dear [RecipientName],[END "
        "IF]</text:p>"
        "<text:p>[if CompanyName2]</text:p>"
        "<text:p>[CompanyName2][IF NOT StreetAddress2] (no street)[END IF]</text:p>"
        "<text:p>[END IF]</text:p>" +
        more + "</office:text></office:body>");
}

TEST_F(BlockCommandTest, CheckTemplateListsTheBlocksAndNamesEachBrokenOneWithItsPlace) {
    writeAll(root("letter.odt"), letter({}));
    Outcome checked = run({"check-template", root("letter.odt")});
    EXPECT_EQ(checked.code, 0) << checked.err.toStdString();
    EXPECT_TRUE(checked.out.contains("\nIF blocks (3):\n"
                                     "  [IF Member] with [ELSE]  main text, paragraph 1\n"
                                     "  [if CompanyName2]  main text, paragraph 2\n"
                                     "    [IF NOT StreetAddress2]  main text, paragraph 3\n"
                                     "Usable as it is.\n"))
        << checked.out.toStdString();

    writeAll(root("broken.odt"), letter("<text:p>x</text:p><text:p>[END IF] [IF Name = gold]"
                                        "</text:p>"));
    checked = run({"check-template", root("broken.odt")});
    EXPECT_EQ(checked.code, 1) << checked.err.toStdString();
    EXPECT_TRUE(checked.out.contains(
        "Finding: [END IF] (main text, paragraph 6) closes no block.\n"
        "Finding: [IF Name = gold] (main text, paragraph 6) needs the text it compares with in "
        "quotes: [IF Name = \"text\"].\n"
        "Finding: [IF Name = gold] (main text, paragraph 6) is not closed by an [END IF].\n"
        "Not usable until its blocks are mended (3 findings).\n"))
        << checked.out.toStdString();
    EXPECT_FALSE(checked.out.contains("no placeholder")) << checked.out.toStdString();
}

// An address line kept or removed, a block over paragraphs with one inside it, one in a table
// cell: what each recipient of a list gets.
QByteArray listLetter() {
    return testing::OdtPackage(
        "<office:body><office:text>"
        "<text:p>[IF Company][Company][END IF]</text:p>"
        "<text:p>[RecipientName]</text:p>"
        "<text:p>[IF Member]</text:p>"
        "<text:p>Member number [Member].</text:p>"
        "<text:p>[IF Level = \"gold\"]Gold perks apply.[ELSE]Standard perks.[END IF]</text:p>"
        "<text:p>[END IF]</text:p>"
        "<text:p>[IF NOT member]Join us! [END IF]Regards.</text:p>"
        "<text:p>[IF Fax]By fax too.[END IF]</text:p>"
        "<table:table xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\">"
        "<table:table-column/><table:table-row><table:table-cell><text:p>[IF Company]Attn: "
        "[Company][END IF]</text:p></table:table-cell></table:table-row></table:table>"
        "<text:p>End.</text:p>"
        "</office:text></office:body>");
}

TEST_F(BlockCommandTest, AListRunKeepsWhatFitsEachRecipientAndLeavesNoBlankLine) {
    writeAll(root("letter.odt"), listLetter());
    writeAll(root("list.csv"), "Name,Company,Member,Level,Notes\n"
                               "Ann Lee,Acme,17,GOLD,x\n"
                               "Bo Chan,,,,y\n");
    Outcome checked = run({"check-template", root("letter.odt"), "--recipients", "list.csv"});
    EXPECT_EQ(checked.code, 0) << checked.err.toStdString();
    EXPECT_TRUE(checked.out.contains("IF blocks with the list:\n"
                                     "  [IF Company]  kept for 1 of 2\n"
                                     "  [IF Member]  kept for 1 of 2\n"
                                     "    [IF Level = \"gold\"]  kept for 1 of 2\n"
                                     "  [IF NOT member]  kept for 1 of 2\n"
                                     "  [IF Fax]  kept for 0 of 2 (Fax is neither a field nor a "
                                     "column: always empty)\n"
                                     "  [IF Company]  kept for 1 of 2\n"
                                     "Columns nothing uses: Notes.\n"))
        << checked.out.toStdString();

    const Outcome made =
        make({"--no-stored", "--template", root("letter.odt"), "--recipients", "list.csv",
              "--output", root("out"), "--format", "odt", "--file-name", "[Name]"});
    ASSERT_EQ(made.code, 0) << made.err.toStdString() << made.out.toStdString();
    EXPECT_EQ(paragraphsOf(root("out/Ann Lee.odt")),
              QStringList({"Acme", "Ann Lee", "Member number 17.", "Gold perks apply.", "Regards.",
                           "Attn: Acme", "End."}));
    // The cell keeps its one paragraph, empty.
    EXPECT_EQ(paragraphsOf(root("out/Bo Chan.odt")),
              QStringList({"Bo Chan", "Join us! Regards.", "", "End."}));
}

// A block that is not whole stops make before its engine makes anything, naming where it is.
TEST_F(BlockCommandTest, MakeRefusesABrokenBlockBeforeMakingAnything) {
    writeAll(root("broken.odt"), letter("<text:p>x</text:p><text:p>[IF Member]</text:p>"));
    writeAll(root("list.csv"), "Name,Member\nAnn Lee,1\n");
    const Outcome made = make({"--no-stored", "--template", root("broken.odt"), "--recipients",
                               "list.csv", "--output", root("out")});
    EXPECT_EQ(made.code, 2) << made.err.toStdString();
    EXPECT_TRUE(made.err.contains(root("broken.odt") +
                                  " has an IF block that cannot be used: [IF Member] (main text, "
                                  "paragraph 6) is not closed by an [END IF]; nothing was made"))
        << made.err.toStdString();
    EXPECT_TRUE(QDir(root("out")).entryList(QDir::Files).isEmpty());
}

} // namespace
} // namespace brindlecast
