// Files from anyone, newsletters to anyone: a full disk never leaves a file that is not whole
// under a newsletter's name, no output goes through a link or over the template, and no input
// keeps the program waiting beyond a termination signal.
#include "CommandTest.h"

#include <QDir>
#include <QScopeGuard>
#include <csignal>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace brindlecast {
namespace {

using testing::Outcome;

class FileSafetyTest : public testing::CommandTest {
protected:
    FileSafetyTest() { writeAll(root("list.csv"), "Name\nDana Hollis\nVered Iziva\n"); }
    // Runs the program, ending it if it still runs after a bound no hang-free run comes near.
    Outcome bounded(const QStringList& arguments) {
        QProcess process;
        start(process, QStringList{"make"} + arguments);
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            ADD_FAILURE() << "still waiting: " << arguments.join(' ').toStdString();
        }
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
    static QStringList leftovers(const QString& folder) {
        return QDir(folder).entryList({".brindlecast-*"}, QDir::Files | QDir::Hidden);
    }
};

TEST_F(FileSafetyTest, AFullDiskNeverGivesAnEmptyOrCutFileANewslettersName) {
    QDir().mkpath(root("small"));
    if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=1m", "tmpfs", root("small")}) != 0)
        GTEST_SKIP() << "no tiny file system can be mounted here (mount needs root)";
    const auto unmount = qScopeGuard([&] { QProcess::execute("umount", {root("small")}); });
    const Outcome first =
        make({"--no-stored", "--set", "NLTitle=Harbor News", "--output", root("small/news.docx")});
    ASSERT_EQ(first.code, 0) << first.err.toStdString();
    const QByteArray good = readAll(root("small/news.docx"));
    QDir().mkpath(root("small/out"));
    {
        QFile filler(root("small/filler"));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        while (filler.write(QByteArray(4096, 'f')) == 4096) {
        }
    }
    const Outcome forced = make({"--no-stored", "--force", "--output", root("small/news.docx")});
    EXPECT_EQ(forced.code, 1);
    EXPECT_EQ(forced.err.count("brindlecast: "), 1) << forced.err.toStdString();
    EXPECT_TRUE(forced.err.contains("no space is left on its disk")) << forced.err.toStdString();
    EXPECT_EQ(readAll(root("small/news.docx")), good);

    const QStringList list{"--no-stored", "--recipients", "list.csv",       "--format",
                           "docx",        "--output",     root("small/out")};
    const Outcome full = make(list);
    EXPECT_EQ(full.code, 1);
    EXPECT_EQ(full.err.count("brindlecast: "), 1) << full.err.toStdString();
    EXPECT_TRUE(full.err.contains("no space is left on its disk")) << full.err.toStdString();
    EXPECT_EQ(QDir(root("small/out")).entryList(QDir::Files | QDir::Hidden), QStringList());

    // What a full disk left before: an empty file under a recipient's name. Made again.
    writeAll(root("small/out/001-Dana Hollis.docx"), "");
    ASSERT_TRUE(QFile::remove(root("small/filler")));
    const Outcome rerun = make(list + QStringList{"--skip-existing"});
    EXPECT_EQ(rerun.code, 0) << rerun.err.toStdString();
    EXPECT_TRUE(rerun.out.contains("Made 2 of 2")) << rerun.out.toStdString();
    EXPECT_TRUE(textOf(root("small/out/001-Dana Hollis.docx")).contains("Dana Hollis"));
    EXPECT_TRUE(textOf(root("small/out/002-Vered Iziva.docx")).contains("Vered Iziva"));
    EXPECT_EQ(leftovers(root("small")) + leftovers(root("small/out")), QStringList());
}

TEST_F(FileSafetyTest, NoOutputGoesThroughALinkOrOverTheTemplate) {
    ASSERT_EQ(make({"--no-stored", "--output", "T.doc"}).code, 0);
    const QByteArray templateBytes = readAll(root("T.doc"));
    writeAll(root("victim.doc"), "someone else's");
    QDir().mkpath(root("out"));
    ASSERT_TRUE(QFile::link(root("victim.doc"), root("news.doc")));
    ASSERT_TRUE(QFile::link(root("victim.doc"), root("out/001-Dana Hollis.doc")));
    ASSERT_TRUE(QFile::link(root("T.doc"), root("linked.doc")));
    ASSERT_EQ(::link(QFile::encodeName(root("T.doc")).constData(),
                     QFile::encodeName(root("hard.doc")).constData()),
              0);
    for (const auto& [output, says] :
         std::vector<std::pair<QString, QString>>{{"news.doc", "news.doc is a symbolic link"},
                                                  {"linked.doc", "linked.doc is a symbolic link"},
                                                  {"T.doc", "T.doc is the template"},
                                                  {"out/../T.doc", "out/../T.doc is the template"},
                                                  {"hard.doc", "hard.doc is the template"}}) {
        const Outcome refused =
            make({"--no-stored", "--template", "T.doc", "--force", "--output", output});
        EXPECT_EQ(refused.code, 2) << output.toStdString();
        EXPECT_TRUE(refused.err.contains(says)) << refused.err.toStdString();
    }
    const Outcome list = make({"--no-stored", "--template", "T.doc", "--force", "--recipients",
                               "list.csv", "--output", "out"});
    EXPECT_EQ(list.code, 1);
    EXPECT_TRUE(list.out.contains("Made 1 of 2")) << list.out.toStdString();
    EXPECT_TRUE(list.out.contains("Not made: recipient 1 (line 2, \"Dana Hollis\"): Cannot save "
                                  "the newsletter to out/001-Dana Hollis.doc: it is a symbolic "
                                  "link"))
        << list.out.toStdString();
    EXPECT_TRUE(QFileInfo(root("out/001-Dana Hollis.doc")).isSymLink());
    EXPECT_EQ(readAll(root("victim.doc")), "someone else's");
    EXPECT_EQ(readAll(root("T.doc")), templateBytes);
}

TEST_F(FileSafetyTest, PipesAndDevicesNeverKeepTheProgramWaiting) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(root("fifo")).constData(), 0600), 0);
    for (const QString input : {"--template", "--values", "--recipients"}) {
        const Outcome refused = bounded({"--no-stored", input, "fifo", "--output", "out"});
        EXPECT_EQ(refused.code, 2) << input.toStdString();
        EXPECT_TRUE(refused.err.contains("fifo")) << refused.err.toStdString();
        EXPECT_TRUE(refused.err.contains("it is a named pipe, not a regular file"))
            << refused.err.toStdString();
    }

    // check-template reads its file as make reads a template.
    QProcess check;
    start(check, {"check-template", "fifo"});
    const bool ended = check.waitForFinished(60000);
    if (!ended) {
        check.kill();
        check.waitForFinished();
    }
    EXPECT_TRUE(ended);
    EXPECT_EQ(check.exitCode(), 2);
    EXPECT_TRUE(check.readAllStandardError().contains("it is a named pipe, not a regular file"));

    // A pipe a program writes into, as "<(...)" gives it, is read.
    QProcess piped;
    start(piped, {"make", "--no-stored", "--values", "/dev/stdin", "--output", "news.doc"});
    piped.write(R"({"Nope": "x"})");
    piped.closeWriteChannel();
    ASSERT_TRUE(piped.waitForFinished(60000));
    EXPECT_TRUE(piped.readAllStandardError().contains("no field is called Nope"));

    // One whose writer never writes nor ends: the program waits, and a termination signal ends
    // it there.
    for (const auto& [input, signal] :
         std::vector<std::pair<QString, int>>{{"--values", SIGTERM}, {"--recipients", SIGINT}}) {
        QProcess waiting;
        start(waiting, {"make", "--no-stored", input, "/dev/stdin", "--output", "news.doc"});
        ASSERT_TRUE(waiting.waitForStarted());
        const QString calls = QStringLiteral("/proc/%1/syscall").arg(waiting.processId());
        while (!readAll(calls).startsWith(QByteArray::number(SYS_read) + ' '))
            ASSERT_FALSE(waiting.waitForFinished(10)) << waiting.readAllStandardError().data();
        ASSERT_EQ(::kill(pid_t(waiting.processId()), signal), 0);
        EXPECT_TRUE(waiting.waitForFinished(60000)) << input.toStdString();
        EXPECT_EQ(waiting.exitStatus(), QProcess::CrashExit);
        waiting.kill();
    }
    EXPECT_FALSE(QFileInfo::exists(root("news.doc")));
}

} // namespace
} // namespace brindlecast
