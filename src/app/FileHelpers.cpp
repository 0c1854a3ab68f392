#include "FileHelpers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace brindlecast {

QString ProgramFolder() {
    QString folder = QCoreApplication::applicationDirPath();
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

QString TempFolder() {
    // Windows spells TEMP with backslashes; the names joined to it use '/'. A no-op elsewhere.
    QString folder = QDir::fromNativeSeparators(qEnvironmentVariable("TEMP"));
    if (!IsWritableFolder(folder))
        folder = QDir::tempPath();
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

QStringList OwnFolders(const QString& parent, const QStringList& patterns) {
    const QDir dir(parent);
    QStringList folders;
    for (const QString& name : dir.entryList(
             patterns, QDir::Dirs | QDir::Hidden | QDir::NoSymLinks | QDir::CaseSensitive)) {
        const QFileInfo info(dir.filePath(name));
        if (info.isDir() && !info.isSymLink() && OwnedByCurrentUser(info))
            folders.append(info.filePath());
    }
    return folders;
}

} // namespace brindlecast
