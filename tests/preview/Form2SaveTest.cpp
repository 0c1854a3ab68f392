#include "PreviewFixture.h"
#include "app/FileLock.h"

#include <QDir>
#include <QFile>

namespace brindlecast::test {
namespace {

QStringList prompts(const fakes::FakeMessageBoxes& boxes) {
    QStringList texts;
    for (const fakes::ShownBox& box : boxes.shown)
        texts << box.prompt;
    return texts;
}

class SaveTest : public PreviewTest {
protected:
    SaveTest() {
        SetProgramTitle("Brindlecast");
        QDir(root()).mkdir("out");
        document = workingDocument("\xd0\xcf\x11\xe0 newsletter \x00\x01\x02 bytes");
        handOver(page(580, 751), document);
    }
    QString out(const QString& name) const { return root("out/" + name); }
    QStringList outEntries() const {
        return QDir(root("out")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    QString overwriteQuestion(const QString& path) const {
        return "Are you sure you wish to overwrite " + path + " ?";
    }

    QString document;
};

TEST_F(SaveTest, CancelledDialogWritesNothingAndStillSaysDone) {
    saveDialog.FileName = "left over from before";
    click("PushButton6");
    ASSERT_EQ(saveDialog.shown.size(), 1u);
    EXPECT_EQ(saveDialog.shown[0].fileName, "");
    EXPECT_EQ(saveDialog.shown[0].dialogTitle, "Save File");
    EXPECT_EQ(saveDialog.shown[0].filter,
              "Word Files (*.doc)|*.doc|Word Document (*.docx)|*.docx|OpenDocument Text "
              "(*.odt)|*.odt|PDF (*.pdf)|*.pdf");
    EXPECT_EQ(saveDialog.shown[0].filterIndex, 1);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].prompt, "Done.");
    EXPECT_EQ(int(boxes.shown[0].style), 0);
    EXPECT_EQ(boxes.shown[0].title, ProgramTitle());
    EXPECT_TRUE(outEntries().isEmpty());
}

TEST_F(SaveTest, NewFileIsAByteCopyUnderExactlyTheChosenName) {
    click("PushButton1");
    vBar()->setValue(50);
    saveDialog.answers.push_back(out("letter"));
    click("PushButton6");
    EXPECT_EQ(prompts(boxes), QStringList{"Done."});
    EXPECT_EQ(outEntries(), QStringList{"letter"});
    EXPECT_EQ(readAll(out("letter")), readAll(document));
    EXPECT_TRUE(QFile::exists(document));
    // The preview stays as it was.
    EXPECT_TRUE(form().isVisible());
    EXPECT_EQ(form().zoomState().mZoom, 1.25f);
    EXPECT_EQ(vBar()->value(), 50);
}

TEST_F(SaveTest, ExistingFileAnsweredNoIsLeftAlone) {
    writeAll(out("letter.doc"), "the user's own file");
    saveDialog.answers.push_back(out("letter.doc"));
    boxes.answers.push_back(MsgAnswer::No);
    click("PushButton6");
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].prompt, overwriteQuestion(out("letter.doc")));
    EXPECT_EQ(boxes.shown[0].style, MsgStyle::YesNo);
    EXPECT_EQ(boxes.shown[0].title, ProgramTitle());
    EXPECT_EQ(boxes.shown[1].prompt, "Done.");
    EXPECT_EQ(readAll(out("letter.doc")), "the user's own file");
}

TEST_F(SaveTest, SavingTwiceToOneNameAsksTheSecondTimeAndReplaces) {
    saveDialog.answers.push_back(out("letter.doc"));
    click("PushButton6");
    EXPECT_EQ(prompts(boxes), QStringList{"Done."});
    writeAll(out("letter.doc"), "changed since");

    saveDialog.answers.push_back(out("letter.doc"));
    boxes.answers.push_back(MsgAnswer::Yes);
    click("PushButton6");
    EXPECT_EQ(prompts(boxes),
              (QStringList{"Done.", overwriteQuestion(out("letter.doc")), "Done."}));
    EXPECT_EQ(readAll(out("letter.doc")), readAll(document));
    EXPECT_EQ(outEntries(), QStringList{"letter.doc"});
}

TEST_F(SaveTest, FailedCopyKeepsTheUsersFileAndReportsInsteadOfDone) {
    writeAll(out("letter.doc"), "the user's own file");
    QFile::remove(document);
    saveDialog.answers.push_back(out("letter.doc"));
    boxes.answers.push_back(MsgAnswer::Yes);
    click("PushButton6");
    ASSERT_EQ(boxes.shown.size(), 2u);
    const fakes::ShownBox& error = boxes.shown[1];
    EXPECT_TRUE(
        error.prompt.startsWith("Cannot save the newsletter to " + out("letter.doc") + ": "))
        << error.prompt.toStdString();
    EXPECT_TRUE(error.prompt.contains("\r\nin Plumvale2021/08/31.Form2.PushButton6_Click at line "))
        << error.prompt.toStdString();
    EXPECT_EQ(int(error.style), 48);
    EXPECT_EQ(error.title, "Application Error");
    EXPECT_EQ(readAll(out("letter.doc")), "the user's own file");
    EXPECT_EQ(outEntries(), QStringList{"letter.doc"});
}

TEST_F(SaveTest, TargetFolderThatIsAFileIsReportedWithoutDone) {
    writeAll(out("plain"), "not a folder");
    saveDialog.answers.push_back(out("plain/letter.doc"));
    click("PushButton6");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].prompt.startsWith("Cannot save the newsletter to " +
                                                 out("plain/letter.doc")));
    EXPECT_EQ(readAll(out("plain")), "not a folder");
    EXPECT_EQ(outEntries(), QStringList{"plain"});
}

// The typed extension decides the format, else the chosen filter, whose extension is then
// added; a .doc stays the byte copy under exactly the typed name.
TEST_F(SaveTest, FormatFollowsTheTypedExtensionElseTheFilter) {
    const struct {
        const char *typed, *written;
        int filter, format; // format -1: a byte copy
    } cases[] = {{"a", "a.pdf", 4, 17},          {"b.ODT", "b.ODT", 1, 23},
                 {"c.docx", "c.docx", 4, 12},    {"d.doc", "d.doc", 3, -1},
                 {"e.txt", "e.txt.docx", 2, 12}, {"f.", "f.pdf", 4, 17}};
    for (const auto& c : cases) {
        engine.log.clear();
        saveDialog.answers = {out(c.typed)};
        saveDialog.filterAnswers = {c.filter};
        click("PushButton6");
        if (c.format < 0)
            EXPECT_EQ(readAll(out(c.written)), readAll(document));
        else
            EXPECT_TRUE(fakes::FakeEngine::readSaved(out(c.written))) << c.written;
        const QStringList conversion{"create", "open " + document + " ro",
                                     QStringLiteral("saveAs %1").arg(c.format), "quit"};
        EXPECT_EQ(engine.log, c.format < 0 ? QStringList() : conversion);
    }
    EXPECT_EQ(prompts(boxes), QStringList(std::size(cases), "Done."));
    EXPECT_EQ(outEntries(),
              (QStringList{"a.pdf", "b.ODT", "c.docx", "d.doc", "e.txt.docx", "f.pdf"}));
    EXPECT_EQ(QDir(temp()).entryList({"brindlecast-*"}, QDir::AllEntries), QStringList());
}

TEST_F(SaveTest, ConversionFailuresKeepTheOldFileAndShowOneBoxInsteadOfDone) {
    writeAll(out("news.pdf"), "the user's own file");
    writeAll(out("plain"), "not a folder");
    engine.onCall = [](const QString& call) {
        if (call == "saveAs 17")
            throw engine::EngineError("The document engine stopped unexpectedly.");
    };
    saveDialog.answers = {out("news"), out("plain/news.odt"), out("gone.docx")};
    saveDialog.filterAnswers = {4, 1, 1};
    click("PushButton6");
    click("PushButton6");
    QFile::remove(document);
    click("PushButton6");
    const QString error = "\r\nin Plumvale2021/08/31.Form2.PushButton6_Click at line 70";
    ASSERT_EQ(boxes.shown.size(), 4u);
    EXPECT_EQ(boxes.shown[0].prompt, overwriteQuestion(out("news.pdf")));
    EXPECT_TRUE(
        boxes.shown[1].prompt.startsWith("Cannot save the newsletter to " + out("news.pdf") +
                                         ": The document engine stopped unexpectedly." + error));
    EXPECT_TRUE(boxes.shown[2].prompt.startsWith("Cannot save the newsletter to " +
                                                 out("plain/news.odt") + ": "));
    EXPECT_TRUE(boxes.shown[3].prompt.startsWith("Cannot save the newsletter to " +
                                                 out("gone.docx") + ": the working document " +
                                                 document + " cannot be read"));
    EXPECT_EQ(readAll(out("news.pdf")), "the user's own file");
    EXPECT_EQ(outEntries(), (QStringList{"news.pdf", "plain"}));
    EXPECT_EQ(engine.log.last(), "quit");
    EXPECT_EQ(engine.liveApplications, 0);
    EXPECT_EQ(QDir(temp()).entryList({"brindlecast-*"}, QDir::AllEntries), QStringList());
}

TEST_F(SaveTest, TheWorkingDocumentItselfIsRefusedWithOnePlainBox) {
    const QByteArray bytes = readAll(document);
    const QString otherSpelling = temp() + "/../temp//tarvik12345678.doc";
    saveDialog.answers = {document, otherSpelling};
    saveDialog.filterAnswers = {1, 4};
    click("PushButton6");
    click("PushButton6");
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_TRUE(boxes.shown[0].prompt.startsWith(document + " is the preview's temporary copy"));
    EXPECT_TRUE(boxes.shown[1].prompt.startsWith(otherSpelling + " is the preview's temporary"));
    EXPECT_EQ(boxes.shown[1].style, MsgStyle::OkOnly);
    EXPECT_EQ(readAll(document), bytes);
    EXPECT_TRUE(engine.log.isEmpty());
}

TEST_F(PreviewTest, BackDeletesTheWorkingDocumentEvenWhenItIsAlreadyGone) {
    const QString document = workingDocument();
    handOver(page(580, 751), document);
    click("PushButton8");
    EXPECT_FALSE(QFile::exists(document));
    EXPECT_TRUE(mainForm.isVisible());
    EXPECT_FALSE(form().isVisible());

    handOver(page(580, 751), temp("tarvik87654321.doc"));
    click("PushButton8");
    EXPECT_TRUE(mainForm.isVisible());
    EXPECT_FALSE(form().isVisible());
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(ended, 0);
}

TEST_F(PreviewTest, ClosingDeletesTheWorkingDocumentAndEndsTheProgram) {
    const QString document = workingDocument();
    handOver(page(580, 751), document);
    EXPECT_TRUE(form().close());
    EXPECT_FALSE(QFile::exists(document));
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(mainForm.isVisible());
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(PreviewTest, TheDocumentsLockGoesWithItAndAWindowEndedBySignalTakesItAlong) {
    const QString first = temp("tarvik11111111.doc");
    handOver(page(580, 751), first, CreateLockedFile(first, "first"));
    EXPECT_TRUE(form().ownsWordFile());
    click("PushButton8");
    EXPECT_FALSE(form().ownsWordFile());
    {
        // A program ended by a signal destroys the window without closing it.
        Form2 window(services, &mainForm);
        const QString second = temp("tarvik22222222.doc");
        window.takeOver(second, CreateLockedFile(second, "second"), QImage());
    }
    EXPECT_FALSE(QFile::exists(temp("tarvik22222222.doc")));
}

} // namespace
} // namespace brindlecast::test
