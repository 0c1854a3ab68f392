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
const QString ListPrefix = QStringLiteral("brindlecast-list-");
const QString StartingPrefix = QStringLiteral("brindlecast-liststart-");
constexpr qint64 OwnerlessAgeSeconds = 10 * 60;

} // namespace

ListFolder MakeListFolder(const QString& parent) {
    // Marked under a name of its own before it takes a list folder's name, so that no other
    // start's clean-up ever sees it marked but not yet locked.
    QTemporaryDir made(parent + QLatin1Char('/') + StartingPrefix + QStringLiteral("XXXXXX"));
    if (!made.isValid())
        throw std::runtime_error(QStringLiteral("no working folder can be made in %1 (%2)")
                                     .arg(parent, made.errorString())
                                     .toStdString());
    ListFolder folder;
    folder.owner = CreateLockedFile(made.path() + OwnerLockName, {});
    folder.path =
        parent + QLatin1Char('/') + ListPrefix + made.path().section(QLatin1Char('-'), -1);
    if (!QDir().rename(made.path(), folder.path))
        throw std::runtime_error(QStringLiteral("no working folder can be made in %1 (cannot "
                                                "rename %2)")
                                     .arg(parent, made.path())
                                     .toStdString());
    made.setAutoRemove(false);
    return folder;
}

void RemoveDeadListFolders(const QString& parent) {
    const QDir dir(parent);
    const QStringList names =
        dir.entryList({ListPrefix + '*', StartingPrefix + '*'},
                      QDir::Dirs | QDir::Hidden | QDir::NoSymLinks | QDir::CaseSensitive);
    for (const QString& name : names) {
        const QString folder = dir.filePath(name);
        const QFileInfo info(folder);
        if (!info.isDir() || info.isSymLink() || !OwnedByCurrentUser(info))
            continue;
        const bool young =
            info.lastModified().secsTo(QDateTime::currentDateTime()) < OwnerlessAgeSeconds;
        // Held while the folder goes, so that two starts at once do not both act.
        FileLock owner;
        if (name.startsWith(StartingPrefix)) {
            if (young)
                continue;
        } else {
            owner = TryLockExistingFile(folder + OwnerLockName);
            if (!owner.held() && (FileExists(folder + OwnerLockName) || young))
                continue;
        }
        QDir(folder).removeRecursively();
    }
}

} // namespace brindlecast
