#include "EngineFolders.h"

#include "app/FileHelpers.h"
#include "engine/Engine.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace brindlecast::engine::writer {

namespace {

const QString OwnerLockName = QStringLiteral("/owner.lock");
const QString PipesNoteName = QStringLiteral("/pipes");
constexpr qint64 OwnerlessAgeSeconds = 10 * 60;

void removePipeSockets(const QString& folder) {
    QFile note(folder + PipesNoteName);
    if (!note.open(QIODevice::ReadOnly))
        return;
    for (const QByteArray& path : note.read(4096).split('\n'))
        RemoveOurPipeSocket(path);
}

} // namespace

QString MakeEngineFolder(const QString& parent) {
    QTemporaryDir folder(parent + QStringLiteral("/brindlecast-engine-XXXXXX"));
    if (!folder.isValid())
        throw EngineError(QStringLiteral("The document engine's working folder could not be "
                                         "created in %1 (%2).")
                              .arg(parent, folder.errorString())
                              .toStdString());
    folder.setAutoRemove(false);
    return folder.path();
}

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
        if (!info.isDir() || info.isSymLink() || !OwnedByCurrentUser(info))
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
