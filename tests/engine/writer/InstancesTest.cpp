// Two program instances sharing TEMP, each a real process with a real engine.
#include "engine/writer/EngineFolders.h"
#include "generate/WorkingFiles.h"
#include "support/Isolated.h"

#include <QDir>
#include <QProcess>
#include <csignal>
#include <ctime>
#include <sys/stat.h>
#include <sys/time.h>

namespace brindlecast {
namespace {

class InstancesTest : public testing::Isolated {
protected:
    // A holding instance's answer is its working document, a racing one's when its rounds began
    // and ended.
    QString start(QProcess& instance, const QStringList& arguments) {
        instance.start(QStringLiteral(INSTANCE_HELPER), arguments);
        return answer(instance);
    }
    QString answer(QProcess& instance) {
        while (!instance.canReadLine() && instance.waitForReadyRead(170000)) {
        }
        EXPECT_TRUE(instance.canReadLine()) << instance.readAllStandardError().toStdString();
        return QString::fromUtf8(instance.readLine()).trimmed();
    }
    void kill(QProcess& instance) {
        ::kill(pid_t(instance.processId()), SIGKILL);
        ASSERT_TRUE(instance.waitForFinished(10000));
    }
    QStringList entries(const QString& pattern = "*") const {
        return QDir(temp()).entryList({pattern}, QDir::AllEntries | QDir::NoDotAndDotDot);
    }
    // The sockets the engine of the only engine folder noted for its pipes, while they exist.
    QList<QByteArray> sockets() const {
        QList<QByteArray> live;
        for (const QByteArray& path :
             readAll(temp(entries("brindlecast-engine-*").value(0) + "/pipes")).split('\n')) {
            struct stat status {};
            if (::lstat(path.constData(), &status) == 0 && S_ISSOCK(status.st_mode))
                live << path;
        }
        return live;
    }
};

TEST_F(InstancesTest, TwoRacingInstancesTakeTurnsAndNeverUseEachOthersFiles) {
    QProcess first, second;
    first.start(QStringLiteral(INSTANCE_HELPER), {"race", "1", "Alpha", "20"});
    second.start(QStringLiteral(INSTANCE_HELPER), {"race", "3", "Bravo", "20"});
    const QStringList firstSpan = answer(first).split(' ');
    const QStringList secondSpan = answer(second).split(' ');
    ASSERT_EQ(firstSpan.size() + secondSpan.size(), 4);
    EXPECT_LT(firstSpan[0].toLongLong(), secondSpan[1].toLongLong()) << "they did not overlap";
    EXPECT_LT(secondSpan[0].toLongLong(), firstSpan[1].toLongLong()) << "they did not overlap";
    EXPECT_TRUE(first.waitForFinished() && second.waitForFinished());
    EXPECT_EQ(first.exitCode() + second.exitCode(), 0);
    EXPECT_EQ(entries(), QStringList());
}

TEST_F(InstancesTest, TheNextStartRemovesAKilledInstancesLeftoversButNotALiveOnes) {
    QProcess killed, live;
    const QString killedDocument = start(killed, {"hold", "1", "Alpha"});
    const QStringList killedFolder = entries("brindlecast-engine-*");
    const QList<QByteArray> killedSockets = sockets();
    ASSERT_EQ(killedFolder.size() + killedSockets.size(), 3);
    kill(killed);
    const QString liveDocument = start(live, {"hold", "3", "Bravo"});
    EXPECT_EQ(entries("tarvik*"), QStringList{QFileInfo(liveDocument).fileName()});
    EXPECT_FALSE(entries("brindlecast-engine-*").contains(killedFolder[0]));
    for (const QByteArray& path : killedSockets)
        EXPECT_FALSE(QFileInfo::exists(path)) << path.constData();

    // Whoever looks while it lives leaves the live instance's files alone.
    const QStringList liveFiles = entries();
    const QList<QByteArray> liveSockets = sockets();
    RemoveDeadWorkingFiles();
    engine::writer::RemoveDeadEngineFolders(temp());
    EXPECT_EQ(entries(), liveFiles);
    EXPECT_EQ(sockets(), liveSockets);
    kill(live);
    RemoveDeadWorkingFiles();
    engine::writer::RemoveDeadEngineFolders(temp());
    EXPECT_EQ(entries(), QStringList());
    for (const QByteArray& path : liveSockets)
        EXPECT_FALSE(QFileInfo::exists(path)) << path.constData();
}

TEST_F(InstancesTest, AFolderAnEngineIsStillMakingIsLeftAloneUntilItIsOld) {
    // Marked but not yet locked, as a start is for an instant: another's clean-up keeps it.
    const QString making = temp("brindlecast-starting-AbCdEf");
    QDir().mkpath(making);
    writeAll(making + "/owner.lock", "");
    engine::writer::RemoveDeadEngineFolders(temp());
    EXPECT_TRUE(QFileInfo::exists(making + "/owner.lock"));
    const timeval elevenMinutesAgo[2] = {{::time(nullptr) - 660, 0}, {::time(nullptr) - 660, 0}};
    ASSERT_EQ(::utimes(QFile::encodeName(making).constData(), elevenMinutesAgo), 0);
    engine::writer::RemoveDeadEngineFolders(temp());
    EXPECT_FALSE(QFileInfo::exists(making));

    // Made, it carries an engine folder's name and its lock from the start.
    engine::writer::ClaimedFolder claimed = engine::writer::MakeEngineFolder(temp());
    EXPECT_EQ(entries(), QStringList{QFileInfo(claimed.path).fileName()});
    engine::writer::RemoveDeadEngineFolders(temp());
    EXPECT_TRUE(QFileInfo::exists(claimed.path + "/owner.lock"));
    claimed.owner.release();
    engine::writer::RemoveDeadEngineFolders(temp());
    EXPECT_EQ(entries(), QStringList());
}

} // namespace
} // namespace brindlecast
