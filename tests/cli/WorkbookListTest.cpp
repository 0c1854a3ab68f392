// Workbooks as recipient lists on the command line: an .xlsx a Python library wrote and the .ods
// the office made of it, read as their sheets show them; what cannot be read is refused by name.
#include "CommandTest.h"
#include "engine/writer/PackageFiles.h"
#include "fakes/StoredCompound.h"
#include "newsletter/Recipients.h"
#include "support/QtPrint.h"
#include "support/Workbooks.h"

#include <QDir>

namespace brindlecast {
namespace {

using testing::Outcome;

class WorkbookListTest : public testing::CommandTest {
protected:
    static void SetUpTestSuite() {
        sFolders = new testing::PrivateFolders;
        ASSERT_TRUE(testing::MakeWorkbook("members", made("members.xlsx")));
        ASSERT_FALSE(
            testing::ConvertWorkbook(made("members.xlsx"), "ods", made("office")).isEmpty());
        QFile letter(made("letter.odt"));
        ASSERT_TRUE(letter.open(QIODevice::WriteOnly));
        letter.write(testing::OdtPackage(
            "<office:body><office:text><text:p>Dear [RecipientName] of [CompanyName2],</text:p>"
            "<text:p>[StreetAddress2]</text:p><text:p>[CitySTZIP2]</text:p></office:text>"
            "</office:body>"));
    }
    static void TearDownTestSuite() { delete sFolders; }
    static QString made(const QString& name) { return sFolders->root(name); }
    // The text of each newsletter made in `folder`, in list order.
    QStringList newsletters(const QString& folder) const {
        QStringList texts;
        for (const QString& name : QDir(root(folder)).entryList({"*.odt"}, QDir::Files))
            texts << textOf(root(folder + '/' + name));
        return texts;
    }

    static testing::PrivateFolders* sFolders;
};

testing::PrivateFolders* WorkbookListTest::sFolders = nullptr;

TEST_F(WorkbookListTest, EachRecipientGetsTheValuesTheSheetShows) {
    for (const QString& book : {made("members.xlsx"), made("members.ods")}) {
        SCOPED_TRACE(book.toStdString());
        const QString folder = QFileInfo(book).suffix();
        const Outcome outcome = make({"--no-stored", "--template", made("letter.odt"),
                                      "--recipients", book, "--output", folder, "--format", "odt"});
        ASSERT_EQ(outcome.code, 0) << outcome.err.toStdString();
        EXPECT_TRUE(outcome.out.contains("Made 2 of 2")) << outcome.out.toStdString();
        EXPECT_TRUE(outcome.out.contains("Zip (CitySTZIP2); ignored: Amount, Joined, Balance, "
                                         "Checked"))
            << outcome.out.toStdString();
        const QStringList texts = newsletters(folder);
        ASSERT_EQ(texts.size(), 2);
        // The company is a formula's stored result, the zip code a number shown with its zeros.
        for (const char* shown :
             {"Dear Dana Hollis of Harbor Club,", "12 Main St", "Holtsville NY 00501"})
            EXPECT_TRUE(texts[0].contains(shown)) << shown << " in " << texts[0].toStdString();
        EXPECT_TRUE(texts[1].contains("Boston MA 02134")) << texts[1].toStdString();
    }
    const Outcome gifts =
        make({"--no-stored", "--template", made("letter.odt"), "--recipients", made("members.xlsx"),
              "--sheet", "donations", "--output", "gifts", "--format", "odt"});
    ASSERT_EQ(gifts.code, 0) << gifts.err.toStdString();
    const QStringList texts = newsletters("gifts");
    ASSERT_EQ(texts.size(), 1);
    EXPECT_TRUE(texts[0].contains("Dear Kim Lo")) << texts[0].toStdString();
}

// The check reads the sheet a run would read: its header cells are the columns that fill.
TEST_F(WorkbookListTest, CheckTemplateReadsTheSheetItIsGiven) {
    QFile thanks(root("thanks.odt"));
    ASSERT_TRUE(thanks.open(QIODevice::WriteOnly));
    thanks.write(
        testing::OdtPackage("<office:body><office:text><text:p>Thank you, [RecipientName], "
                            "for [Gift] and [Zip].</text:p></office:text></office:body>"));
    thanks.close();
    const QStringList check = {"check-template", root("thanks.odt"), "--no-stored", "--recipients",
                               made("members.xlsx")};
    Outcome checked = run(check + QStringList{"--sheet", "DONATIONS"});
    EXPECT_EQ(checked.code, 1) << checked.out.toStdString() << checked.err.toStdString();
    for (const char* line : {"List sheet Donations of ", "members.xlsx: 1 recipients.",
                             "Filled from the list: [RecipientName] from Name, [Gift] from Gift.",
                             "[Zip] (main text 1) is neither a field nor a column"})
        EXPECT_TRUE(checked.out.contains(line))
            << line << " missing in " << checked.out.toStdString();
    // The first sheet has a Zip column and no Gift.
    checked = run(check);
    EXPECT_EQ(checked.code, 1) << checked.err.toStdString();
    EXPECT_TRUE(checked.out.contains("[Gift] (main text 1) is neither a field nor a column"))
        << checked.out.toStdString();
    EXPECT_FALSE(checked.out.contains("[Zip] (main text 1)")) << checked.out.toStdString();
    checked = run(check + QStringList{"--sheet", "Gifts"});
    EXPECT_EQ(checked.code, 2);
    EXPECT_TRUE(checked.err.contains("it has no sheet named \"Gifts\""))
        << checked.err.toStdString();
    checked = run({"check-template", root("thanks.odt"), "--sheet", "Donations"});
    EXPECT_EQ(checked.code, 2);
    EXPECT_TRUE(checked.err.contains("--sheet go with --recipients")) << checked.err.toStdString();
}

TEST_F(WorkbookListTest, AWorkbookThatCannotBeReadIsRefusedByName) {
    const QByteArray whole = readAll(made("members.xlsx"));
    writeAll(root("locked.xlsx"),
             fakes::StoredCompound({{"EncryptionInfo", "x"}, {"EncryptedPackage", "sealed"}}));
    writeAll(root("cut.xlsx"), whole.left(whole.size() / 2));
    ASSERT_TRUE(testing::GarbleWorkbook(made("members.xlsx"), root("garbled.xlsx")));
    ASSERT_TRUE(testing::MakeWorkbook("huge", root("huge.xlsx")));
    QFile big(root("big.xlsx"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(MaxListBytes + 1));
    big.close();
    writeAll(root("list.csv"), "Name\nDana Hollis\n");
    QFile::copy(made("members.xlsx"), root("members.xlsx"));
    for (const auto& [arguments, says] : std::vector<std::pair<QStringList, QString>>{
             {{"locked.xlsx"}, "locked.xlsx: it is protected by a password"},
             {{"cut.xlsx"}, "cut.xlsx: it is a damaged ZIP file"},
             {{"garbled.xlsx"}, "garbled.xlsx: the document engine could not read it"},
             {{"big.xlsx"}, "big.xlsx is larger than a list may be (64 MiB)"},
             {{"huge.xlsx"}, "huge.xlsx: its sheet Sheet uses 1000000 rows by 3 columns"},
             {{"members.xlsx", "--sheet", "Gifts"},
              "members.xlsx: it has no sheet named \"Gifts\"; its sheets are: Members, Donations"},
             {{"list.csv", "--sheet", "Members"}, "--sheet Members: list.csv is no workbook"}}) {
        const Outcome outcome = make(QStringList{"--no-stored", "--template", made("letter.odt"),
                                                 "--output", "out", "--recipients"} +
                                     arguments);
        EXPECT_EQ(outcome.code, 2) << arguments[0].toStdString();
        EXPECT_TRUE(outcome.err.contains(says)) << outcome.err.toStdString();
        EXPECT_FALSE(QDir(root("out")).exists()) << arguments[0].toStdString();
    }
}

} // namespace
} // namespace brindlecast
