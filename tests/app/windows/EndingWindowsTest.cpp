// Ending on Windows: the end of the session and the console's Ctrl+C end a program the ordinary
// way, and a window program's command line prints to the console it was started from.
#include "RoomsTest.h"
#include "app/FileHelpers.h"
#include "support/Isolated.h"

namespace brindlecast {
namespace {

using namespace testing;

class EndingTest : public Isolated {
protected:
    QString document() const { return temp("tarvik12345678.doc"); }

    // The hidden window that hears of the end of the session; its thread makes it at the start.
    static HWND sessionWindowOf(QProcess& helper) {
        for (int attempt = 0; attempt < 400; Sleep(25), ++attempt) {
            for (HWND window = nullptr;
                 (window = FindWindowExW(nullptr, window, L"Brindlecast session end", nullptr));) {
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                if (owner == DWORD(helper.processId()))
                    return window;
            }
        }
        return nullptr;
    }

    // Logging off, as the system does it: the question, then the end.
    static void endTheSession(HWND window) {
        DWORD_PTR answer = 0;
        ASSERT_TRUE(SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF,
                                        SMTO_BLOCK, 10000, &answer));
        EXPECT_EQ(answer, DWORD_PTR(TRUE));
        SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_BLOCK, 20000,
                            &answer);
    }

    // The event loop returned; the working document went; no window's closing steps ran.
    void expectOrdinaryEnd(QProcess& helper) {
        ASSERT_TRUE(helper.waitForFinished(20000));
        EXPECT_EQ(helper.exitCode(), 0);
        const QByteArray said = helper.readAllStandardOutput();
        EXPECT_TRUE(said.contains("ended") && !said.contains("closed")) << said.constData();
        EXPECT_FALSE(FileExists(document()));
    }
};

TEST_F(EndingTest, TheEndOfTheSessionEndsTheProgramBeforeItIsAnswered) {
    QProcess helper;
    ASSERT_TRUE(startHelper(helper, {"end", document()}, "ready").contains("ready"));
    const HWND window = sessionWindowOf(helper);
    ASSERT_TRUE(window);
    endTheSession(window);
    // The system may end the process once the end is answered: by then it has ended.
    EXPECT_FALSE(FileExists(document()));
    expectOrdinaryEnd(helper);
}

TEST_F(EndingTest, TheEndOfTheSessionLeavesQtsWindowsToTheProgramsOwnEnding) {
    QProcess helper;
    const QByteArray said = startHelper(helper, {"end", document(), "window"}, "ready");
    const int at = said.indexOf("window ") + 7;
    ASSERT_GE(at, 7);
    endTheSession(
        reinterpret_cast<HWND>(quintptr(said.mid(at, said.indexOf('\n', at) - at).toULongLong())));
    expectOrdinaryEnd(helper);
}

TEST_F(EndingTest, CtrlCInItsConsoleEndsTheProgramTheOrdinaryWay) {
    QProcess helper, interrupter;
    ASSERT_TRUE(startHelper(helper, {"end", document()}, "ready", true).contains("ready"));
    startHelper(interrupter, {"interrupt", QString::number(helper.processId())});
    ASSERT_TRUE(interrupter.waitForFinished(10000));
    EXPECT_EQ(interrupter.exitCode(), 0);
    expectOrdinaryEnd(helper);
}

TEST(ConsoleTest, AWindowProgramPrintsToTheConsoleItWasStartedFrom) {
    QProcess host;
    startHelper(host, {"console", helperPath("app_console_writer"), "Harbor News"}, {}, true);
    ASSERT_TRUE(host.waitForFinished(30000));
    const QByteArray screen = host.readAllStandardOutput();
    EXPECT_TRUE(screen.contains("Harbor News\r\nHarbor News on standard error"))
        << screen.constData();
}

} // namespace
} // namespace brindlecast
