#include "generate/Generation.h"

#include "AdviceExpect.h"
#include "app/FileHelpers.h"
#include "app/FileLock.h"
#include "app/MessageBoxes.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakeEngine.h"
#include "generate/EngineCheck.h"
#include "generate/FillPasses.h"
#include "generate/TemplateStore.h"
#include "generate/WorkingFiles.h"
#include "newsletter/FieldTable.h"
#include "support/FileTimes.h"
#include "support/Isolated.h"

#include <QFileInfo>
#include <QImage>
#include <QLocale>
#include <QRegularExpression>
#include <ctime>
#include <stdexcept>

namespace brindlecast {
namespace {

using fakes::FakeDocumentModel;

class GenerationTest : public testing::Isolated {
protected:
    void SetUp() override {
        Isolated::SetUp();
        for (int i = 0; i < FieldCount; ++i)
            values[size_t(i)] = QStringLiteral("value%1").arg(i);
        input.look = 1;
        input.fieldText = [this](int index) { return values[size_t(index)]; };
        input.issueDate = [] { return QDateTime(QDate(2026, 12, 8), QTime(9, 30)); };
    }

    GenerationOutcome run() { return generation.run(input); }

    fakes::FakeMessageBoxes boxes;
    fakes::FakeClipboard clipboard;
    fakes::FakeEngine engine{clipboard};
    fakes::FakeRandom random;
    int eventPasses = 0;
    Generation generation{engine, boxes, clipboard, random, [this] { ++eventPasses; }};
    std::array<QString, FieldCount> values;
    GenerationInput input;
};

TEST_F(GenerationTest, FillsEveryPassAndSavesAFreshWorkingDocument) {
    engine.templateModel = FakeDocumentModel{
        {"Main [NLTitle] on [IssueDate] from [CitySTZIP] to [CITYSTZIP2]",
         "Header [Issueno] [IssueDate]"},
        {"[Sendername] of [cOMPANYNAME] for [COMPANYNAME2] on [issuedate] [Article Author]", ""}};
    const GenerationOutcome outcome = run();

    EXPECT_TRUE(boxes.shown.empty()) << boxes.shown[0].prompt.toStdString();
    ASSERT_FALSE(outcome.workingDocument.isEmpty());
    EXPECT_TRUE(
        QRegularExpression("^" + QRegularExpression::escape(temp()) + "/tarvik[1-9]{8}\\.doc$")
            .match(outcome.workingDocument)
            .hasMatch());
    const auto saved = fakes::FakeEngine::readSaved(outcome.workingDocument);
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(saved->stories[0], "Main value0 on Tuesday, December 8, 2026 from value7 to value15");
    // The issue date is filled through the selection only: other stories keep the placeholder.
    EXPECT_EQ(saved->stories[1], "Header value2 [IssueDate]");
    EXPECT_EQ(saved->shapes[0],
              "value4 of value5 for value13 on Tuesday, December 8, 2026 [Article Author]");
    EXPECT_EQ(saved->shapes[1], "");

    // The template went as the look's bytes, read-only, and is gone again.
    ASSERT_EQ(engine.openedForeignFiles.size(), 1u);
    EXPECT_EQ(engine.openedForeignFiles[0], LoadTemplateResource(101));
    EXPECT_TRUE(engine.log.contains("open " + TemplatePath() + " ro"));
    EXPECT_FALSE(FileExists(TemplatePath()));
    EXPECT_EQ(eventPasses, 1);
    EXPECT_EQ(engine.liveApplications, 0);

    // The picture was made through a second session on the working document.
    EXPECT_TRUE(outcome.pictureMade);
    const QImage picture(PreviewBitmapPath(), "BMP");
    EXPECT_EQ(picture.size(), engine.pictureSize);
    EXPECT_NEAR(picture.dotsPerMeterX() * 0.0254, 192, 1);
    const qsizetype firstQuit = engine.log.indexOf("quit");
    EXPECT_LT(engine.log.indexOf("shapes"), engine.log.indexOf("setTitle value0"));
    EXPECT_LT(engine.log.indexOf("setTitle value0"), engine.log.indexOf("saveAs 0"));
    EXPECT_LT(engine.log.indexOf("saveAs 0"), engine.log.indexOf("displayAlerts"));
    EXPECT_LT(engine.log.indexOf("displayAlerts"), engine.log.indexOf("close"));
    EXPECT_LT(engine.log.indexOf("close"), firstQuit);
    EXPECT_EQ(engine.log.indexOf("create", 1), firstQuit + 1);
    EXPECT_EQ(engine.log[firstQuit + 2], "open " + outcome.workingDocument + " rw");
    EXPECT_EQ(engine.log.mid(firstQuit + 3),
              QStringList({"range copyAsPicture", "close without saving", "quit"}));
}

TEST_F(GenerationTest, FieldsAreFilledInIndexOrderWithValuesAsTyped) {
    engine.templateModel = FakeDocumentModel{{"[NLTITLE]|[FAXNO]"}, {"[NLTITLE]"}};
    values[0] = "By [SenderName] & $1 ^p \\";
    values[4] = "Dana";
    values[9] = "line one\nline two\r\nthree\u2029four\x1A"
                "5\x1B"
                "6\x7F"
                "7\t8";
    const GenerationOutcome outcome = run();
    const auto saved = fakes::FakeEngine::readSaved(outcome.workingDocument);
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(saved->stories[0], "By Dana & $1 ^p \\|line one line two three four 5 6 7\t8");
    EXPECT_EQ(saved->shapes[0], "By Dana & $1 ^p \\");
}

TEST_F(GenerationTest, AValueTooLongToLayOutIsRefusedBeforeTheEngineIsTouched) {
    values[6] = QString(MaxValueLength, QLatin1Char('s'));
    EXPECT_FALSE(run().workingDocument.isEmpty());
    engine.log.clear();

    values[0] = QString(100000, QLatin1Char('t'));
    const GenerationOutcome outcome = run();
    EXPECT_TRUE(outcome.workingDocument.isEmpty());
    EXPECT_TRUE(engine.log.isEmpty());
    EXPECT_FALSE(QFile::exists(TemplatePath()));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].style, MsgStyle::Exclamation);
    EXPECT_TRUE(boxes.shown[0].prompt.startsWith(
        QStringLiteral("The field \"Title/Headline\" holds %1 characters")
            .arg(QLocale().toString(100000))))
        << boxes.shown[0].prompt.toStdString();

    // Pasted while the run waited for its turn: caught before the engine too, the turn given up.
    values[0] = QStringLiteral("short");
    boxes.shown.clear();
    Generation pasting{engine, boxes, clipboard, random,
                       [this] { values[0] = QString(MaxValueLength + 1, QLatin1Char('t')); }};
    EXPECT_TRUE(pasting.run(input).workingDocument.isEmpty());
    EXPECT_TRUE(engine.log.isEmpty());
    EXPECT_FALSE(QFile::exists(TemplatePath()));
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(TryLockFile(RunLockPath()).held());
}

TEST_F(GenerationTest, EachLookWritesItsOwnTemplate) {
    for (int look = LookCount; look >= 1; --look) {
        input.look = look;
        run();
        EXPECT_EQ(engine.openedForeignFiles.back(), LoadTemplateResource(100 + look));
    }
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(GenerationTest, APlantedTemplateOrLinkIsNeverOpenedOrFollowed) {
    writeAll(TemplatePath(), "planted by someone else");
    run();
    writeAll(root("victim"), "keep me");
    ASSERT_TRUE(QFile::link(root("victim"), TemplatePath()));
    run();
    ASSERT_EQ(engine.openedForeignFiles.size(), 2u);
    EXPECT_EQ(engine.openedForeignFiles[0], LoadTemplateResource(101));
    EXPECT_EQ(engine.openedForeignFiles[1], LoadTemplateResource(101));
    EXPECT_EQ(readAll(root("victim")), "keep me");
    EXPECT_FALSE(FileExists(TemplatePath()));
}

TEST_F(GenerationTest, AnUnwritableTemplatePathEndsTheRunWithOneBox) {
    QDir().mkpath(TemplatePath());
    const GenerationOutcome outcome = run();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].prompt.contains("template.dot"));
    EXPECT_TRUE(boxes.shown[0].prompt.contains("Form1.PushButton6_Click at line 50"));
    EXPECT_TRUE(outcome.workingDocument.isEmpty());
    EXPECT_FALSE(engine.log.contains("create"));
    EXPECT_TRUE(TryLockFile(RunLockPath()).held()) << "a run without a document keeps no turn";
}

TEST_F(GenerationTest, AnEngineThatCannotStartGivesOneBoxAndNoDocument) {
    engine.onCall = [](const QString& call) {
        if (call == "create")
            throw engine::EngineError("The document engine cannot be started.");
    };
    const GenerationOutcome outcome = run();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].prompt.startsWith(
        "The document engine cannot be started.\r\n"
        "in Plumvale2021/08/31.Form1.PushButton6_Click at line 60"));
    EXPECT_TRUE(outcome.workingDocument.isEmpty());
    EXPECT_FALSE(FileExists(TemplatePath()));
}

TEST_F(GenerationTest, AFailedFillClosesTheTemplateUnsavedBeforeQuitting) {
    engine.onCall = [](const QString& call) {
        if (call.startsWith("shape"))
            throw engine::EngineError("The shape is locked.");
    };
    run();
    ASSERT_EQ(boxes.shown.size(), 1u);
    const qsizetype closed = engine.log.indexOf("close without saving");
    ASSERT_GE(closed, 0) << engine.log.join('\n').toStdString();
    EXPECT_EQ(engine.log.indexOf("quit"), closed + 1);
}

TEST_F(GenerationTest, AnEngineDyingMidRunGivesOneBoxAndTheNextRunWorks) {
    engine.templateModel = FakeDocumentModel{{"[NLTITLE]", "[ISSUENO]"}, {"[NLTITLE]"}};
    engine.onCall = [](const QString& call) {
        if (call.startsWith("story 1 [VOLNO]"))
            throw engine::EngineError("The document engine stopped unexpectedly.");
    };
    GenerationOutcome outcome = run();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].prompt.contains("at line 80"));
    EXPECT_TRUE(outcome.workingDocument.isEmpty());
    EXPECT_EQ(engine.liveApplications, 0);
    EXPECT_FALSE(FileExists(TemplatePath()));

    engine.onCall = nullptr;
    outcome = run();
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(outcome.pictureMade);
}

TEST_F(GenerationTest, WithoutAPictureTheDocumentIsStillSaved) {
    writeAll(PreviewBitmapPath(), "a left-over picture");
    engine.onCall = [](const QString& call) {
        if (call == "range copyAsPicture")
            throw engine::EngineError("The page cannot be rendered.");
    };
    const GenerationOutcome outcome = run();
    EXPECT_FALSE(outcome.workingDocument.isEmpty());
    EXPECT_TRUE(FileExists(outcome.workingDocument));
    EXPECT_FALSE(outcome.pictureMade);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].prompt.contains("Form1.SaveDocAsJPG at line 30"));
    EXPECT_EQ(engine.liveApplications, 0);
}

TEST_F(GenerationTest, TwoRunsGiveTwoWorkingDocuments) {
    random.fractions = {0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0};
    const QString first = run().workingDocument;
    EXPECT_EQ(QFileInfo(first).fileName(), "tarvik11111111.doc");
    // The same draw again finds its name taken and draws anew.
    random.fractions = {0.0,  0.0,  0.0,  0.0,  0.0,  0.0,  0.0,  0.0,
                        0.99, 0.99, 0.99, 0.99, 0.99, 0.99, 0.99, 0.99};
    const QString second = run().workingDocument;
    EXPECT_EQ(QFileInfo(second).fileName(), "tarvik99999999.doc");
    EXPECT_TRUE(FileExists(first));
    EXPECT_TRUE(FileExists(second));
}

TEST_F(GenerationTest, AnotherInstancesRunIsWaitedForWithEventsLetThrough) {
    FileLock other = TryLockFile(RunLockPath());
    generation.setLockPatience(std::chrono::milliseconds(150));
    GenerationOutcome outcome = run();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].prompt.startsWith("Another copy of Brindlecast is making a "
                                                 "newsletter and has not finished after 1 "));
    EXPECT_TRUE(outcome.workingDocument.isEmpty());
    EXPECT_TRUE(engine.log.isEmpty());
    EXPECT_GT(eventPasses, 0);

    // The other run ends while this one waits: this one goes on, and holds the run and its
    // working document until the hand-over lets them go.
    engine.onCall = [&](const QString&) { EXPECT_FALSE(other.held()); };
    Generation waiting{engine, boxes, clipboard, random, [&] { other.release(); }};
    outcome = waiting.run(input);
    EXPECT_TRUE(outcome.pictureMade);
    EXPECT_FALSE(TryLockFile(RunLockPath()).held());
    EXPECT_FALSE(TryLockExistingFile(outcome.workingDocument).held());
    outcome.runLock.release();
    outcome.documentLock.release();
    EXPECT_TRUE(TryLockFile(RunLockPath()).held());
    EXPECT_TRUE(TryLockExistingFile(outcome.workingDocument).held());
}

TEST_F(GenerationTest, StartUpRemovesWorkingFilesNoLiveInstanceHoldsOnceNoRunIsUnderWay) {
    writeAll(temp("tarvik11111111.doc"), "a killed instance's");
    writeAll(PreviewBitmapPath(), "a killed run's");
    const FileLock live = CreateLockedFile(temp("tarvik22222222.doc"), "a live instance's");
    FileLock run = TryLockFile(RunLockPath());
    RemoveDeadWorkingFiles();
    EXPECT_EQ(QDir(temp()).entryList(QDir::Files).size(), 4);
    run.release();
    RemoveDeadWorkingFiles();
    EXPECT_EQ(QDir(temp()).entryList(QDir::Files), QStringList{"tarvik22222222.doc"});

    // A killed save's scratch folder, holding a copy of a newsletter, goes once it is old.
    for (const char* name : {"brindlecast-Killed", "brindlecast-Saving"}) {
        QDir().mkpath(temp(name));
        writeAll(temp(QStringLiteral("%1/newsletter.pdf").arg(name)), "a copy");
    }
    ASSERT_TRUE(testing::SetLastModified(temp("brindlecast-Killed"),
                                         QDateTime::currentDateTime().addSecs(-7200)));
    RemoveDeadWorkingFiles();
    EXPECT_EQ(QDir(temp()).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
              QStringList{"brindlecast-Saving"});
}

TEST(ClipboardPicture, AsksUpToAThousandTimes) {
    fakes::FakeClipboard clipboard;
    clipboard.setPicture(QImage(4, 4, QImage::Format_RGB32));
    clipboard.busyRequests = 999;
    EXPECT_FALSE(GetClipboardPicture(clipboard, 0).isNull());
    EXPECT_EQ(clipboard.requests, 1000);
    clipboard.requests = 0;
    clipboard.busyRequests = 1000;
    EXPECT_TRUE(GetClipboardPicture(clipboard, 0).isNull());
    EXPECT_EQ(clipboard.requests, 1000);
}

class WordCheckTest : public ::testing::Test {
protected:
    fakes::FakeMessageBoxes boxes;
    fakes::FakeClipboard clipboard;
    fakes::FakeEngine engine{clipboard};
    int ended = 0;
};

TEST_F(WordCheckTest, PassesSilentlyAndQuitsTheSession) {
    EXPECT_TRUE(CheckWordInstalled(engine, boxes, [this] { ++ended; }));
    EXPECT_EQ(engine.log, QStringList({"create", "quit"}));
    EXPECT_EQ(engine.liveApplications, 0);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(WordCheckTest, AFailingQuitIsIgnored) {
    engine.onCall = [](const QString& call) {
        if (call == "quit")
            throw engine::EngineError("gone");
    };
    EXPECT_TRUE(CheckWordInstalled(engine, boxes, [this] { ++ended; }));
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(ended, 0);
}

TEST_F(WordCheckTest, ShowsTheAdviceAndEndsTheProgram) {
    SetProgramTitle("Brindlecast");
    engine.onCall = [](const QString& call) {
        if (call == "create")
            throw engine::EngineError("no engine");
    };
    EXPECT_FALSE(CheckWordInstalled(engine, boxes, [this] { ++ended; }));
    EXPECT_EQ(ended, 1);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(int(boxes.shown[0].style), 0);
    EXPECT_EQ(boxes.shown[0].title, "Brindlecast");
    EXPECT_EQ(boxes.shown[0].prompt, testing::ExpectedAdviceBox("no engine"));
}

} // namespace
} // namespace brindlecast
