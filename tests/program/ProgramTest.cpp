// The program as a user starts it: its own process, the engine module, a window on screen.
#include "app/FileLock.h"
#include "support/Isolated.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
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
    // The kernel names where the main thread sleeps, and an event loop with nothing to do sleeps
    // in poll(): the program waits for the user. Until its start-up check has started the
    // engine, the only event loop it runs is a box's.
    static bool waitsForTheUser(const QProcess& program) {
        QFile wchan(QStringLiteral("/proc/%1/wchan").arg(program.processId()));
        return wchan.open(QIODevice::ReadOnly) && wchan.readAll().contains("poll");
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
    // The start-up check has started the engine once its profile has been made; the window is
    // up once the program then waits for the user.
    ASSERT_TRUE(waitFor([&] {
        const QStringList folders = engineFolders();
        return !folders.isEmpty() && QDir(temp(folders[0] + "/user")).exists() &&
               !QDir(temp()).exists("template.dot") && waitsForTheUser(program);
    })) << "the program never came to wait in its window";
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
    // Waiting for the user with no engine started: the box is open, and start-up stands still.
    ASSERT_TRUE(waitFor([&] { return waitsForTheUser(program) && engineFolders().isEmpty(); }))
        << "the program never came to wait in the start-up box";
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
