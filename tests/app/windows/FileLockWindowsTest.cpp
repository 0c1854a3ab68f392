// Locks on Windows: holders in one process or in two exclude each other, and a killed holder's
// lock is free again.
#include "RoomsTest.h"
#include "app/FileHelpers.h"
#include "app/FileLock.h"
#include "app/LockTest.h"
#include "support/Isolated.h"

#include <QDir>
#include <stdexcept>

namespace brindlecast {
namespace {

using namespace testing;

using FileLockTest = LockTest;

TEST_F(FileLockTest, HoldersExcludeEachOtherUntilTheyLetGoOrAreKilled) {
    FileLock first = TryLockFile(temp("run.lock"));
    ASSERT_TRUE(first.held());
    EXPECT_EQ(refusal(), "busy"); // another opening in this process
    first.release();
    EXPECT_FALSE(FileExists(temp("run.lock")));

    QProcess holder;
    ASSERT_TRUE(startHelper(holder, {"hold", temp("run.lock")}, "locked").contains("locked"));
    EXPECT_EQ(refusal(), "busy");
    holder.kill(); // TerminateProcess: no chance to let go
    ASSERT_TRUE(holder.waitForFinished(10000));
    EXPECT_EQ(refusal(), "");
}

TEST_F(FileLockTest, TwoProgramsRacingForTheLockTakeTurns) {
    writeAll(temp("counter"), "0");
    const QStringList arguments{"turns", temp("run.lock"), temp("counter"), "25"};
    QProcess first, second;
    startHelper(first, arguments);
    startHelper(second, arguments);
    ASSERT_TRUE(first.waitForFinished(60000) && second.waitForFinished(60000));
    EXPECT_EQ(first.exitCode() + second.exitCode(), 0);
    // Two turns at once would have counted one of them twice as the same number.
    EXPECT_EQ(readAll(temp("counter")), "50");
    EXPECT_FALSE(FileExists(temp("run.lock")));
}

TEST_F(FileLockTest, AFolderInTheLocksPlaceIsRefusedByName) {
    ASSERT_TRUE(QDir().mkpath(temp("run.lock")));
    EXPECT_EQ(refusal(), "The lock file " + temp("run.lock") +
                             " cannot be used: a folder is in its place. Please remove it.");
}

} // namespace
} // namespace brindlecast
