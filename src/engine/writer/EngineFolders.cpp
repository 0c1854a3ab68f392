#include "EngineFolders.h"

#include "app/FileHelpers.h"
#include "engine/Engine.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>
#include <unistd.h>

namespace brindlecast::engine::writer {

namespace {

const QString OwnerLockName = QStringLiteral("/owner.lock");
const QString PipesNoteName = QStringLiteral("/pipes");
constexpr qint64 OwnerlessAgeSeconds = 10 * 60;

// Only what the office makes for a pipe of ours: a socket of this user directly in /tmp under
// the runtime's prefix, whatever a damaged or planted note says.
bool isOurPipeSocket(const QByteArray& path) {
    const QByteArray prefix = "/tmp/OSL_PIPE_" + QByteArray::number(::getuid()) + '_';
    if (!path.startsWith(prefix) || path.indexOf('/', prefix.size()) >= 0)
        return false;
    struct stat status {};
    return ::lstat(path.constData(), &status) == 0 && S_ISSOCK(status.st_mode) &&
           status.st_uid == ::getuid();
}

void removePipeSockets(const QString& folder) {
    QFile note(folder + PipesNoteName);
    if (!note.open(QIODevice::ReadOnly))
        return;
    for (const QByteArray& path : note.read(4096).split('\n')) {
        if (isOurPipeSocket(path))
            ::unlink(path.constData());
    }
}

} // namespace

FileLock ClaimEngineFolder(const QString& folder) {
    try {
        return CreateLockedFile(folder + OwnerLockName, {});
    } catch (const std::exception& error) {
        // Unmarked, the folder would look abandoned to other instances while still in use.
        QDir(folder).removeRecursively();
        throw EngineError(QStringLiteral("The document engine's working folder could not be "
                                         "marked as in use (%1).")
                              .arg(QString::fromStdString(error.what()))
                              .toStdString());
    }
}

void RecordPipeSockets(const QString& folder, const std::vector<QByteArray>& sockets) {
    QByteArray note;
    for (const QByteArray& socket : sockets)
        note += socket + '\n';
    try {
        WriteFreshFile(folder + PipesNoteName, note);
    } catch (const std::exception&) {
    }
}

void RemoveDeadEngineFolders(const QString& parent) {
    const QDir dir(parent);
    const QStringList names =
        dir.entryList({QStringLiteral("brindlecast-engine-*")},
                      QDir::Dirs | QDir::Hidden | QDir::NoSymLinks | QDir::CaseSensitive);
    for (const QString& name : names) {
        const QString folder = dir.filePath(name);
        const QFileInfo info(folder);
        if (!info.isDir() || info.isSymLink() || info.ownerId() != ::getuid())
            continue;
        // Held while the folder goes, so that two instances starting at once do not both act.
        const FileLock owner = TryLockExistingFile(folder + OwnerLockName);
        if (!owner.held() &&
            (FileExists(folder + OwnerLockName) ||
             info.lastModified().secsTo(QDateTime::currentDateTime()) < OwnerlessAgeSeconds))
            continue;
        removePipeSockets(folder);
        QDir(folder).removeRecursively();
    }
}

} // namespace brindlecast::engine::writer
