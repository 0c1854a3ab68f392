#include "FileHelpers.h"

#include <QCoreApplication>
#include <QDir>

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

} // namespace brindlecast
