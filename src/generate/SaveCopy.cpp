#include "SaveCopy.h"

#include "app/FileHelpers.h"
#include "engine/SaveFormats.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <memory>
#include <stdexcept>

namespace brindlecast {

namespace {

[[noreturn]] void fail(const QString& target, const QString& reason,
                       SaveError::Kind kind = SaveError::Kind::ThisFile) {
    throw SaveError(QStringLiteral("Cannot save the newsletter to %1: %2.").arg(target, reason),
                    kind);
}

// A failure to write into the target's folder: that folder gone, or its disk full, concern
// every file that would go there after this one.
[[noreturn]] void failWriting(const QString& target, const QSaveFile& out, qint64 needed) {
    const QString folder = QFileInfo(target).absolutePath();
    if (!QFileInfo(folder).isDir())
        fail(target, QStringLiteral("its folder %1 is gone").arg(folder),
             SaveError::Kind::FolderGone);
    // A full disk does not always say so: a write that finds no room when the file is flushed
    // can read "Unknown error".
    const QStorageInfo storage(folder);
    if (out.error() == QFileDevice::ResourceError ||
        (storage.isValid() && storage.bytesAvailable() >= 0 && storage.bytesAvailable() < needed))
        fail(target, QStringLiteral("no space is left on its disk"), SaveError::Kind::NoRoom);
    fail(target, out.errorString());
}

} // namespace

void SaveCopy(const QString& source, const QString& target) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        fail(target, QStringLiteral("the working document %1 cannot be read (%2)")
                         .arg(source, in.errorString()));
    QSaveFile out(target);
    // Only ever a complete replacement: never fall back to writing over the target in place.
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly))
        failWriting(target, out, in.size());
    constexpr qint64 ChunkSize = 1 << 16;
    QByteArray chunk(ChunkSize, Qt::Uninitialized);
    for (;;) {
        const qint64 got = in.read(chunk.data(), ChunkSize);
        if (got < 0)
            fail(target, QStringLiteral("the working document %1 cannot be read (%2)")
                             .arg(source, in.errorString()));
        if (got == 0)
            break;
        if (out.write(chunk.constData(), got) != got)
            failWriting(target, out, in.size());
    }
    if (!out.commit())
        failWriting(target, out, in.size());
}

namespace {

// Ends the conversion's session on every road out of it; a session that is gone already is
// not news, the failure that ended it is.
class SessionGuard {
public:
    explicit SessionGuard(std::unique_ptr<engine::Application> application)
        : mApplication(std::move(application)) {}
    ~SessionGuard() {
        try {
            mApplication->quit();
        } catch (...) {
        }
    }
    SessionGuard(const SessionGuard&) = delete;
    SessionGuard& operator=(const SessionGuard&) = delete;
    engine::Application& operator*() { return *mApplication; }

private:
    std::unique_ptr<engine::Application> mApplication;
};

} // namespace

void SaveConverted(engine::Engine& engine, const QString& workingDocument, const QString& target,
                   engine::SaveFormat format) {
    // Said plainly up front: the engine would only report a document it cannot open.
    if (QFile in(workingDocument); !in.open(QIODevice::ReadOnly))
        fail(target, QStringLiteral("the working document %1 cannot be read (%2)")
                         .arg(workingDocument, in.errorString()));
    const QTemporaryDir scratch(TempFolder() + QStringLiteral("/brindlecast-XXXXXX"));
    if (!scratch.isValid())
        fail(target, QStringLiteral("no working folder can be made in %1").arg(TempFolder()));
    const QString converted =
        scratch.filePath(QStringLiteral("newsletter") + engine::SaveExtension(format));
    try {
        SessionGuard application(engine.createApplication());
        (*application).open(workingDocument, true).saveAs(converted, format);
    } catch (const std::exception& error) {
        throw std::runtime_error(QStringLiteral("Cannot save the newsletter to %1: %2")
                                     .arg(target, QString::fromLocal8Bit(error.what()))
                                     .toStdString());
    }
    if (!QFileInfo(converted).isFile())
        fail(target, QStringLiteral("the document engine wrote nothing"));
    SaveCopy(converted, target);
}

} // namespace brindlecast
