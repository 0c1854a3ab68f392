#include "EngineTestSupport.h"
#include "engine/GenerationPasses.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>
#include <thread>

namespace brindlecast {
namespace {

using namespace engine;
using namespace testing;

TEST(WriterEngineLifecycle, KilledEngineFailsFastRestartsAndLeavesNothingBehind) {
    PrivateFolders environment;
    // Under the plain C locale the engine must still find files with non-ASCII names.
    environment.set("LC_ALL", "C");
    const QString folder = environment.root(QString::fromUtf8("Ausgabe #1 \xC3\xA9t\xC3\xA9"));
    ASSERT_TRUE(QDir().mkpath(folder));
    fakes::FakeClipboard clipboard;
    std::set<pid_t> pids;
    {
        writer::WriterEngine engine(clipboard);
        EXPECT_EQ(engine.processId(), 0);
        const QString templatePath = folder + QStringLiteral("/newsletter.dot");
        // Started from a thread that ends at once: the engine must not end with it.
        pid_t starter = 0;
        const auto starterListed = [&] {
            return QFileInfo::exists(QStringLiteral("/proc/self/task/%1").arg(starter));
        };
        bool listedWhileRunning = false;
        std::thread([&] {
            starter = ::gettid();
            listedWhileRunning = starterListed();
            makeNewsletterTemplate(engine, folder + QStringLiteral("/newsletter.fodt"),
                                   templatePath);
        }).join();
        const pid_t first = engine.processId();
        ASSERT_GT(first, 0);
        pids.insert(first);
        // join() returns before the kernel has ended the thread for good, and a parent-death
        // signal tied to the thread goes only then; once sent, the engine can never answer again.
        ASSERT_TRUE(listedWhileRunning);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !starterListed(); }, 10000))
            << "thread " << starter << " never ended";

        auto application = engine.createApplication();
        EXPECT_EQ(engine.processId(), first) << "a session reuses the running engine";
        Document& document = application->open(templatePath, true);
        ASSERT_TRUE(processRuns(first));
        ASSERT_EQ(::kill(first, SIGKILL), 0);
        // The calls below must meet an engine that is gone, not one still dying.
        ASSERT_TRUE(QTest::qWaitFor([&] { return !processRuns(first); }, 10000))
            << "engine " << first << " outlived SIGKILL";

        QElapsedTimer timer;
        timer.start();
        try {
            FieldValues values;
            runGenerationPasses(*application, document, values, QString());
            FAIL() << "the dead engine went unnoticed";
        } catch (const EngineError& error) {
            EXPECT_STREQ(error.what(), "The document engine stopped unexpectedly.");
        }
        EXPECT_LT(timer.elapsed(), 5000);
        application->quit(); // nothing left to close: must neither throw nor hang
        application.reset();

        application = engine.createApplication();
        const pid_t second = engine.processId();
        EXPECT_NE(second, first);
        pids.insert(second);
        Document& reopened = application->open(templatePath, true);
        FieldValues values;
        values.fill(QStringLiteral("v"));
        runGenerationPasses(*application, reopened, values, QStringLiteral("d"));
        reopened.saveAs(folder + QStringLiteral("/after restart.doc"));
        EXPECT_TRUE(
            independentText(folder + QStringLiteral("/after restart.doc")).contains("From v at v"));
        // The engine goes with its session still open.
    }
    for (pid_t pid : pids)
        EXPECT_FALSE(processRuns(pid)) << pid;
    EXPECT_TRUE(processesOf(pids, {sharedEnginePid()}).empty());
}

// The deadline stops the engine and the caller asks for its next session at once, before the
// killed office has finished dying: that session must come from a fresh office, not the dying
// one, or the newsletters after a hang fail one after another.
TEST(WriterEngineLifecycle, AStoppedEngineIsReplacedByTheNextSession) {
    PrivateFolders environment;
    const QString folder = environment.root("out");
    ASSERT_TRUE(QDir().mkpath(folder));
    fakes::FakeClipboard clipboard;
    writer::WriterEngine engine(clipboard);
    const QString templatePath = folder + QStringLiteral("/newsletter.dot");
    makeNewsletterTemplate(engine, folder + QStringLiteral("/newsletter.fodt"), templatePath);
    for (int round = 0; round < 2; ++round) {
        const pid_t stopped = engine.processId();
        ASSERT_GT(stopped, 0);
        engine.stop();
        auto application = engine.createApplication();
        EXPECT_NE(engine.processId(), stopped);
        EXPECT_FALSE(processRuns(stopped));
        Document& document = application->open(templatePath, true);
        FieldValues values;
        values.fill(QStringLiteral("r%1").arg(round));
        runGenerationPasses(*application, document, values, QStringLiteral("d"));
        const QString made = folder + QStringLiteral("/round %1.doc").arg(round);
        document.saveAs(made);
        EXPECT_TRUE(independentText(made).contains(QStringLiteral("From r%1").arg(round)));
    }
}

TEST(WriterEngineLifecycle, EngineDiesWithAKilledProgram) {
    PrivateFolders environment;
    const QString pidFile = environment.root("engine.pid");
    QProcess holder;
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    variables.insert(QStringLiteral("BRINDLECAST_ENGINE_HOLDER"), pidFile);
    holder.setProcessEnvironment(variables);
    holder.start(QStringLiteral("/proc/self/exe"), {});
    ASSERT_TRUE(holder.waitForStarted());
    QElapsedTimer timer;
    timer.start();
    while (!QFile::exists(pidFile) && holder.state() == QProcess::Running &&
           timer.elapsed() < 60000)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    QFile file(pidFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << holder.readAllStandardError().toStdString();
    const pid_t engine = pid_t(file.readAll().toInt());
    ASSERT_TRUE(processRuns(engine));

    ::kill(pid_t(holder.processId()), SIGKILL);
    ASSERT_TRUE(holder.waitForFinished(10000));
    timer.restart();
    while (processRuns(engine) && timer.elapsed() < 5000)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(processRuns(engine)) << "engine " << engine << " outlived its killed program";
}

TEST(WriterEngineLifecycle, MissingProgramFailsAtOnce) {
    PrivateFolders environment;
    fakes::FakeClipboard clipboard;
    writer::WriterEngineOptions options;
    options.officeProgram = environment.root("no-office/soffice.bin");
    writer::WriterEngine engine(clipboard, PictureSize{}, options);
    QElapsedTimer timer;
    timer.start();
    try {
        engine.createApplication();
        FAIL() << "a session without an engine";
    } catch (const EngineError& error) {
        EXPECT_NE(QString::fromUtf8(error.what()).indexOf(options.officeProgram), -1)
            << error.what();
    }
    EXPECT_LT(timer.elapsed(), 1000);
    EXPECT_EQ(engine.processId(), 0);
}

} // namespace
} // namespace brindlecast
