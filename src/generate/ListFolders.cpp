#include "ListFolders.h"

#include "app/FileHelpers.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <stdexcept>

namespace brindlecast {

namespace {

const QString OwnerLockName = QStringLiteral("/owner.lock");
const QString ListPattern = QStringLiteral("brindlecast-list-XXXXXX");
constexpr qint64 OwnerlessAgeSeconds = 10 * 60;
// Written into the owner file once its lock is held: an owner file that is empty may still be
// on its way to being locked, one that is not has had an owner, who is gone when it is free.
const QByteArray OwnerMark = "brindlecast list run\n";

} // namespace

ListFolder MakeListFolder(const QString& parent) {
    QTemporaryDir made(parent + QLatin1Char('/') + ListPattern);
    if (!made.isValid())
        throw std::runtime_error(QStringLiteral("no working folder can be made in %1 (%2)")
                                     .arg(parent, made.errorString())
                                     .toStdString());
    ListFolder folder;
    folder.owner = CreateLockedFile(made.path() + OwnerLockName, OwnerMark);
    folder.path = made.path();
    made.setAutoRemove(false);
    return folder;
}

void RemoveDeadListFolders(const QString& parent) {
    for (const QString& folder : OwnFolders(parent, {QStringLiteral("brindlecast-list-*")})) {
        const QFileInfo info(folder);
        // Held while the folder goes, so that two starts at once do not both act.
        FileLock owner = TryLockExistingFile(folder + OwnerLockName);
        const bool marked = FileExists(folder + OwnerLockName);
        if (marked && !owner.held())
            continue; // its run is alive
        const bool young =
            info.lastModified().secsTo(QDateTime::currentDateTime()) < OwnerlessAgeSeconds;
        if ((!marked || QFileInfo(folder + OwnerLockName).size() == 0) && young)
            continue;
        QDir(folder).removeRecursively();
        // Windows removes the owner file, and so the folder, only once its lock is let go.
        owner.release();
        QDir(folder).removeRecursively();
    }
}

} // namespace brindlecast
