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
    EXPECT_EQ(saveDialog.shown[0].filter, "Word Files (*.doc)|*.doc");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].prompt, "Done.");
    EXPECT_EQ(boxes.shown[0].style, 0);
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
    EXPECT_EQ(error.style, 48);
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
    handOver(page(580, 751), temp("tarvik11111111.doc"));
    form().mWordFileLock = CreateLockedFile(temp("tarvik11111111.doc"), "first");
    click("PushButton8");
    EXPECT_FALSE(form().mWordFileLock.held());
    {
        // A program ended by a signal destroys the window without closing it.
        Form2 window(services, &mainForm);
        window.mWordFile = temp("tarvik22222222.doc");
        window.mWordFileLock = CreateLockedFile(window.mWordFile, "second");
    }
    EXPECT_FALSE(QFile::exists(temp("tarvik22222222.doc")));
}

} // namespace
} // namespace brindlecast::test
