#include "FileHelpers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <algorithm>

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

void ReadUpToLimit(InputFile& input, qint64 limit, qint64 expected,
                   const std::function<qint64(char* into, qint64 room)>& readSome) {
    QByteArray bytes(qsizetype(std::min<qint64>(limit + 1, expected)), Qt::Uninitialized);
    qsizetype got = 0;
    for (;;) {
        if (got == bytes.size()) {
            if (got > limit)
                break;
            bytes.resize(qsizetype(std::min<qint64>(limit + 1, qint64(got) * 2)));
        }
        const qint64 n = readSome(bytes.data() + got, bytes.size() - got);
        if (n == 0)
            break;
        got += qsizetype(n);
    }
    bytes.truncate(got);
    input.tooLarge = got > limit;
    if (!input.tooLarge)
        input.bytes = bytes;
}

} // namespace brindlecast
