#include "EngineFolders.h"

#include "app/FileHelpers.h"
#include "engine/Engine.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <stdexcept>

namespace brindlecast::engine::writer {

namespace {

const QString OwnerLockName = QStringLiteral("/owner.lock");
const QString PipesNoteName = QStringLiteral("/pipes");
const QString EnginePrefix = QStringLiteral("/brindlecast-engine-");
const QString StartingPattern = QStringLiteral("/brindlecast-starting-XXXXXX");
constexpr qint64 OwnerlessAgeSeconds = 10 * 60;

void removePipeSockets(const QString& folder) {
    QFile note(folder + PipesNoteName);
    if (!note.open(QIODevice::ReadOnly))
        return;
    for (const QByteArray& path : note.read(4096).split('\n'))
        RemoveOurPipeSocket(path);
}

} // namespace

ClaimedFolder MakeEngineFolder(const QString& parent) {
    // Made under a name of its own and marked before it takes an engine folder's name, so that
    // no other instance's clean-up ever sees it unmarked or marked but not yet locked.
    QTemporaryDir made(parent + StartingPattern);
    if (!made.isValid())
        throw EngineError(QStringLiteral("The document engine's working folder could not be "
                                         "created in %1 (%2).")
                              .arg(parent, made.errorString())
                              .toStdString());
    ClaimedFolder claimed;
    try {
        claimed.owner = CreateLockedFile(made.path() + OwnerLockName, {});
        claimed.path = parent + EnginePrefix + made.path().section(QLatin1Char('-'), -1);
        if (!QDir().rename(made.path(), claimed.path))
            throw std::runtime_error(QStringLiteral("cannot rename %1 to %2")
                                         .arg(made.path(), claimed.path)
                                         .toStdString());
    } catch (const std::exception& error) {
        throw EngineError(QStringLiteral("The document engine's working folder could not be "
                                         "marked as in use (%1).")
                              .arg(QString::fromStdString(error.what()))
                              .toStdString());
    }
    made.setAutoRemove(false);
    return claimed;
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
    for (const QString& folder : OwnFolders(parent, {QStringLiteral("brindlecast-engine-*"),
                                                     QStringLiteral("brindlecast-starting-*")})) {
        const QFileInfo info(folder);
        const bool young =
            info.lastModified().secsTo(QDateTime::currentDateTime()) < OwnerlessAgeSeconds;
        // Held while the folder goes, so that two instances starting at once do not both act.
        FileLock owner;
        if (info.fileName().startsWith(QStringLiteral("brindlecast-starting-"))) {
            // Still being made, it may hold its mark before the mark is locked: only its age
            // tells a dead start from a live one.
            if (young)
                continue;
        } else {
            owner = TryLockExistingFile(folder + OwnerLockName);
            if (!owner.held() && (FileExists(folder + OwnerLockName) || young))
                continue;
        }
        removePipeSockets(folder);
        QDir(folder).removeRecursively();
    }
}

} // namespace brindlecast::engine::writer
