#include "WorkingFiles.h"

#include "ListFolders.h"
#include "TemplateStore.h"
#include "app/Clipboard.h"
#include "app/FileHelpers.h"
#include "app/FileLock.h"
#include "app/RandomSource.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace brindlecast {

QString WorkingDocumentPath(const QString& folder, RandomSource& random) {
    for (;;) {
        QString name = QStringLiteral("tarvik");
        for (int digit = 0; digit < 8; ++digit) {
            random.randomize();
            name += QString::number(int(random.next() * 9) + 1);
        }
        const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".doc");
        if (!FileExists(path))
            return path;
    }
}

QString PreviewBitmapPath() {
    return TempFolder() + QStringLiteral("/temp.bmp");
}

QString RunLockPath() {
    return TempFolder() + QStringLiteral("/brindlecast.lock");
}

namespace {

// The scratch folders of saves and runs, which live for one engine request or a few at most:
// one an hour old is a killed program's, with a copy of a newsletter in it.
void removeOldScratchFolders(const QString& folder) {
    const QDateTime anHourAgo = QDateTime::currentDateTime().addSecs(-3600);
    for (const QFileInfo& info : QDir(folder).entryInfoList(
             {QStringLiteral("brindlecast-??????"), QStringLiteral("brindlecast-make-??????")},
             QDir::Dirs | QDir::NoSymLinks | QDir::Hidden | QDir::CaseSensitive)) {
        if (OwnedByCurrentUser(info) && info.lastModified() < anHourAgo)
            QDir(info.filePath()).removeRecursively();
    }
}

} // namespace

void RemoveDeadWorkingFiles() {
    const QString folder = TempFolder();
    removeOldScratchFolders(folder);
    RemoveDeadListFolders(folder);
    static const QRegularExpression workingName(QStringLiteral("^tarvik[1-9]{8}\\.doc$"));
    QStringList documents;
    for (const QString& name :
         QDir(folder).entryList({QStringLiteral("tarvik????????.doc")},
                                QDir::Files | QDir::Hidden | QDir::CaseSensitive)) {
        if (workingName.match(name).hasMatch())
            documents << folder + QLatin1Char('/') + name;
    }
    const QStringList runFiles{TemplatePath(), PreviewBitmapPath()};
    if (documents.isEmpty() && !FileExists(runFiles[0]) && !FileExists(runFiles[1]))
        return;
    // Under the run lock no live instance is between making a file and locking it, so a working
    // document whose lock can be taken has no owner any more, and the template and the picture
    // are no run's.
    FileLock run;
    try {
        run = TryLockFile(RunLockPath());
    } catch (const std::exception&) {
        return; // the run itself reports a spoilt lock file
    }
    if (!run.held())
        return;
    for (const QString& path : runFiles)
        DeleteFileQuietly(path);
    for (const QString& path : documents) {
        if (const FileLock owner = TryLockExistingFile(path); owner.held())
            DeleteFileQuietly(path);
    }
}

QImage GetClipboardPicture(Clipboard& clipboard, int format) {
    constexpr int Attempts = 1000;
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        try {
            if (auto picture = clipboard.picture(format))
                return *picture;
        } catch (...) {
            // A clipboard held by another program answers again a moment later.
        }
    }
    return {};
}

} // namespace brindlecast
