// The program as a user starts it: its own process, the engine module, a window on screen.
#include "app/FileLock.h"
#include "support/Isolated.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <csignal>

namespace brindlecast {
namespace {

// The package test points this at the program unpacked from the package.
const QString Program =
    qEnvironmentVariable("BRINDLECAST_PROGRAM", QStringLiteral(BRINDLECAST_PROGRAM));

class ProgramTest : public testing::Isolated {
protected:
    QStringList engineFolders() const {
        return QDir(temp()).entryList({"brindlecast-engine-*"}, QDir::Dirs);
    }
    bool waitFor(const std::function<bool()>& condition, int milliseconds = 60000) {
        QElapsedTimer timer;
        timer.start();
        while (!condition()) {
            if (timer.elapsed() > milliseconds)
                return false;
            QThread::msleep(50);
        }
        return true;
    }
};

TEST_F(ProgramTest, EndsCleanlyWhenTheSessionAsksItTo) {
    // What a killed instance left goes at the start; what a live one holds stays.
    writeAll(temp("tarvik13572468.doc"), "a killed instance's newsletter");
    QDir().mkpath(temp("brindlecast-engine-Killed"));
    writeAll(temp("brindlecast-engine-Killed/owner.lock"), "");
    FileLock live = CreateLockedFile(temp("tarvik24681357.doc"), "a live instance's newsletter");
    QProcess program;
    program.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    program.start(Program, {});
    ASSERT_TRUE(program.waitForStarted());
    // The start-up check has started the engine once its profile has been made.
    ASSERT_TRUE(waitFor([&] {
        const QStringList folders = engineFolders();
        return !folders.isEmpty() && QDir(temp(folders[0] + "/user")).exists() &&
               !QDir(temp()).exists("template.dot");
    }));
    QThread::msleep(500);
    ASSERT_EQ(program.state(), QProcess::Running);
    ::kill(pid_t(program.processId()), SIGTERM);
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_EQ(engineFolders(), QStringList());
    EXPECT_TRUE(QFile::remove(temp("tarvik24681357.doc")));
    EXPECT_EQ(QDir(temp()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList());
}

TEST_F(ProgramTest, ASessionEndingDuringAStartUpBoxEndsTheProgramThere) {
    // A stored date that is no date makes start-up show an error box and wait for it.
    writeAll(root("config/Quillmark.ini"), "[Brindlecast]\nDateTimePicker1=not a date\n");
    QProcess program;
    program.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    program.start(Program, {});
    ASSERT_TRUE(program.waitForStarted());
    // The box gives no sign of being open; start-up reaches it well within this.
    QThread::msleep(3000);
    ASSERT_EQ(program.state(), QProcess::Running);
    QElapsedTimer timer;
    timer.start();
    ::kill(pid_t(program.processId()), SIGTERM);
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_LT(timer.elapsed(), 2000);
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    // Start-up went no further: the engine was never started, no window was shown.
    EXPECT_EQ(engineFolders(), QStringList());
}

} // namespace
} // namespace brindlecast
