// A template of the user's own, before and after the engine reads it: what kind of file it is,
// what it holds, and the scratch folders of list runs.
#include "generate/TemplateCheck.h"

#include "fakes/FakeDialogs.h"
#include "fakes/FakeEngine.h"
#include "fakes/StoredZip.h"
#include "generate/ListFolders.h"
#include "generate/TemplateFile.h"
#include "support/Isolated.h"

#include <QDir>

namespace brindlecast {
namespace {

using fakes::StoredZip;

class TemplateFileTest : public testing::Isolated {};

TEST_F(TemplateFileTest, TellsWhatIsNoTemplateBeforeAnyEngineSeesIt) {
    const QByteArray odfType = "application/vnd.oasis.opendocument.text";
    for (const auto& [bytes, says] : std::vector<std::pair<QByteArray, QString>>{
             {StoredZip({{"junk.bin", QByteArray(300, 'x')}, {"more", "junk"}}),
              "(a ZIP file of something else)"},
             {StoredZip({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"}}),
              "an OpenDocument file, but no text"},
             {StoredZip({{"mimetype", odfType}, {"content.xml", "\x93\x11\xC0\x00 sealed"}}),
              "is protected by a password"},
             {"PK\x03\x04 cut short", "(a damaged ZIP file)"},
             {QByteArray::fromHex("D0CF11E0A1B11AE1") + QByteArray(600, '\0'),
              "(a damaged OLE file)"},
             {"{\\rtf1 [NLTitle]}", "is not a document Brindlecast can fill: a template is"},
             {"", "(it is empty)"}}) {
        try {
            IdentifyTemplate("t.docx", bytes);
            ADD_FAILURE() << "took " << bytes.left(20).toHex().constData();
        } catch (const TemplateError& error) {
            EXPECT_TRUE(QString::fromStdString(error.what()).contains(says)) << error.what();
            EXPECT_TRUE(QString::fromStdString(error.what()).startsWith("t.docx ")) << error.what();
        }
    }
    const TemplateFile odt = IdentifyTemplate(
        "x.zip", StoredZip({{"mimetype", odfType + "-template"}, {"content.xml", "<?xml?>"}}));
    EXPECT_EQ(odt.kind, TemplateKind::OpenDocument);
    EXPECT_EQ(TemplateSuffix(odt), ".ott");
    EXPECT_EQ(IdentifyTemplate(
                  "x", StoredZip({{"[Content_Types].xml", "<T/>"}, {"word/document.xml", ""}}))
                  .kind,
              TemplateKind::WordXml);
    // Macros are told apart by the parts that hold them.
    EXPECT_EQ(odt.macros, "");
    EXPECT_EQ(IdentifyTemplate("x", StoredZip({{"mimetype", odfType},
                                               {"content.xml", "<?xml?>"},
                                               {"Basic/Standard/Module1.xml", "<m/>"}}))
                  .macros,
              "Basic macros");
    // An empty library's index is no macro; a dialog is part of them.
    const auto odfWith = [&](const QList<QByteArray>& names) {
        std::vector<std::pair<QByteArray, QByteArray>> parts{{"mimetype", odfType},
                                                             {"content.xml", "<?xml?>"}};
        for (const QByteArray& name : names)
            parts.emplace_back(name, "<l/>");
        return IdentifyTemplate("x", StoredZip(parts)).macros;
    };
    EXPECT_EQ(odfWith({"Basic/script-lc.xml", "Basic/Standard/script-lb.xml",
                       "Dialogs/dialog-lc.xml", "Dialogs/Standard/dialog-lb.xml"}),
              "");
    EXPECT_EQ(odfWith({"Dialogs/Standard/Dialog1.xml", "Basic/Extra/Module2.xml"}),
              "Basic macros and Basic dialogs");
    EXPECT_EQ(odfWith({"Scripts/python/x.py", "Dialogs/Standard/Dialog1.xml",
                       "Basic/Standard/Module1.xml"}),
              "Basic macros, Basic dialogs and scripts");
    EXPECT_EQ(IdentifyTemplate("x", StoredZip({{"[Content_Types].xml", "<T/>"},
                                               {"word/document.xml", ""},
                                               {"word/vbaProject.bin", "\xD0\xCF"}}))
                  .macros,
              "a Word macro project");
}

TEST_F(TemplateFileTest, ALooksTemplateIsAWordTemplateAndItsMangledHeadersAreRefusedSafely) {
    QFile look(":/templates/101.dot");
    ASSERT_TRUE(look.open(QIODevice::ReadOnly));
    const QByteArray bytes = look.readAll();
    const TemplateFile file = IdentifyTemplate("classic.dot", bytes);
    EXPECT_EQ(file.kind, TemplateKind::Word97);
    EXPECT_EQ(TemplateSuffix(file), ".dot");
    // Every number of the header that the reader follows, made the largest, the smallest and
    // one past what is sane; and the file cut short at each of its first sectors.
    std::vector<QByteArray> mangled;
    for (const int at : {0x1E, 0x20, 0x2C, 0x30, 0x38, 0x3C, 0x40, 0x44, 0x48, 0x4C, 0x50})
        for (const char byte : {'\xFF', '\x00', '\x40'}) {
            QByteArray copy = bytes;
            copy[at] = byte;
            copy[at + 1] = byte;
            mangled.push_back(copy);
        }
    for (qsizetype size = 512; size < std::min<qsizetype>(bytes.size(), 8 * 512); size += 512)
        mangled.push_back(bytes.left(size));
    for (const QByteArray& copy : mangled) {
        try {
            EXPECT_EQ(IdentifyTemplate("classic.dot", copy).kind, TemplateKind::Word97);
        } catch (const TemplateError& error) {
            EXPECT_TRUE(QString::fromStdString(error.what()).startsWith("classic.dot is "))
                << error.what();
        }
    }
}

TEST_F(TemplateFileTest, RefusesAHugeFileWithoutReadingIt) {
    QFile huge(temp("huge.docx"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize(MaxTemplateBytes + 1)); // sparse: no disk is filled
    huge.close();
    for (const auto& [path, says] : std::vector<std::pair<QString, QString>>{
             {temp("huge.docx"), "is larger than a template may be (50 MB)"},
             {temp(), "it is a folder"},
             {temp("missing.odt"), "cannot read"}}) {
        try {
            ReadTemplateFile(path);
            ADD_FAILURE() << path.toStdString();
        } catch (const TemplateError& error) {
            EXPECT_TRUE(QString::fromStdString(error.what()).contains(says)) << error.what();
        }
    }
}

TEST(TemplateCheck, CountsPlaceholdersByPlaceAndNamesWhatIsNone) {
    const QChar object(0xFFFC);
    const TemplateReport report = AnalyseTemplate(
        {{TextPlace::MainText, "[NLTitle]\n[Edition [ISSUENO], Volume [VolNo]] [nltitel]"},
         {TextPlace::Table, "[RecipientName] [NLTITLE]"},
         {TextPlace::Header, QStringLiteral("[NLTitle] [IssueDate] [Sender%1Name]").arg(object)},
         {TextPlace::TextBox, "[IssueDate] [Article Author] [NLTitel]"}});
    EXPECT_EQ(
        report.placeholders[0],
        (PlaceCounts{{TextPlace::MainText, 1}, {TextPlace::Table, 1}, {TextPlace::Header, 1}}));
    EXPECT_EQ(report.placeholders[2], (PlaceCounts{{TextPlace::MainText, 1}}));
    EXPECT_EQ(report.placeholders[IssueDatePlaceholderIndex],
              (PlaceCounts{{TextPlace::Header, 1}, {TextPlace::TextBox, 1}}));
    EXPECT_EQ(report.unfilledIssueDates, (PlaceCounts{{TextPlace::Header, 1}}));
    ASSERT_EQ(report.strays.size(), 3u);
    EXPECT_EQ(report.strays[0].text, "[nltitel]"); // as first spelled, counted in any case
    EXPECT_EQ(report.strays[0].places,
              (PlaceCounts{{TextPlace::MainText, 1}, {TextPlace::TextBox, 1}}));
    EXPECT_EQ(report.strays[0].nearest, 0);
    EXPECT_TRUE(report.strays[1].broken);
    EXPECT_EQ(report.strays[1].nearest, 4);
    EXPECT_EQ(report.strays[2].text, "[Article Author]");
    EXPECT_FALSE(report.strays[2].nearest.has_value());
    EXPECT_FALSE(report.clean());
    EXPECT_EQ(PlaceholderName(0), "[NLTitle]");

    EXPECT_TRUE(AnalyseTemplate({{TextPlace::Footer, "[CitySTZIP2] [MonthYear]"}}).clean());
    EXPECT_FALSE(AnalyseTemplate({{TextPlace::MainText, "No brackets at all."}}).clean());
}

TEST_F(TemplateFileTest, TheCheckReadsEveryStoryOnceThroughTheEngineInterface) {
    writeAll(temp("t.doc"), "a template");
    fakes::FakeClipboard clipboard;
    fakes::FakeEngine engine(clipboard);
    engine.templateModel = {{"[NLTitle]\nFax [FaxNo]\nend", "[NLTitle] head", "[VolNo]"},
                            {"[VolNo]", ""},
                            {1, 9, 5},
                            {{"Fax [FaxNo]"}}};
    const auto application = engine.createApplication();
    const std::vector<PlacedText> texts = TemplateTexts(application->open(temp("t.doc"), true));
    ASSERT_EQ(texts.size(), 4u); // the text box story is read as its shape
    EXPECT_EQ(texts[0].place, TextPlace::Table);
    EXPECT_EQ(texts[1].place, TextPlace::MainText);
    EXPECT_EQ(texts[1].text, "[NLTitle]\n\nend");
    EXPECT_EQ(texts[2].place, TextPlace::Footer);
    EXPECT_EQ(texts[3].place, TextPlace::TextBox);
}

class ListFoldersTest : public testing::Isolated {};

TEST_F(ListFoldersTest, ADeadRunsFolderGoesAndALiveOnesStays) {
    ListFolder live = MakeListFolder(temp());
    EXPECT_TRUE(QFileInfo(live.path).fileName().startsWith("brindlecast-list-"));
    QDir().mkpath(temp("brindlecast-list-Killed"));
    writeAll(temp("brindlecast-list-Killed/owner.lock"), "brindlecast list run\n");
    // One being made: its owner file is there but not yet locked.
    QDir().mkpath(temp("brindlecast-list-Making"));
    writeAll(temp("brindlecast-list-Making/owner.lock"), "");
    // And an older version's, without an owner file, that was in use a moment ago.
    QDir().mkpath(temp("brindlecast-list-Older"));
    RemoveDeadListFolders(temp());
    QStringList kept{"brindlecast-list-Making", "brindlecast-list-Older",
                     QFileInfo(live.path).fileName()};
    kept.sort();
    // The live folder's random name may sort either way of its neighbours without regard to case.
    QStringList there = QDir(temp()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    there.sort();
    EXPECT_EQ(there, kept);
    QDir(temp("brindlecast-list-Older")).removeRecursively();
    QDir(temp("brindlecast-list-Making")).removeRecursively();
    live.owner.release();
    RemoveDeadListFolders(temp());
    EXPECT_EQ(QDir(temp()).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList());
}

} // namespace
} // namespace brindlecast
