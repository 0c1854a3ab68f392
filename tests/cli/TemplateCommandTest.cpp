// Templates of the user's own on the command line: each kind the engine reads, made here from
// Flat ODF by the engine's own export, filled singly and for a list, and checked.
#include "CommandTest.h"
#include "engine/writer/NewsletterTemplate.h"
#include "engine/writer/PackageFiles.h"
#include "engine/writer/WriterEngine.h"
#include "fakes/FakeDialogs.h"
#include "fakes/StoredZip.h"

#include <QDir>
#include <cerrno>
#include <cstring>
#include <memory>
#include <sys/mount.h>

namespace brindlecast {
namespace {

using testing::Outcome;

// Every kind of story a letterhead uses: a header and a footer, the main text with a table,
// and a text frame; the issue date where it is filled.
QString letterheadFodt(const QString& title) {
    return (testing::fodtStart() + QStringLiteral(R"(
 <office:styles><style:style style:name="Frame" style:family="graphic"/></office:styles>
 <office:automatic-styles>
  <style:style style:name="fr1" style:family="graphic" style:parent-style-name="Frame"/>
  <style:page-layout style:name="pm1"><style:page-layout-properties fo:page-width="21cm"
   fo:page-height="29.7cm" fo:margin="2cm"/><style:header-style/><style:footer-style/>
  </style:page-layout>
 </office:automatic-styles>
 <office:master-styles><style:master-page style:name="Standard" style:page-layout-name="pm1">
  <style:header><text:p>Head %1 of [CompanyName]</text:p></style:header>
  <style:footer><text:p>Foot [Website] [MonthYear]</text:p></style:footer>
 </style:master-page>
 <style:master-page style:name="Unused" style:page-layout-name="pm1">
  <style:header><text:p>No page has [FaxNo]</text:p></style:header>
 </style:master-page></office:master-styles>
 <office:body><office:text>
  <text:p>%1</text:p>
  <text:p>[NLSubtitle] of [IssueDate]</text:p>
  <table:table table:name="To"><table:table-column/><table:table-row><table:table-cell>
   <text:p>Dear [RecipientName]</text:p></table:table-cell></table:table-row></table:table>
  <text:p><draw:frame draw:style-name="fr1" draw:name="Address" text:anchor-type="paragraph"
   svg:width="8cm" svg:height="3cm"><draw:text-box><text:p>[StreetAddress2]</text:p>
   <text:p>[CitySTZIP2]</text:p></draw:text-box></draw:frame>Address</text:p>
 </office:text></office:body>
</office:document>
)"))
        .arg(title);
}

class TemplateCommandTest : public testing::CommandTest {
protected:
    // The templates, made once for the test program by an engine of its own.
    static void SetUpTestSuite() {
        sFolders = new testing::PrivateFolders;
        fakes::FakeClipboard clipboard;
        engine::writer::WriterEngine engine(clipboard);
        const auto exportAs = [&](const QString& fodt, const QString& name, const char* filter,
                                  const QString& password = {}) {
            const QString source = sFolders->root(name + ".fodt");
            QFile file(source);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(fodt.toUtf8());
            file.close();
            const auto application = engine.createApplication();
            engine::writer::exportDocument(application->open(source, true), sFolders->root(name),
                                           filter, password);
            application->quit();
        };
        const QString clean = letterheadFodt("[NLTitle]");
        exportAs(clean, "letterhead.dot", "MS Word 97 Vorlage");
        exportAs(clean, "letterhead.docx", "MS Word 2007 XML");
        exportAs(clean, "letterhead.odt", "writer8");
        exportAs(letterheadFodt("[NLTitel] [NLTitle]"), "misspelt.odt", "writer8");
        exportAs(clean, "locked.odt", "writer8", "secret");
    }
    static void TearDownTestSuite() { delete sFolders; }
    static QString made(const QString& name) { return sFolders->root(name); }

    static testing::PrivateFolders* sFolders;
};

testing::PrivateFolders* TemplateCommandTest::sFolders = nullptr;

TEST_F(TemplateCommandTest, EachKindFillsSinglyAndForAListWithACombinedPdf) {
    writeAll(root("issue.json"), R"({"NLTitle": "Harbor News", "NLSubtitle": "Spring",
        "CompanyName": "Quillmark", "Website": "quillmark.example", "IssueDate": "2026-03-14"})");
    writeAll(root("list.json"), R"([{"Name": "Dana Hollis", "City": "Millbrook VT"},
        {"Name": "Vered Iziva", "Street": "912 Stratford Ct"}, {"Name": "Ann Oduya"}])");
    const std::vector<std::pair<QString, QString>> kinds{{"letterhead.dot", "news.docx"},
                                                         {"letterhead.docx", "news.odt"},
                                                         {"letterhead.odt", "news.doc"}};
    for (const auto& [templateName, output] : kinds) {
        SCOPED_TRACE(templateName.toStdString());
        const QByteArray before = readAll(made(templateName));
        Outcome outcome = make({"--no-stored", "--template", made(templateName), "--values",
                                "issue.json", "--set", "RecipientName=Dana Hollis", "--set",
                                "CitySTZIP2=Millbrook VT", "--output", output});
        ASSERT_EQ(outcome.code, 0) << outcome.err.toStdString();
        const QString text = textOf(root(output));
        for (const char* value :
             {"Harbor News", "Spring of", "2026", "Dear Dana Hollis", "Millbrook VT"})
            EXPECT_TRUE(text.contains(value)) << value << " missing in " << text.toStdString();
        if (!output.endsWith(".doc")) { // antiword shows no headers
            EXPECT_TRUE(text.contains("Head Harbor News of Quillmark"));
            EXPECT_TRUE(text.contains("Foot quillmark.example Mar 2026"));
        }
        expectNoPlaceholder(text, output);

        outcome = make({"--no-stored", "--template", made(templateName), "--values", "issue.json",
                        "--recipients", "list.json", "--combined", "all.pdf", "--force"});
        ASSERT_EQ(outcome.code, 0) << outcome.err.toStdString();
        EXPECT_TRUE(tool("pdfinfo", {root("all.pdf")}).contains(QRegularExpression("Pages: +3\n")));
        const QString pages = textOf(root("all.pdf"));
        const qsizetype first = pages.indexOf("Dear Dana Hollis");
        const qsizetype second = pages.indexOf("Dear Vered Iziva");
        EXPECT_TRUE(first >= 0 && second > first && pages.indexOf("Dear Ann Oduya") > second)
            << pages.toStdString();
        EXPECT_TRUE(pages.contains("912 Stratford Ct") && pages.contains("Head Harbor News"));
        expectNoPlaceholder(pages, "all.pdf");
        EXPECT_EQ(readAll(made(templateName)), before) << "the template was changed";
    }
}

TEST_F(TemplateCommandTest, CheckTemplateTellsCleanMisspeltAndNoDocumentApart) {
    Outcome checked = run({"check-template", made("letterhead.docx")});
    EXPECT_EQ(checked.code, 0) << checked.err.toStdString();
    EXPECT_TRUE(checked.out.contains(QRegularExpression(R"(\[CompanyName\] +1  header 1\n)")))
        << checked.out.toStdString();
    EXPECT_TRUE(checked.out.contains(QRegularExpression(R"(\[RecipientName\] +1  table 1\n)")));
    EXPECT_TRUE(checked.out.contains(QRegularExpression(R"(\[CitySTZIP2\] +1  text box 1\n)")));
    EXPECT_TRUE(checked.out.contains("Not in it, so never shown: [IssueNo], [VolNo]"));
    // In the header of a page style that no page has.
    EXPECT_TRUE(checked.out.contains(QRegularExpression(R"(never shown: [^\n]*\[FaxNo\])")));
    EXPECT_TRUE(checked.out.endsWith("Usable as it is.\n"));

    checked = run({"check-template", made("misspelt.odt")});
    EXPECT_EQ(checked.code, 1) << checked.err.toStdString();
    EXPECT_TRUE(checked.out.contains(
        "Finding: [NLTitel] (main text 1, header 1) is no placeholder: did you mean [NLTitle]?"))
        << checked.out.toStdString();

    // A renamed ZIP of junk, and a file with a password: refused before any engine starts.
    writeAll(root("junk.docx"), fakes::StoredZip({{"junk", QByteArray(4000, '\x7f')}}));
    for (const auto& [path, says] : std::vector<std::pair<QString, QString>>{
             {root("junk.docx"), "is not a document Brindlecast can fill"},
             {made("locked.odt"), "is protected by a password"}}) {
        checked = run({"check-template", path});
        EXPECT_EQ(checked.code, 2);
        EXPECT_TRUE(checked.err.contains(says)) << checked.err.toStdString();
        const Outcome refused = make({"--template", path, "--output", "x.doc"});
        EXPECT_EQ(refused.code, 2);
        EXPECT_TRUE(refused.err.contains(says)) << refused.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(root("x.doc")));
    EXPECT_EQ(
        make({"--template", made("letterhead.odt"), "--look", "Classic", "--output", "y.doc"}).code,
        2);
}

TEST_F(TemplateCommandTest, ADocumentTheEngineCannotOpenIsABadTemplateNamedAsTheUserNamesIt) {
    writeAll(root("damaged.odt"), testing::OdtPackage("<office:body><office:text><text:p>[NLTi"));
    writeAll(root("list.json"), R"([{"Name": "Dana Hollis"}])");
    for (const Outcome& outcome :
         {run({"check-template", root("damaged.odt")}),
          make({"--no-stored", "--template", root("damaged.odt"), "--output", "news.pdf"}),
          make({"--no-stored", "--template", root("damaged.odt"), "--recipients", "list.json",
                "--output", "letters"})}) {
        EXPECT_EQ(outcome.code, 2) << outcome.err.toStdString();
        EXPECT_TRUE(
            outcome.err.startsWith("brindlecast: " + root("damaged.odt") + " cannot be opened: "))
            << outcome.err.toStdString();
        EXPECT_FALSE(outcome.err.contains(temp())) << outcome.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(root("news.pdf")));
    EXPECT_TRUE(QDir(root("letters")).isEmpty());
}

TEST_F(TemplateCommandTest, CheckTemplateSaysTheMacrosAreNotPassedOn) {
    writeAll(root("macros.docx"),
             testing::DocxWithMacros("<w:p><w:r><w:t>[NLTitle]</w:t></w:r></w:p>", "project"));
    const Outcome checked = run({"check-template", root("macros.docx")});
    EXPECT_EQ(checked.code, 0) << checked.err.toStdString();
    EXPECT_TRUE(checked.out.contains("\nMacros: it holds a Word macro project. They never run, "
                                     "and no newsletter made from it carries them"))
        << checked.out.toStdString();
    EXPECT_FALSE(run({"check-template", made("letterhead.odt")}).out.contains("Macros:"));
}

TEST_F(TemplateCommandTest, AFullTemporaryFolderIsSaidAsSuch) {
    // A file system of its own, filled to the last byte.
    const QByteArray full = QFile::encodeName(root("full"));
    QDir().mkpath(root("full"));
    if (::mount("tmpfs", full.constData(), "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "no file system can be mounted here: " << std::strerror(errno);
    const std::shared_ptr<void> unmount(nullptr, [&](void*) { ::umount2(full, MNT_DETACH); });
    QFile filler(root("full/filler"));
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
    while (filler.write(QByteArray(4096, 'x')) == 4096 && filler.flush()) {
    }
    const QByteArray temp = qgetenv("TEMP");
    qputenv("TEMP", full);
    const Outcome making = make({"--no-stored", "--output", "news.pdf"});
    const Outcome checked = run({"check-template", made("letterhead.odt")});
    qputenv("TEMP", temp);
    EXPECT_EQ(making.code, 1) << making.err.toStdString();
    EXPECT_EQ(checked.code, 3) << checked.err.toStdString();
    for (const Outcome& outcome : {making, checked}) {
        EXPECT_TRUE(outcome.err.contains("no room is left in the temporary folder " + root("full")))
            << outcome.err.toStdString();
        EXPECT_FALSE(outcome.err.contains("LibreOffice")) << outcome.err.toStdString();
    }
}

} // namespace
} // namespace brindlecast
