#include "app/FileLock.h"

#include "app/FileHelpers.h"
#include "app/LockTest.h"
#include "support/Isolated.h"

#include <QDir>
#include <QProcess>
#include <csignal>
#include <stdexcept>

namespace brindlecast {
namespace {

using FileLockTest = testing::LockTest;

TEST_F(FileLockTest, APlantedLinkOrFolderIsRefusedByName) {
    writeAll(root("victim"), "keep me");
    ASSERT_TRUE(QFile::link(root("victim"), temp("run.lock")));
    EXPECT_EQ(refusal(), "The lock file " + temp("run.lock") +
                             " cannot be used: a link is in its place. Please remove it.");
    EXPECT_EQ(readAll(root("victim")), "keep me");
    QFile::remove(temp("run.lock"));
    ASSERT_TRUE(QDir().mkpath(temp("run.lock")));
    EXPECT_TRUE(refusal().contains("a folder is in its place"));
}

TEST_F(FileLockTest, HoldersExcludeEachOtherUntilTheyLetGoOrDie) {
    FileLock first = TryLockFile(temp("run.lock"));
    ASSERT_TRUE(first.held());
    EXPECT_EQ(refusal(), "busy"); // another opening in this process
    EXPECT_EQ(QProcess::execute("flock", {"-n", "-E", "3", temp("run.lock"), "true"}), 3);
    first.release();
    EXPECT_FALSE(FileExists(temp("run.lock")));

    QProcess holder;
    holder.start("sh", {"-c", "exec 9>\"$1\" && flock 9 && echo locked && exec sleep 60", "sh",
                        temp("run.lock")});
    ASSERT_TRUE(holder.waitForReadyRead(10000));
    EXPECT_EQ(refusal(), "busy");
    ::kill(pid_t(holder.processId()), SIGKILL);
    ASSERT_TRUE(holder.waitForFinished(10000));
    EXPECT_EQ(refusal(), "");
}

} // namespace
} // namespace brindlecast
