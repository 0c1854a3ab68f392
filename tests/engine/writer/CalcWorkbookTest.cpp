// Workbooks read through the real office's spreadsheet part: every cell as the sheet shows it,
// every formula with the result its file stored, and nothing outside the file reached.
#include "EngineTestSupport.h"
#include "NewsletterTemplate.h"
#include "support/QtPrint.h"
#include "support/Workbooks.h"

#include <QDir>
#include <QTcpServer>
#include <QUrl>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace brindlecast {
namespace {

using namespace engine;
using namespace testing;

const QStringList Header{"Name", "Company", "Street", "City",    "State",
                         "Zip",  "Amount",  "Joined", "Balance", "Checked"};
// "Harbor Club" and 99.00 are stored results that calculating again would change; the dates
// and the random number are those of volatile formulas the file stored.
const QStringList Dana{"Dana Hollis", "Harbor Club", "12 Main St", "Holtsville", "NY",
                       "00501",       "1234.50",     "05.03.2024", "99.00",      "2023-03-15"};
const QStringList Lee{"Lee Park", "",     "1 Elm Rd",    "Boston", "MA",
                      "02134",    "7.00", "31 Dec 2023", "14.00",  "0.25"};

class CalcWorkbookTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folders = new PrivateFolders;
        const QString xlsx = folders->root("members.xlsx");
        ASSERT_TRUE(MakeWorkbook("members", xlsx));
        books = {xlsx, ConvertWorkbook(xlsx, "ods", folders->root("office")),
                 ConvertWorkbook(xlsx, "xls", folders->root("office"))};
    }
    static void TearDownTestSuite() {
        delete folders;
        folders = nullptr;
    }
    struct Read {
        QStringList names;
        SheetTexts texts;
    };
    static Read read(const QString& path, int sheet = 1) {
        const auto spreadsheets = sharedEngine().createSpreadsheets();
        Workbook& book = spreadsheets->open(path);
        Read got{book.worksheetNames(), book.usedRangeTexts(sheet)};
        book.close();
        spreadsheets->quit();
        return got;
    }

    static inline PrivateFolders* folders = nullptr;
    static inline QStringList books;
};

TEST_F(CalcWorkbookTest, EveryCellShowsAsInTheSheet) {
    for (const QString& path : books) {
        ASSERT_FALSE(path.isEmpty()) << "the office did not convert the workbook";
        SCOPED_TRACE(path.toStdString());
        const Read got = read(path);
        EXPECT_EQ(got.names, QStringList({"Members", "Donations"}));
        EXPECT_EQ(got.texts.firstRow, 2);
        ASSERT_EQ(got.texts.rows.size(), 4u);
        EXPECT_EQ(got.texts.rows[0], Header);
        EXPECT_EQ(got.texts.rows[2], QStringList(Header.size(), QString()));
        // The office calculated the volatile formulas again when it wrote its own copies; and
        // it calculates an Excel 97-2003 file's formulas, since it keeps no text they stored.
        QStringList dana = Dana, lee = Lee;
        if (!path.endsWith(".xlsx"))
            dana.removeLast(), lee.removeLast();
        if (path.endsWith(".xls"))
            dana[1] = "HARBOR CLUB", dana[8] = "2469.00";
        EXPECT_EQ(got.texts.rows[1].mid(0, dana.size()), dana);
        EXPECT_EQ(got.texts.rows[3].mid(0, lee.size()), lee);

        const Read gifts = read(path, 2);
        EXPECT_EQ(gifts.texts.firstRow, 1);
        EXPECT_EQ(gifts.texts.rows,
                  (std::vector<QStringList>{{"Name", "Gift"}, {"Kim Lo", "12.00"}}));
    }
}

// A workbook that points outside itself in the ways a spreadsheet can (a cell of another file,
// a web service, a DDE link) and runs a macro on every event of its life.
QString untrustedFods(const QString& outside, quint16 port, const QString& marker) {
    QString listeners;
    for (const char* event : {"dom:load", "office:load-finished", "office:view-created",
                              "office:prepare-unload", "dom:unload"})
        listeners += QStringLiteral(R"(<script:event-listener script:language="ooo:script"
 script:event-name="%1" xlink:href="vnd.sun.star.script:Standard.Module1.Main?language=Basic&amp;location=document"/>)")
                         .arg(QLatin1String(event));
    const QString macro =
        QStringLiteral("Sub Main\n  Open \"%1\" For Output As #1\n  Print #1, \"ran\"\n"
                       "  Close #1\nEnd Sub\n")
            .arg(marker)
            .toHtmlEscaped();
    const auto stored = [](const QString& formula, const char* value) {
        return QStringLiteral(R"(<table:table-cell table:formula="of:=%1"
 office:value-type="string" office:string-value="%2"><text:p>%2</text:p></table:table-cell>)")
            .arg(formula.toHtmlEscaped(), QLatin1String(value));
    };
    const QString other = QUrl::fromLocalFile(outside + "/other.ods").toString();
    return QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:xlink="http://www.w3.org/1999/xlink"
 xmlns:script="urn:oasis:names:tc:opendocument:xmlns:script:1.0"
 xmlns:ooo="http://openoffice.org/2004/office" office:version="1.3"
 office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
 <office:scripts><office:script script:language="ooo:Basic"><ooo:libraries>
 <ooo:library-embedded ooo:name="Standard"><ooo:module ooo:name="Module1">
 <ooo:source-code>%1</ooo:source-code></ooo:module></ooo:library-embedded></ooo:libraries>
 </office:script><office:event-listeners>%2</office:event-listeners></office:scripts>
 <office:body><office:spreadsheet><table:table table:name="Links">
 <table:table-row><table:table-cell><text:p>Name</text:p></table:table-cell>
 <table:table-cell><text:p>Linked</text:p></table:table-cell>
 <table:table-cell><text:p>Fetched</text:p></table:table-cell>
 <table:table-cell><text:p>Dde</text:p></table:table-cell></table:table-row>
 <table:table-row><table:table-cell><text:p>Dana Hollis</text:p></table:table-cell>%3%4%5
 </table:table-row></table:table><table:dde-links><table:dde-link>
 <office:dde-source office:dde-application="soffice" office:dde-topic="%6"
  office:dde-item="Sheet1.A1" office:automatic-update="true"/><table:table><table:table-column/>
 <table:table-row><table:table-cell office:value-type="string" office:string-value="stored dde">
 <text:p>stored dde</text:p></table:table-cell></table:table-row></table:table>
 </table:dde-link></table:dde-links></office:spreadsheet></office:body></office:document>)")
        .arg(macro, listeners,
             stored(QStringLiteral("['%1'#$Sheet1.A1]").arg(other), "stored link"),
             stored(QStringLiteral("WEBSERVICE(\"http://127.0.0.1:%1/list\")").arg(port),
                    "stored web"),
             stored(QStringLiteral("DDE(\"soffice\";\"%1\";\"Sheet1.A1\")").arg(other),
                    "stored dde"),
             other);
}

TEST_F(CalcWorkbookTest, NothingOutsideTheWorkbookIsReachedAndNoMacroRuns) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    const QString outside = folders->root("outside");
    QDir().mkpath(outside);
    ASSERT_TRUE(QFile::copy(books[1], outside + "/other.ods"));
    const QString marker = folders->root("marker");
    const QString path = folders->root("untrusted.fods");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(untrustedFods(outside, server.serverPort(), marker).toUtf8());
    file.close();

    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(inotify_add_watch(watch, QFile::encodeName(outside).constData(), IN_OPEN), 0);
    const Read got = read(path);
    alignas(inotify_event) char events[4096];
    const ssize_t opened = ::read(watch, events, sizeof events);
    ::close(watch);
    EXPECT_LT(opened, 0) << "the engine opened "
                         << reinterpret_cast<const inotify_event*>(events)->name;
    ASSERT_EQ(got.texts.rows.size(), 2u);
    EXPECT_EQ(got.texts.rows[1],
              QStringList({"Dana Hollis", "stored link", "stored web", "stored dde"}));
    EXPECT_FALSE(server.waitForNewConnection(0)) << "the engine fetched from the web";
    EXPECT_FALSE(QFile::exists(marker)) << "a macro of the workbook ran";
}

TEST_F(CalcWorkbookTest, RefusesWhatCannotBeReadAsAList) {
    // Protected: a password-protected Office Open XML file, as any office writes one.
    const QString locked = folders->root("locked.xlsx");
    {
        const QString flat = folders->root("locked.fodt");
        QFile file(flat);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write((fodtStart() + "<office:body><office:text><text:p>x</text:p></office:text>"
                                  "</office:body></office:document>")
                       .toUtf8());
        file.close();
        const auto application = sharedEngine().createApplication();
        writer::exportDocument(application->open(flat, true), locked, "MS Word 2007 XML", "secret");
        application->quit();
    }
    const auto spreadsheets = sharedEngine().createSpreadsheets();
    try {
        spreadsheets->open(locked);
        ADD_FAILURE() << "opened a protected workbook";
    } catch (const OpenError& error) {
        EXPECT_EQ(error.reason(), "it is protected by a password");
    }
    // Too large: a sheet whose used range is three million cells is refused before it is read.
    const QString huge = folders->root("huge.xlsx");
    ASSERT_TRUE(MakeWorkbook("huge", huge));
    Workbook& book = spreadsheets->open(huge);
    EXPECT_THROW(book.usedRangeTexts(1), SheetTooLarge);
    // Damaged: the workbook's own part garbled, the archive around it whole.
    const QString damaged = folders->root("damaged.xlsx");
    ASSERT_TRUE(GarbleWorkbook(books[0], damaged));
    try {
        spreadsheets->open(damaged);
        ADD_FAILURE() << "opened a damaged workbook";
    } catch (const OpenError& error) {
        EXPECT_TRUE(error.reason().contains("could not read it as a workbook")) << error.what();
    }
    spreadsheets->quit();
}

} // namespace
} // namespace brindlecast
