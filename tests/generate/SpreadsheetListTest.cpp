// Workbooks as recipient lists before and after the engine reads them: what kind of file a list
// is, by what it holds, and how a sheet's shown texts become recipients.
#include "generate/SpreadsheetList.h"

#include "fakes/FakeDialogs.h"
#include "fakes/FakeEngine.h"
#include "fakes/StoredCompound.h"
#include "fakes/StoredZip.h"
#include "support/Isolated.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace brindlecast {
namespace {

using fakes::StoredCompound;
using fakes::StoredZip;

// Excel 97's beginning-of-file record, and the one that says the rest is encrypted.
const QByteArray Bof = QByteArray::fromHex("0908100000060500") + QByteArray(12, '\0');
const QByteArray FilePass = QByteArray::fromHex("2f000200") + QByteArray(2, '\0');
const QByteArray Types = "<Types/>";
const QByteArray Spreadsheet = "application/vnd.oasis.opendocument.spreadsheet";

TEST(SpreadsheetFileTest, TellsAWorkbookByWhatItHolds) {
    for (const auto& [bytes, kind] : std::vector<std::pair<QByteArray, SpreadsheetKind>>{
             {StoredZip({{"[Content_Types].xml", Types}, {"xl/workbook.xml", "<workbook/>"}}),
              SpreadsheetKind::Xlsx},
             {StoredZip({{"[Content_Types].xml", Types},
                         {"xl/workbook.xml", "<workbook/>"},
                         {"xl/vbaProject.bin", "macros"}}),
              SpreadsheetKind::Xlsm},
             {StoredZip({{"mimetype", Spreadsheet}, {"content.xml", "<office:document/>"}}),
              SpreadsheetKind::Ods},
             {StoredZip({{"mimetype", Spreadsheet + "-template"}}), SpreadsheetKind::Ods},
             {StoredCompound({{"Workbook", Bof}}), SpreadsheetKind::Xls},
             {StoredCompound({{"Book", Bof}, {"\x05SummaryInformation", "x"}}),
              SpreadsheetKind::Xls}}) {
        // Whatever the file is called.
        EXPECT_EQ(IdentifySpreadsheet("list.csv", bytes), kind);
        EXPECT_EQ(IdentifySpreadsheet("list.xlsx", bytes), kind);
    }
    EXPECT_EQ(SpreadsheetSuffix(SpreadsheetKind::Xlsm), ".xlsm");
    // Text is a text list, even named as a workbook, as some programs' exports are.
    EXPECT_EQ(IdentifySpreadsheet("list.xls", "Name\tCity\nDana\tBoston\n"), std::nullopt);
    EXPECT_EQ(IdentifySpreadsheet("list.csv", ""), std::nullopt);
}

TEST(SpreadsheetFileTest, RefusesWhatIsNoReadableWorkbook) {
    for (const auto& [bytes, says] : std::vector<std::pair<QByteArray, QString>>{
             {StoredCompound({{"EncryptionInfo", "x"}, {"EncryptedPackage", "sealed"}}),
              "protected by a password"},
             {StoredCompound({{"Workbook", Bof + FilePass}}), "protected by a password"},
             {StoredZip({{"mimetype", Spreadsheet}, {"content.xml", "\x93\x11\xC0 sealed"}}),
              "protected by a password"},
             {StoredCompound({{"WordDocument", "x"}}), "it is a Word document"},
             {StoredCompound({{"Workbook", "no records"}}), "a damaged Excel 97-2003 workbook"},
             {QByteArray::fromHex("D0CF11E0A1B11AE1") + QByteArray(600, '\0'),
              "a damaged OLE file"},
             {"PK\x03\x04 cut short", "a damaged ZIP file"},
             {StoredZip({{"[Content_Types].xml", Types}, {"xl/workbook.bin", "binary"}}),
              "(.xlsb); save it as .xlsx"},
             {StoredZip({{"[Content_Types].xml", Types}, {"word/document.xml", "<w:document/>"}}),
              "it is a Word document"},
             {StoredZip({{"mimetype", "application/vnd.oasis.opendocument.text"}}),
              "an OpenDocument file, but no spreadsheet"},
             {StoredZip({{"notes.txt", "hello"}}), "a ZIP file of something else"},
             {"", "it is empty"}}) {
        try {
            IdentifySpreadsheet("list.xlsx", bytes);
            ADD_FAILURE() << "took " << bytes.left(20).toHex().constData();
        } catch (const SpreadsheetError& error) {
            EXPECT_TRUE(QString::fromStdString(error.what()).contains(says)) << error.what();
        }
    }
}

class SpreadsheetListTest : public testing::Isolated {
protected:
    SpreadsheetListTest() {
        engine.workbookModel = {{"Members",
                                 {3,
                                  {{"", "", ""},
                                   {"Name", "Zip", "Amount"},
                                   {"Dana Hollis", "00501", "1234.50"},
                                   {" ", "", ""},
                                   {"Lee Park", "02134", "7.00"}}}},
                                {"Donations", {1, {{"Name", "Gift"}, {"Kim Lo", "12.00"}}}}};
    }
    RecipientList read(const QString& sheet = {}) {
        const auto spreadsheets = engine.createSpreadsheets();
        return ReadWorkbookList(*spreadsheets, {"members.ods", Bytes, SpreadsheetKind::Ods, sheet});
    }

    const QByteArray Bytes = StoredZip({{"mimetype", Spreadsheet}});
    fakes::FakeClipboard clipboard;
    fakes::FakeEngine engine{clipboard};
};

TEST_F(SpreadsheetListTest, TheFirstFilledRowIsTheHeaderAndEmptyRowsGo) {
    QString given;
    engine.onCall = [&](const QString& call) {
        if (!call.startsWith("openWorkbook "))
            return;
        // The engine gets a copy of the bytes, named for their kind, and never the user's file.
        given = call.section(' ', 1);
        QFile copy(given);
        EXPECT_TRUE(copy.open(QIODevice::ReadOnly));
        EXPECT_EQ(copy.readAll(), Bytes);
    };
    const RecipientList list = read();
    EXPECT_TRUE(given.startsWith(temp())) << given.toStdString();
    EXPECT_TRUE(given.endsWith("/list.ods")) << given.toStdString();
    EXPECT_FALSE(QFileInfo::exists(given));
    EXPECT_EQ(list.format, RecipientFormat::Spreadsheet);
    EXPECT_EQ(list.sheet, "Members");
    ASSERT_EQ(list.recipients.size(), 2u);
    EXPECT_EQ(list.recipients[0].name(), "Dana Hollis");
    EXPECT_EQ(list.recipients[0].value(RecipientField::CityStZip), "00501");
    // Rows are the sheet's own, for messages that point at one.
    EXPECT_EQ(list.recipients[0].line, 5);
    EXPECT_EQ(list.recipients[1].line, 7);
    EXPECT_EQ(DescribeColumns(list.columns),
              "used: Name (RecipientName), Zip (CitySTZIP2); ignored: Amount");
    EXPECT_EQ(engine.log.mid(1), QStringList({"openWorkbook " + given, "worksheetNames",
                                              "usedRangeTexts 1", "closeWorkbook"}));

    // Another sheet by its name, in any letter case.
    const RecipientList gifts = read("DONATIONS");
    EXPECT_EQ(gifts.sheet, "Donations");
    ASSERT_EQ(gifts.recipients.size(), 1u);
    EXPECT_EQ(gifts.recipients[0].name(), "Kim Lo");
    EXPECT_TRUE(engine.log.contains("usedRangeTexts 2"));
}

TEST_F(SpreadsheetListTest, SaysWhyASheetIsNoList) {
    const auto says = [&](const QString& sheet, const char* message) {
        try {
            read(sheet);
            ADD_FAILURE() << "read " << sheet.toStdString();
        } catch (const std::exception& error) {
            EXPECT_TRUE(QString::fromStdString(error.what()).contains(message)) << error.what();
        }
        // Whatever went wrong, the workbook is closed again.
        EXPECT_EQ(engine.log.count("closeWorkbook"),
                  engine.log.filter(QRegularExpression("^openWorkbook ")).size());
    };
    says("Gifts", "it has no sheet named \"Gifts\"; its sheets are: Members, Donations");
    engine.workbookModel[0].texts.rows = {{"", ""}, {" ", ""}};
    says({}, "its sheet Members is empty");
    engine.workbookModel[0].texts.rows = {{"", ""}, {"Name", "Zip"}, {"", ""}};
    says({}, "its sheet Members has no recipient below its header at row 4");
    engine.workbookModel[0].texts.rows = {{"Street", "Zip"}, {"1 Elm Rd", "02134"}};
    says({}, "no name column in the header at row 3 of sheet Members");
    engine.onCall = [](const QString& call) {
        if (call.startsWith("usedRangeTexts"))
            throw engine::SheetTooLarge("uses 3000000 rows by 1 columns");
    };
    says({}, "its sheet Members uses 3000000 rows");
    engine.onCall = [](const QString& call) {
        if (call.startsWith("openWorkbook"))
            throw engine::OpenError("list.ods", "it is protected by a password");
    };
    try {
        read();
        ADD_FAILURE() << "read a workbook that did not open";
    } catch (const SpreadsheetError& error) {
        EXPECT_STREQ(error.what(), "it is protected by a password");
    }
}

} // namespace
} // namespace brindlecast
