// Workbooks on the Windows edition: read through Excel's object model, against the Excel
// stand-in, as a workbook from anyone must be opened, and what Excel shows read back.
#include "Standin.h"
#include "app/PrivateClipboard.h"
#include "engine/DeadlineEngine.h"
#include "engine/word/WordEngine.h"
#include "fakes/StoredZip.h"
#include "generate/SpreadsheetList.h"
#include "support/Isolated.h"

#include <QRegularExpression>

namespace brindlecast {
namespace {

using namespace std::chrono_literals;

class ExcelWorkbookTest : public testing::Isolated {
protected:
    ExcelWorkbookTest() { writeAll(bookPath, bytes); }

    testing::Standin standin{root("standin")};
    PrivateClipboard clipboard;
    engine::word::WordEngine engine{clipboard};
    engine::DeadlineEngine deadline{engine, {20s, {}, {}}};
    const QByteArray bytes =
        fakes::StoredZip({{"[Content_Types].xml", "<Types/>"}, {"xl/workbook.xml", "<workbook/>"}});
    const QString bookPath = temp("members.xlsx");
};

TEST_F(ExcelWorkbookTest, ReadsWhatExcelShowsAndLetsItAskNothing) {
    auto spreadsheets = deadline.createSpreadsheets();
    engine::Workbook& book = spreadsheets->open(bookPath);
    EXPECT_EQ(book.worksheetNames(), QStringList({"Members", "Donations"}));
    const engine::SheetTexts texts = book.usedRangeTexts(1);
    EXPECT_EQ(texts.firstRow, 2);
    // Each number as its format shows it, the columns wide enough, the formula's result stored.
    EXPECT_EQ(texts.rows,
              (std::vector<QStringList>{{"Name", "Zip", "Amount", "Joined", "Balance"},
                                        {"Dana Hollis", "00501", "1234.50", "05.03.2024", "99.00"},
                                        {"", "", "", "", ""},
                                        {"Lee Park", "02134", "7.00", "31 Dec 2023", "14.00"}}));
    book.close();
    // A list through the same session, as the command line reads one.
    const RecipientList gifts =
        ReadWorkbookList(*spreadsheets, {bookPath, bytes, SpreadsheetKind::Xlsx, "donations"});
    ASSERT_EQ(gifts.recipients.size(), 1u);
    EXPECT_EQ(gifts.recipients[0].name(), "Kim Lo");
    spreadsheets->quit();
    spreadsheets.reset();

    const QStringList calls = standin.calls();
    EXPECT_EQ(calls.filter(QRegularExpression("^! ")), QStringList());
    // Before anything opens: no questions, no events, no calculation; macros off right before
    // each Open.
    const QStringList before{"Application.DisplayAlerts put BOOL:false -> ok",
                             "Application.EnableEvents put BOOL:false -> ok",
                             "Workbooks.Add call -> ok DISPATCH",
                             "Application.Calculation put I4:-4135 -> ok",
                             "Application.AutomationSecurity put I4:3 -> ok"};
    qsizetype at = 0;
    for (const QString& call : before) {
        at = calls.indexOf(call, at);
        EXPECT_GE(at, 0) << call.toStdString();
    }
    const QStringList opens = calls.filter(QRegularExpression("^Workbooks.Open "));
    ASSERT_EQ(opens.size(), 2);
    for (const QString& open : opens)
        EXPECT_TRUE(open.contains(" UpdateLinks=I4:0 ReadOnly=BOOL:true Password=BSTR:\""))
            << open.toStdString();
    // The copy of the list the engine is given is an .xlsx too: Excel goes by the name.
    EXPECT_TRUE(opens[1].contains("\\\\list.xlsx\"")) << opens[1].toStdString();
    EXPECT_EQ(calls.filter("Workbook.Close call SaveChanges=BOOL:false -> ok").size(), 3);
    EXPECT_TRUE(calls.contains("Application.Quit call -> ok"));
    EXPECT_EQ(standin.exits(), QStringList{"* exit: after Quit"});
}

TEST_F(ExcelWorkbookTest, NoExcelIsSaidAndWhatExcelRefusesIsAnOpenError) {
    engine::word::WordEngine without{clipboard, {}, {.excelProgId = "Brindlecast.NoSuchExcel"}};
    try {
        without.createSpreadsheets();
        ADD_FAILURE() << "an Excel that is not there started";
    } catch (const engine::SpreadsheetsMissing& missing) {
        EXPECT_TRUE(QString(missing.what()).startsWith("Excel is not installed for automation"))
            << missing.what();
    }

    // What Excel refuses, in Excel's words, short of the file's name on a line of its own.
    writeAll(temp("notes.xlsx"), "Name\nDana Hollis\n");
    const auto refused = [&](const QString& path, const QString& reason) {
        auto spreadsheets = deadline.createSpreadsheets();
        try {
            spreadsheets->open(path);
            ADD_FAILURE() << "opened " << path.toStdString();
        } catch (const engine::OpenError& error) {
            EXPECT_TRUE(error.reason().contains(reason)) << error.reason().toStdString();
        }
        spreadsheets->quit();
    };
    refused(temp("notes.xlsx"), "the file format or file extension is not valid");
    refused(temp("gone.xlsx"), "Sorry, we couldn't find");
    standin.play({"fail Workbooks.Open The password you supplied is not correct."});
    refused(bookPath, "it is protected by a password");
    standin.play({});
    EXPECT_EQ(standin.exits(), QStringList(3, "* exit: after Quit"));
}

} // namespace
} // namespace brindlecast
