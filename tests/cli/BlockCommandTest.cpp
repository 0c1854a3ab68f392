// The blocks that fit each recipient as check-template reports them, through the program and
// the real engine.
#include "CommandTest.h"
#include "engine/writer/PackageFiles.h"

namespace brindlecast {
namespace {

using testing::Outcome;

class BlockCommandTest : public testing::CommandTest {};

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

} // namespace
} // namespace brindlecast
