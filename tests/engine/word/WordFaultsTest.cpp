// A Word that is missing, refuses, fails, hangs or will not quit, and the user's clipboard
// around the page picture.
#include "Standin.h"
#include "app/PrivateClipboard.h"
#include "engine/DeadlineEngine.h"
#include "engine/word/WordEngine.h"
#include "fakes/FakeDialogs.h"
#include "generate/EngineCheck.h"
#include "generate/Generation.h"
#include "generate/MakeNewsletter.h"
#include "generate/WorkingFiles.h"
#include "newsletter/DateTexts.h"
#include "newsletter/FieldTable.h"
#include "support/Isolated.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QRegularExpression>
#include <QTest>
#include <shellapi.h>
#include <shlobj.h>

namespace brindlecast {
namespace {

using namespace std::chrono_literals;

// The user's clipboard as another program sets and reads it.
class UserClipboardOwner {
public:
    UserClipboardOwner()
        : mWindow(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                                  nullptr)) {}
    ~UserClipboardOwner() { DestroyWindow(mWindow); }

    void set(const QString& text, const QStringList& files) {
        ASSERT_TRUE(OpenClipboard(mWindow));
        EmptyClipboard();
        const std::wstring wide = text.toStdWString();
        SetClipboardData(CF_UNICODETEXT, global(wide.c_str(), (wide.size() + 1) * 2));
        // A file list as a file manager copies it: DROPFILES, then NUL-ended paths, one more NUL.
        QByteArray list(sizeof(DROPFILES), '\0');
        reinterpret_cast<DROPFILES*>(list.data())->pFiles = sizeof(DROPFILES);
        reinterpret_cast<DROPFILES*>(list.data())->fWide = TRUE;
        for (const QString& file : files + QStringList{QString()}) {
            const std::wstring path = QDir::toNativeSeparators(file).toStdWString();
            list.append(reinterpret_cast<const char*>(path.c_str()),
                        qsizetype((path.size() + 1) * 2));
        }
        SetClipboardData(CF_HDROP, global(list.constData(), size_t(list.size())));
        CloseClipboard();
    }
    QString text() {
        QString text;
        if (OpenClipboard(mWindow)) {
            if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
                text = QString::fromWCharArray(static_cast<const wchar_t*>(GlobalLock(data)));
                GlobalUnlock(data);
            }
            CloseClipboard();
        }
        return text;
    }
    QStringList files() {
        QStringList files;
        if (OpenClipboard(mWindow)) {
            if (auto drop = static_cast<HDROP>(GetClipboardData(CF_HDROP))) {
                wchar_t path[MAX_PATH];
                for (UINT i = 0, n = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0); i < n; ++i)
                    files << QDir::fromNativeSeparators(QString::fromWCharArray(
                        path, int(DragQueryFileW(drop, i, path, MAX_PATH))));
            }
            CloseClipboard();
        }
        return files;
    }

private:
    static HGLOBAL global(const void* bytes, size_t size) {
        HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, size);
        std::memcpy(GlobalLock(data), bytes, size);
        GlobalUnlock(data);
        return data;
    }

    HWND mWindow;
};

// Ends the servers a test left to their user.
void endServers(const std::vector<unsigned long>& pids) {
    for (unsigned long pid : pids)
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
}

// The time limit as a user shortens it, for the engine made after it.
struct ShortTimeLimit {
    ShortTimeLimit() { qputenv("BRINDLECAST_ENGINE_TIMEOUT", "3"); }
    ~ShortTimeLimit() { qunsetenv("BRINDLECAST_ENGINE_TIMEOUT"); }
};

class WordFaultsTest : public testing::Isolated {
protected:
    WordFaultsTest() {
        for (const QString& path : {temp("template.dot"), look})
            writeAll(path, testing::Word97Template());
    }

    static GenerationInput input() {
        return {1, [](int i) { return QStringLiteral("Value %1").arg(i); },
                [] { return QDateTime(QDate(2026, 12, 9), QTime(9, 30)); }};
    }
    GenerationOutcome generate() {
        boxes.shown.clear();
        return generation.run(input());
    }
    QString prompt(size_t box = 0) const {
        return box < boxes.shown.size() ? boxes.shown[box].prompt : QString();
    }

    ShortTimeLimit shortTimeLimit;
    // A template of the command line's own: a window's run removes TEMP's template.dot.
    QString look = root("look.dot");
    testing::Standin standin{root("standin")};
    PrivateClipboard clipboard;
    engine::word::WordEngine engine{clipboard};
    engine::DeadlineEngine deadline{engine, {engine::EngineTimeLimit(60s), {}, {}}};
    fakes::FakeMessageBoxes boxes;
    fakes::FakeRandom random;
    Generation generation{deadline, boxes, clipboard, random, [] {}};
};

TEST_F(WordFaultsTest, AMissingOrRefusingWordGivesTheSystemsReason) {
    engine::word::WordEngine missing(clipboard, {}, {QStringLiteral("Brindlecast.NoSuchWord")});
    try {
        missing.createApplication();
        ADD_FAILURE() << "created";
    } catch (const engine::EngineError& error) {
        EXPECT_STREQ(error.what(), "Word cannot be started through automation "
                                   "(\"Brindlecast.NoSuchWord\"): Word is not installed for "
                                   "automation on this computer (0x800401f3).");
    }
    standin.play({"refuse-creation 0x80080005"});
    try {
        deadline.createApplication();
        ADD_FAILURE() << "created";
    } catch (const engine::EngineError& error) {
        EXPECT_TRUE(QString(error.what()).contains("0x80080005")) << error.what();
    }
    ASSERT_EQ(standin.pids().size(), 1u);
    EXPECT_FALSE(testing::ProcessRuns(standin.pids()[0]));
}

TEST_F(WordFaultsTest, AWordThatFailsToQuitStillPassesTheCheckAndIsEnded) {
    standin.play({"fail-quit"});
    int ended = 0;
    EXPECT_TRUE(CheckWordInstalled(deadline, boxes, [&] { ++ended; }));
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(ended, 0);
    ASSERT_EQ(standin.pids().size(), 1u);
    EXPECT_FALSE(testing::ProcessRuns(standin.pids()[0]));
}

TEST_F(WordFaultsTest, AFailingMemberShowsWordsOwnWordsOnceAndTheNextRunWorks) {
    standin.play({"fail Find.Execute The stand-in refused this search."});
    GenerationOutcome outcome = generate();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(prompt().startsWith("The stand-in refused this search.\r\n"
                                    "in Plumvale2021/08/31.Form1.PushButton6_Click at line 80"))
        << prompt().toStdString();
    EXPECT_TRUE(outcome.workingDocument.isEmpty());
    EXPECT_EQ(standin.exits(), QStringList{"* exit: after Quit"});

    standin.play({});
    outcome = generate();
    EXPECT_TRUE(boxes.shown.empty()) << prompt().toStdString();
    EXPECT_TRUE(QFile::exists(outcome.workingDocument));
    EXPECT_TRUE(outcome.pictureMade);
}

TEST_F(WordFaultsTest, ATitleWordRefusesCostsNoNewsletter) {
    standin.play({"fail DocumentProperty.Value The property is read-only."});
    const GenerationOutcome outcome = generate();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(prompt().startsWith("The property is read-only.\r\n"
                                    "in Plumvale2021/08/31.Form1.PushButton6_Click at line 110"))
        << prompt().toStdString();
    EXPECT_TRUE(QFile::exists(outcome.workingDocument));
    EXPECT_TRUE(outcome.pictureMade);

    QStringList told;
    const auto value = [](int i) { return QStringLiteral("Value %1").arg(i); };
    MakeNewsletterFile(deadline, {look, FieldSpan{}, value, QStringLiteral("today"), value(0),
                                  root("news.pdf"), engine::SaveFormat::Pdf,
                                  [&](const QString& why) { told << why; }});
    EXPECT_EQ(told, QStringList{"The property is read-only."});
    EXPECT_TRUE(QFile::exists(root("news.pdf")));
}

TEST_F(WordFaultsTest, AHangingWordIsEndedAtTheDeadlineAndTheNextRunStartsAFreshOne) {
    standin.play({"hang Document.SaveAs"});
    // From the moment Word stops answering, as the log shows it.
    QElapsedTimer sinceHang;
    engine::DeadlineEngine watched{engine,
                                   {engine::EngineTimeLimit(60s),
                                    [&] {
                                        if (!sinceHang.isValid() &&
                                            !standin.calls().filter("-> hang").isEmpty())
                                            sinceHang.start();
                                    },
                                    {}}};
    Generation run{watched, boxes, clipboard, random, [] {}};
    run.run(input());
    ASSERT_TRUE(sinceHang.isValid());
    EXPECT_LT(sinceHang.elapsed(), 3000 + 2000);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(prompt().startsWith(
        "The document engine did not answer within 3 seconds and was stopped.\r\n"))
        << prompt().toStdString();
    ASSERT_EQ(standin.pids().size(), 1u);
    const unsigned long hung = standin.pids()[0];
    EXPECT_FALSE(testing::ProcessRuns(hung));

    standin.play({});
    watched.createApplication()->quit();
    EXPECT_NE(engine.lastProcessIds(), std::vector<unsigned long>{hung});
    EXPECT_EQ(standin.exits().size(), 1);
}

TEST_F(WordFaultsTest, AWordThatDoesNotFinishStartingIsEndedAtTheDeadline) {
    standin.play({"slow-start 20000"});
    QElapsedTimer timer;
    timer.start();
    EXPECT_THROW(deadline.createApplication(), engine::EngineError);
    EXPECT_LT(timer.elapsed(), 3000 + 2000);
    ASSERT_EQ(standin.pids().size(), 1u);
    EXPECT_FALSE(testing::ProcessRuns(standin.pids()[0]));
}

// A user who starts Word while the hidden one runs may be handed it and open a letter there.
// That Word is the user's from then on: never quit, never ended, whether the run finishes or
// Word stops answering in the middle of it.
TEST_F(WordFaultsTest, AWordTheUserOpenedALetterInIsNeitherQuitNorEnded) {
    standin.play({"user-document"});
    GenerationOutcome outcome = generate();
    EXPECT_TRUE(boxes.shown.empty()) << prompt().toStdString();
    EXPECT_TRUE(outcome.pictureMade);
    const QStringList calls = standin.calls();
    EXPECT_EQ(calls.filter("Application.Quit"), QStringList());
    EXPECT_EQ(calls.filter("Application.Visible put BOOL:true -> ok").size(), 2);
    ASSERT_EQ(standin.pids().size(), 2u);
    for (unsigned long pid : standin.pids())
        EXPECT_TRUE(testing::ProcessRuns(pid, 500));
    endServers(standin.pids());
    outcome = {}; // the preview's turn is over

    // Word answers again only after the run gave up on it: what the run held of it is let go
    // of then, not when the program ends.
    standin.forget();
    standin.play({"user-document", "late Find.Execute 6000"});
    QElapsedTimer timer;
    timer.start();
    outcome = generate();
    ASSERT_EQ(boxes.shown.size(), 1u) << prompt(1).toStdString();
    EXPECT_TRUE(prompt().startsWith("The document engine did not answer within 3 seconds"))
        << prompt().toStdString();
    EXPECT_LT(timer.elapsed(), 3000 + 2000 + 3000);
    ASSERT_EQ(standin.pids().size(), 1u);
    EXPECT_TRUE(testing::ProcessRuns(standin.pids()[0], 500));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return standin.calls().contains("* left to the user"); }, 15000));
    EXPECT_EQ(standin.findings(), "");
    endServers(standin.pids());

    // The run given up on never comes back; the next one gets a Word of its own.
    outcome = {};
    standin.play({});
    outcome = generate();
    EXPECT_TRUE(boxes.shown.empty()) << prompt().toStdString();
    EXPECT_TRUE(outcome.pictureMade);
}

// A user handed the hidden Word may show its start screen (no document of theirs, but Word is
// visible and theirs) or open a letter after ours, which then becomes Word's active document and
// holds its selection. Neither is quit, and the letter is neither filled in nor closed.
TEST_F(WordFaultsTest, AUsersStartScreenOrLetterOpenedAfterOursIsLeftAlone) {
    for (const QString user : {"user-start-screen", "user-document-after"}) {
        standin.forget();
        standin.play({user});
        GenerationOutcome outcome = generate();
        EXPECT_TRUE(boxes.shown.empty()) << prompt().toStdString();
        EXPECT_TRUE(outcome.pictureMade);
        const QStringList calls = standin.calls();
        EXPECT_TRUE(calls.filter("Application.Quit").isEmpty()) << user.toStdString();
        // "!" marks what touched the user's letter.
        EXPECT_EQ(standin.findings(), "");
        ASSERT_EQ(standin.pids().size(), 2u);
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return standin.calls().filter("* left to the user").size() == 2; }, 10000));
        for (unsigned long pid : standin.pids())
            EXPECT_TRUE(testing::ProcessRuns(pid, 500));
        const QJsonObject saved = testing::StandinSaved(outcome.workingDocument);
        EXPECT_TRUE(saved["stories"].toArray()[0].toObject()["text"].toString().contains(
            "Issue of " + IssueDateText(QDate(2026, 12, 9)) + "\r"));
        endServers(standin.pids());
    }
}

// A user who sits in a dialog of theirs (Save As) in the Word they were handed keeps Word busy
// for longer than any call waits: the run fails, and its end, which Word does not answer
// either, leaves that Word to the user instead of ending it.
TEST_F(WordFaultsTest, AWordBusyWithTheUsersDialogFailsTheRunAndStaysTheirs) {
    standin.play({"user-dialog"});
    const GenerationOutcome outcome = generate();
    ASSERT_EQ(boxes.shown.size(), 1u) << prompt(1).toStdString();
    // The wait for a busy Word ends well before the request's limit, on Word's own terms.
    EXPECT_TRUE(prompt().startsWith("Word stayed busy and did not take")) << prompt().toStdString();
    ASSERT_EQ(standin.pids().size(), 1u);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return standin.calls().contains("* left to the user"); }, 10000));
    EXPECT_TRUE(testing::ProcessRuns(standin.pids()[0], 500));
    EXPECT_EQ(standin.findings(), "");
    endServers(standin.pids());
}

// A hidden Word stopped at a question of its own (first start, sign-in, activation, safe mode)
// shows a dialog but no document: it is no user's, so it is ended, whether it holds its calls
// until the limit or turns them away as busy, and the user learns what to do about it.
TEST_F(WordFaultsTest, AHiddenWordAtAQuestionOfItsOwnIsEndedAndTheUserToldWhatToDo) {
    for (const QString dialog : {"first-run-dialog", "first-run-dialog reject"}) {
        standin.forget();
        standin.play({dialog});
        QElapsedTimer timer;
        timer.start();
        generate();
        ASSERT_EQ(boxes.shown.size(), 1u) << prompt(1).toStdString();
        EXPECT_TRUE(prompt().contains("Please start Word once by hand, answer what it asks and "
                                      "close it, then try again.\r\nin Plumvale2021/08/31.Form1."
                                      "PushButton6_Click at line 60"))
            << prompt().toStdString();
        EXPECT_LT(timer.elapsed(), 1000 + 3000 + 2000);
        ASSERT_EQ(standin.pids().size(), 1u);
        EXPECT_FALSE(testing::ProcessRuns(standin.pids()[0])) << dialog.toStdString();
    }
}

TEST_F(WordFaultsTest, TheUsersClipboardTextAndFilesSurviveThePicture) {
    UserClipboardOwner user;
    const QStringList files{temp("template.dot"), root("standin")};
    user.set(QStringLiteral("the user's own \U0001F4CB"), files);
    // Nothing hangs here, so the usual limit: a Word slow to start on a loaded machine is no fault.
    engine::DeadlineEngine patient{engine, {60s, {}, {}}};
    Generation patientGeneration{patient, boxes, clipboard, random, [] {}};
    const GenerationOutcome outcome = patientGeneration.run(input());
    ASSERT_TRUE(boxes.shown.empty()) << prompt().toStdString();
    EXPECT_TRUE(outcome.pictureMade);
    EXPECT_EQ(user.text(), QStringLiteral("the user's own \U0001F4CB"));
    EXPECT_EQ(user.files(), files);
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_ENHMETAFILE));
}

} // namespace
} // namespace brindlecast
