// List runs that stop before their end: killed, their folder gone, their disk full. What they
// made is whole, and the same command with --skip-existing finishes them.
#include "CommandTest.h"

#include <QDir>
#include <QScopeGuard>
#include <csignal>
#include <map>

namespace brindlecast {
namespace {

using testing::Outcome;

class ListRunTest : public testing::CommandTest {
protected:
    ListRunTest() {
        QString csv = "Name,City\n";
        for (int i = 1; i <= Recipients; ++i)
            csv += QStringLiteral("Person %1,Springfield %1\n").arg(i, 2, 10, QLatin1Char('0'));
        writeAll(root("list.csv"), csv.toUtf8());
    }
    QStringList outputs(const QString& folder) const {
        return QDir(root(folder)).entryList({"0*-Person *.doc"}, QDir::Files);
    }
    QProcess* startList(const QString& folder) {
        auto* process = new QProcess;
        start(*process, {"make", "--no-stored", "--recipients", "list.csv", "--output", folder});
        return process;
    }
    // Waits until `enough` of the run's files are in `folder`, noting each file's size when it
    // is first seen under its final name.
    void watch(QProcess& process, const QString& folder, int enough) {
        for (;;) {
            const QStringList seen = outputs(folder);
            for (const QString& name : seen)
                firstSeen.emplace(name, QFileInfo(root(folder + '/' + name)).size());
            if (process.state() == QProcess::NotRunning || int(seen.size()) >= enough)
                return;
            // Waiting on the process, not sleeping: its state is only brought up to date
            // while it is waited for, and a run that ended early must not be watched forever.
            process.waitForFinished(5);
        }
    }
    // The office the program started, among its children.
    static pid_t officeOf(pid_t program) {
        for (const QString& entry : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile stat("/proc/" + entry + "/stat");
            if (!stat.open(QIODevice::ReadOnly))
                continue;
            const QByteArray line = stat.readAll();
            const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
            if (line.contains("(soffice.bin)") && fields.size() > 1 && fields[1].toInt() == program)
                return pid_t(entry.toInt());
        }
        return 0;
    }
    QStringList tempEntries(const QString& pattern) const {
        return QDir(temp()).entryList({pattern}, QDir::AllEntries | QDir::NoDotAndDotDot);
    }

    static constexpr int Recipients = 24;
    std::map<QString, qint64> firstSeen;
};

TEST_F(ListRunTest, AKilledRunIsFinishedWithSkipExistingAndItsScratchFolderGoes) {
    std::unique_ptr<QProcess> killed(startList("out"));
    watch(*killed, "out", 6);
    killed->kill();
    killed->waitForFinished();
    const QStringList before = outputs("out");
    ASSERT_GE(before.size(), 6) << "the run ended before it could be killed";
    ASSERT_LT(before.size(), Recipients);
    ASSERT_EQ(tempEntries("brindlecast-list-*").size(), 1);

    const Outcome rerun =
        make({"--no-stored", "--recipients", "list.csv", "--output", "out", "--skip-existing"});
    EXPECT_EQ(rerun.code, 0) << rerun.err.toStdString();
    EXPECT_TRUE(rerun.out.contains(
        QStringLiteral("Made %1 of %1 newsletters").arg(Recipients - before.size())))
        << rerun.out.toStdString();
    EXPECT_TRUE(
        rerun.out.contains(QStringLiteral("Kept %1 that existed already.").arg(before.size())));
    ASSERT_EQ(outputs("out").size(), Recipients);
    for (int i = 1; i <= Recipients; ++i) {
        const QString name = QStringLiteral("Person %1").arg(i, 2, 10, QLatin1Char('0'));
        const QString file = QStringLiteral("%1-%2.doc").arg(i, 3, 10, QLatin1Char('0')).arg(name);
        EXPECT_TRUE(textOf(root("out/" + file)).contains(name)) << file.toStdString();
        // Never seen under its name before it was whole.
        if (firstSeen.count(file)) {
            EXPECT_EQ(firstSeen[file], QFileInfo(root("out/" + file)).size()) << file.toStdString();
        }
    }
    EXPECT_GE(firstSeen.size(), 6u);
    // The killed run's scratch folder went at the next start; the next run's went with it.
    EXPECT_EQ(tempEntries("brindlecast-*"), QStringList());
}

TEST_F(ListRunTest, AFolderThatGoesStopsTheRunWithOneMessage) {
    std::unique_ptr<QProcess> run(startList("out"));
    watch(*run, "out", 2);
    ASSERT_TRUE(QDir(root("out")).removeRecursively());
    ASSERT_TRUE(run->waitForFinished(120000));
    EXPECT_EQ(run->exitCode(), 1);
    const QString err = QString::fromUtf8(run->readAllStandardError());
    const QString out = QString::fromUtf8(run->readAllStandardOutput());
    EXPECT_EQ(err.count("brindlecast: "), 1) << err.toStdString();
    EXPECT_TRUE(err.contains("brindlecast: stopped at recipient ")) << err.toStdString();
    EXPECT_FALSE(out.contains("Not made:")) << out.toStdString();
    EXPECT_TRUE(out.contains("run the same command again with --skip-existing"))
        << out.toStdString();
}

// An engine that stops answering (as a hostile template can make it) costs its newsletter the
// time limit, and a fresh engine makes the next one.
TEST_F(ListRunTest, AHangingEngineLosesOneNewsletterAndAFreshOneGoesOn) {
    // Long enough for the office to start on a busy machine: the limit holds for the start too.
    qputenv("BRINDLECAST_ENGINE_TIMEOUT", "10");
    std::unique_ptr<QProcess> run(startList("out"));
    qunsetenv("BRINDLECAST_ENGINE_TIMEOUT");
    watch(*run, "out", 3);
    const pid_t office = officeOf(pid_t(run->processId()));
    ASSERT_GT(office, 0) << run->readAllStandardOutput().toStdString()
                         << run->readAllStandardError().toStdString();
    ASSERT_EQ(::kill(office, SIGSTOP), 0);
    ASSERT_TRUE(run->waitForFinished(120000));
    const QString out = QString::fromUtf8(run->readAllStandardOutput());
    EXPECT_EQ(run->exitCode(), 1);
    EXPECT_TRUE(out.contains(QRegularExpression(
        "\nNot made: recipient \\d+ [^\n]*did not answer within 10 seconds and was stopped")))
        << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("Made %1 of %2").arg(Recipients - 1).arg(Recipients)))
        << out.toStdString();
    EXPECT_EQ(outputs("out").size(), Recipients - 1);
}

TEST_F(ListRunTest, AFullDiskStopsTheRunWithOneMessage) {
    QDir().mkpath(root("small"));
    if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=128k", "tmpfs", root("small")}) != 0)
        GTEST_SKIP() << "no tiny file system can be mounted here";
    const auto unmount = qScopeGuard([&] { QProcess::execute("umount", {root("small")}); });
    const Outcome full =
        make({"--no-stored", "--recipients", "list.csv", "--output", root("small/out")});
    EXPECT_EQ(full.code, 1);
    EXPECT_EQ(full.err.count("brindlecast: "), 1) << full.err.toStdString();
    EXPECT_TRUE(full.err.contains("no space is left on its disk")) << full.err.toStdString();
    EXPECT_FALSE(full.out.contains("Not made:")) << full.out.toStdString();
    EXPECT_TRUE(full.out.contains("--skip-existing")) << full.out.toStdString();
    const QStringList kept = outputs("small/out");
    EXPECT_GT(kept.size(), 0);
    for (const QString& file : kept)
        EXPECT_TRUE(textOf(root("small/out/" + file)).contains(file.mid(4, 9)))
            << file.toStdString();
}

} // namespace
} // namespace brindlecast
