#include "SaveCopy.h"

#include "app/FileHelpers.h"
#include "engine/SaveFormats.h"

#include <QFile>
#include <QFileInfo>
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

} // namespace

void SaveCopy(const QString& source, const QString& target,
              const std::optional<FileId>& untouchable) {
    // No newsletter is empty: a full disk can leave one so without the engine saying a word.
    if (const QFileInfo made(source); made.isFile() && made.size() == 0)
        fail(target, QStringLiteral("the document made for it, %1, is empty").arg(source));
    try {
        PlaceCopy(source, target, untouchable);
    } catch (const PlaceError& error) {
        fail(target, QString::fromLocal8Bit(error.what()), error.kind());
    }
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
