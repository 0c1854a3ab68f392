// A mail merge as a new user runs one: their own letter, their own address list, every column a
// field, only the recipients meant, the files named from the list; and the check before.
#include "CommandTest.h"
#include "engine/writer/NewsletterTemplate.h"
#include "engine/writer/WriterEngine.h"
#include "fakes/FakeDialogs.h"

#include <QDir>

namespace brindlecast {
namespace {

using testing::Outcome;

// Column fields in the text, a header and a text box; one of them split across formatting.
QString letterFodt() {
    return testing::fodtStart() + QString::fromUtf8(R"(
 <office:styles><style:style style:name="Frame" style:family="graphic"/></office:styles>
 <office:automatic-styles>
  <style:style style:name="B" style:family="text"><style:text-properties fo:font-weight="bold"/>
  </style:style>
  <style:style style:name="fr1" style:family="graphic" style:parent-style-name="Frame"/>
  <style:page-layout style:name="pm1"><style:page-layout-properties fo:page-width="21cm"
   fo:page-height="29.7cm" fo:margin="2cm"/><style:header-style/></style:page-layout>
 </office:automatic-styles>
 <office:master-styles><style:master-page style:name="Standard" style:page-layout-name="pm1">
  <style:header><text:p>For [First Name] of [Straße]</text:p></style:header>
 </style:master-page></office:master-styles>
 <office:body><office:text>
  <text:p>Dear [Salutation] [RecipientName], member since [Member<text:span text:style-name="B">Since</text:span>].</text:p>
  <text:p>[NLTitle] says [Motto].</text:p>
  <text:p><draw:frame draw:style-name="fr1" draw:name="Card" text:anchor-type="paragraph"
   svg:width="8cm" svg:height="3cm"><draw:text-box><text:p>Card of [first name] ([EMAIL])</text:p>
   </draw:text-box></draw:frame>Card</text:p>
 </office:text></office:body>
</office:document>
)");
}

const char* const Members =
    "Name,Salutation,MemberSince,Email,First Name,Stra\xC3\x9F"
    "e,Last,Country\n"
    "Dana Hollis,Ms.,2019,dana@x.example,Dana,Elm 1,O'Hara/Hollis,Norway\n"
    "Vered Iziva,,2021,vered@x.example,Vered,\"Oak 2, Flat 3\",Iziva,Chile\n"
    "Dana Hollis,Ms.,2019,DANA@x.example,Dana,Elm 1,Hollis,Norway\n"
    "Ann Oduya,Dr.,2020,ann@x.example,Ann,Ash 9,O'Hara/Hollis,Norway\n";

class MailMergeTest : public testing::CommandTest {
protected:
    static void SetUpTestSuite() {
        sFolders = new testing::PrivateFolders;
        fakes::FakeClipboard clipboard;
        engine::writer::WriterEngine engine(clipboard);
        const QString source = sFolders->root("letter.fodt");
        QFile file(source);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(letterFodt().toUtf8());
        file.close();
        for (const auto& [name, filter] :
             {std::pair{"letter.odt", "writer8"}, std::pair{"letter.docx", "MS Word 2007 XML"}}) {
            const auto application = engine.createApplication();
            engine::writer::exportDocument(application->open(source, true), sFolders->root(name),
                                           filter);
            application->quit();
        }
    }
    static void TearDownTestSuite() { delete sFolders; }
    static QString letter(const char* name) { return sFolders->root(name); }
    static testing::PrivateFolders* sFolders;
};

testing::PrivateFolders* MailMergeTest::sFolders = nullptr;

TEST_F(MailMergeTest, EveryColumnFillsItsBracketsAndEachPersonGetsOneNamedFile) {
    writeAll(root("members.csv"), Members);
    for (const char* templateName : {"letter.odt", "letter.docx"}) {
        SCOPED_TRACE(templateName);
        const QString folder = root(QStringLiteral("out-%1").arg(templateName));
        const Outcome outcome =
            make({"--no-stored", "--template", letter(templateName), "--set", "NLTitle=Harbor News",
                  "--set", "Motto=Onward", "--recipients", "members.csv", "--output", folder,
                  "--format", "odt", "--file-name", "[Last], [First Name]"});
        ASSERT_EQ(outcome.code, 0) << outcome.err.toStdString();
        EXPECT_EQ(
            QDir(folder).entryList(QDir::Files),
            QStringList({"Iziva, Vered.odt", "O'Hara_Hollis, Ann.odt", "O'Hara_Hollis, Dana.odt"}));
        EXPECT_TRUE(outcome.out.contains(
            "Left out: recipient 3 (line 4, \"Dana Hollis\") is recipient 1 (line 2, \"Dana "
            "Hollis\") again (the same e-mail address DANA@x.example)"))
            << outcome.out.toStdString();
        EXPECT_TRUE(outcome.out.contains("Salutation ([Salutation])")) << outcome.out.toStdString();

        const QString dana = textOf(QDir(folder).filePath("O'Hara_Hollis, Dana.odt"));
        for (const char* shown :
             {"Dear Ms. Dana Hollis, member since 2019.", "Harbor News says Onward.",
              "For Dana of Elm 1", "Card of Dana (dana@x.example)"})
            EXPECT_TRUE(dana.contains(QString::fromUtf8(shown)))
                << shown << " missing in " << dana.toStdString();
        const QString vered = textOf(QDir(folder).filePath("Iziva, Vered.odt"));
        EXPECT_TRUE(vered.contains("Vered Iziva, member since 2021.")) << vered.toStdString();
        EXPECT_TRUE(vered.contains("For Vered of Oak 2, Flat 3"));
        EXPECT_FALSE(vered.contains('[')) << vered.toStdString();
    }
}

TEST_F(MailMergeTest, RowsWhereAndDuplicatesChooseAndTwoAlikeGetDistinctNames) {
    writeAll(root("members.csv"), Members);
    Outcome outcome =
        make({"--no-stored", "--template", letter("letter.odt"), "--recipients", "members.csv",
              "--output", "chosen", "--format", "pdf", "--rows", "1-4", "--where", "country=NORWAY",
              "--keep-duplicates", "--file-name", "[Last]"});
    ASSERT_EQ(outcome.code, 0) << outcome.err.toStdString();
    EXPECT_EQ(QDir(root("chosen")).entryList(QDir::Files),
              QStringList({"Hollis.pdf", "O'Hara_Hollis (2).pdf", "O'Hara_Hollis.pdf"}));
    EXPECT_TRUE(outcome.out.contains("Renamed: recipient 4 (line 5, \"Ann Oduya\") gets "
                                     "O'Hara_Hollis (2).pdf"))
        << outcome.out.toStdString();
    EXPECT_TRUE(textOf(root("chosen/O'Hara_Hollis (2).pdf")).contains("Dear Dr. Ann Oduya"));

    // Mistakes are said before anything is made.
    for (const auto& [arguments, says] : std::vector<std::pair<QStringList, QString>>{
             {{"--rows", "2-9"}, "--rows 2-9: the list has 4 recipients, not 9"},
             {{"--where", "Land=x"}, "the list has no column Land"},
             {{"--where", "Country=Peru"}, "no recipient of members.csv is at --rows"},
             {{"--file-name", "[Nickname]"}, "[Nickname] is neither a field nor a column"}}) {
        outcome = make(QStringList{"--no-stored", "--template", letter("letter.odt"),
                                   "--recipients", "members.csv", "--output", "wrong"} +
                       arguments);
        EXPECT_EQ(outcome.code, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(outcome.err.contains(says)) << outcome.err.toStdString();
    }
    EXPECT_TRUE(QDir(root("wrong")).isEmpty());
    // A look holds only its fields: a name of one's own is a mistake there.
    outcome = make({"--no-stored", "--set", "Motto=x", "--output", "news.doc"});
    EXPECT_EQ(outcome.code, 2);
    EXPECT_TRUE(outcome.err.contains("no field is called Motto")) << outcome.err.toStdString();
}

TEST_F(MailMergeTest, CheckTemplateWithTheListSaysWhatFillsWhatAndWhatStaysEmpty) {
    writeAll(root("members.csv"), Members);
    Outcome checked = run({"check-template", letter("letter.docx"), "--no-stored", "--recipients",
                           "members.csv", "--set", "Motto=Onward"});
    EXPECT_EQ(checked.code, 0) << checked.out.toStdString() << checked.err.toStdString();
    for (const char* line :
         {"List members.csv: 4 recipients, 1 left out as duplicates.", "[RecipientName] from Name",
          "[Salutation] from Salutation",
          "  [Salutation] stays empty for 1 of 3: recipient 2 (line 3, \"Vered Iziva\")",
          "  [NLTitle] stays empty for every recipient", "Columns nothing uses: Last, Country.",
          "Usable as it is."})
        EXPECT_TRUE(checked.out.contains(QString::fromUtf8(line)))
            << line << " missing in " << checked.out.toStdString();

    // Without the list, the columns' words are no field's; a near miss names the column.
    writeAll(root("members2.csv"), "Name,Salutaton\nDana,Ms.\n");
    checked = run(
        {"check-template", letter("letter.odt"), "--no-stored", "--recipients", "members2.csv"});
    EXPECT_EQ(checked.code, 1);
    EXPECT_TRUE(checked.out.contains("[Salutation] (main text 1) is neither a field nor a column: "
                                     "did you mean [Salutaton]?"))
        << checked.out.toStdString();
    EXPECT_EQ(run({"check-template", letter("letter.odt"), "--output", "x"}).code, 2);
}

} // namespace
} // namespace brindlecast
