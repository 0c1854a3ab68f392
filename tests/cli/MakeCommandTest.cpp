// The command line's making of newsletters from the looks, and its exit codes.
#include "CommandTest.h"

#include <QDir>

namespace brindlecast {
namespace {

using MakeCommandTest = testing::CommandTest;
using testing::Outcome;

TEST_F(MakeCommandTest, OneNewsletterInEachFormatWithoutADisplay) {
    const QStringList files{"news.doc", "news.docx", "news.odt", "news.pdf"};
    for (int look = 1; look <= 4; ++look) {
        const QString file = files[look - 1];
        const Outcome made =
            make({"--no-stored", "--look",
                  QStringList{"classic", "EXECUTIVE", "Professional", "elegant"}[look - 1], "--set",
                  "NLTitle=Harbor News", "--set", "CompanyName=Quillmark", "--set",
                  "RecipientName=Vered Iziva", "--set", "IssueDate=2026-03-14", "--output", file});
        ASSERT_EQ(made.code, 0) << made.err.toStdString();
        const QString text = textOf(root(file));
        EXPECT_TRUE(text.contains("Harbor News")) << file.toStdString() << text.toStdString();
        if (look <= 2) { // the looks that name the recipient
            EXPECT_TRUE(text.contains("Vered Iziva")) << file.toStdString();
        }
        expectNoPlaceholder(text, file);
    }
    EXPECT_TRUE(tool("pdfinfo", {root("news.pdf")}).contains(QRegularExpression("Pages: +1\n")));

    // An existing file is kept unless asked to replace it.
    const QByteArray before = readAll(root("news.doc"));
    Outcome again = make({"--no-stored", "--output", "news.doc"});
    EXPECT_EQ(again.code, 2);
    EXPECT_TRUE(again.err.contains("news.doc exists")) << again.err.toStdString();
    EXPECT_EQ(readAll(root("news.doc")), before);
    again = make({"--no-stored", "--force", "--quiet", "--output", "news.doc"});
    EXPECT_EQ(again.code, 0) << again.err.toStdString();
    EXPECT_NE(readAll(root("news.doc")), before);
}

TEST_F(MakeCommandTest, EachRecipientGetsANewsletterAndTheCombinedPdfKeepsListOrder) {
    QString csv = "Full Name;Company;Street;City;State;Zip\r\n";
    for (int i = 1; i <= 20; ++i)
        csv += QStringLiteral("Person %1;\"Co; %1\";%1 Main St;Springfield;IL;627%1\r\n")
                   .arg(i, 2, 10, QLatin1Char('0'));
    // One that cannot be made: the others are, and the summary names it, without passing its
    // name's escape sequence on to the terminal.
    csv += "Esc\x1b[2J Name;" + QString(MaxValueLength + 1, QLatin1Char('x')) + ";;;;\r\n";
    writeAll(root("list.csv"), csv.toUtf8());

    Outcome made = make({"--no-stored", "--set", "NLTitle=Harbor News", "--recipients", "list.csv",
                         "--output", "out"});
    EXPECT_EQ(made.code, 1) << made.err.toStdString();
    EXPECT_TRUE(made.out.contains("Made 20 of 21")) << made.out.toStdString();
    EXPECT_TRUE(made.out.contains("recipient 21 (line 22, \"Esc?[2J Name\")"))
        << made.out.toStdString();
    EXPECT_FALSE(made.out.contains(QChar(0x1b)));
    EXPECT_TRUE(made.out.contains("ignored: none")) << made.out.toStdString();
    for (int i = 1; i <= 20; ++i) {
        const QString name = QStringLiteral("Person %1").arg(i, 2, 10, QLatin1Char('0'));
        const QString file =
            root(QStringLiteral("out/%1-%2.doc").arg(i, 3, 10, QLatin1Char('0')).arg(name));
        const QString text = textOf(file);
        EXPECT_TRUE(
            text.contains(name) &&
            text.contains(QStringLiteral("Springfield IL 627%1").arg(i, 2, 10, QLatin1Char('0'))))
            << file.toStdString();
        expectNoPlaceholder(text, file);
    }

    made = make({"--no-stored", "--look", "Executive", "--recipients", "list.csv", "--combined",
                 "all.pdf"});
    EXPECT_EQ(made.code, 1) << made.err.toStdString();
    EXPECT_TRUE(tool("pdfinfo", {root("all.pdf")}).contains(QRegularExpression("Pages: +20\n")));
    const QString pages = textOf(root("all.pdf"));
    qsizetype at = 0;
    for (int i = 1; i <= 20; ++i) {
        at = pages.indexOf(QStringLiteral("Person %1").arg(i, 2, 10, QLatin1Char('0')), at);
        EXPECT_GE(at, 0) << "person " << i << " missing or out of order";
    }
}

TEST_F(MakeCommandTest, ExitCodesSayWhatWentWrong) {
    EXPECT_EQ(make({"--frob"}).code, 2);
    writeAll(root("broken.csv"), "Name,Company\nDana,Quillmark\n\"Vered, Devuvad\n");
    const Outcome broken = make({"--recipients", "broken.csv", "--output", "out"});
    EXPECT_EQ(broken.code, 2);
    EXPECT_TRUE(broken.err.contains("unterminated quote at line 3")) << broken.err.toStdString();
    EXPECT_FALSE(QDir(root("out")).exists());
    const Outcome endless = make({"--recipients", "/dev/zero", "--output", "out"});
    EXPECT_EQ(endless.code, 2);
    EXPECT_TRUE(endless.err.contains("it is a device, not a regular file"))
        << endless.err.toStdString();
    writeAll(root("list.csv"), "Name\nDana\n");
    const Outcome nowhere = make({"--recipients", "list.csv", "--combined", "gone/all.pdf"});
    EXPECT_EQ(nowhere.code, 2);
    EXPECT_TRUE(nowhere.err.contains("the folder of gone/all.pdf does not exist"))
        << nowhere.err.toStdString();

    // The program without its engine module beside it, as on a machine without the engine.
    const QString alone = root("alone/brindlecast");
    QDir().mkpath(root("alone"));
    ASSERT_TRUE(QFile::copy(BRINDLECAST_PROGRAM, alone));
    const Outcome noEngine = make({"--no-stored", "--output", "x.doc"}, alone);
    EXPECT_EQ(noEngine.code, 3);
    EXPECT_TRUE(noEngine.err.contains("Error 842001.")) << noEngine.err.toStdString();
}

TEST_F(MakeCommandTest, MailMergeIsAWindowThatTakesOneListAtMost) {
    const Outcome help = run({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: brindlecast [mail-merge [LIST] | make [options]"))
        << help.out.toStdString();
    EXPECT_TRUE(help.out.contains("  brindlecast mail-merge [LIST]\n\nopens the mail merge window"))
        << help.out.toStdString();
    // What the window cannot take is refused here, before any window or display is needed.
    for (const QStringList& arguments :
         {QStringList{"mail-merge", "--help"}, QStringList{"mail-merge", "a.csv", "b.csv"},
          QStringList{"-platform", "offscreen", "mail-merge", "--frob"}}) {
        const Outcome refused = run(arguments);
        EXPECT_EQ(refused.code, 2) << arguments.join(' ').toStdString();
        EXPECT_EQ(refused.err, "brindlecast: mail-merge takes no options and one recipient list at "
                               "most: brindlecast mail-merge [LIST]\nTry 'brindlecast --help'.\n");
        EXPECT_EQ(refused.out, "");
    }
}

} // namespace
} // namespace brindlecast
