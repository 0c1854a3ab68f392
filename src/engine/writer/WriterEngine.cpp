#include "WriterEngine.h"

#include "EngineFolders.h"
#include "OfficeProcess.h"
#include "WriterDocument.h"
#include "app/FileHelpers.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace brindlecast::engine::writer {

namespace {

// An office that finds no room for its profile only exits with a code of its own; the user is
// better served by the reason itself.
void requireRoom(const QString& folder) {
    constexpr size_t ProfileRoom = 1 << 20;
    const QByteArray path = QFile::encodeName(folder + QStringLiteral("/room-check"));
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    int error = fd < 0 ? errno : 0;
    const QByteArray zeros(64 * 1024, '\0');
    for (size_t written = 0; !error && written < ProfileRoom; written += size_t(zeros.size())) {
        if (::write(fd, zeros.constData(), size_t(zeros.size())) != zeros.size())
            error = errno ? errno : ENOSPC;
    }
    if (fd >= 0 && ::close(fd) != 0 && !error)
        error = errno;
    ::unlink(path.constData());
    if (error)
        throw EngineError(QStringLiteral("The document engine has no room to work in %1 (%2).")
                              .arg(folder, QString::fromLocal8Bit(std::strerror(error)))
                              .toStdString());
}

} // namespace

struct WriterEngine::State {
    Clipboard& clipboard;
    PictureSize pictureSize;
    WriterEngineOptions options;
    QString folder;
    std::shared_ptr<OfficeProcess> office;
    pid_t lastPid = 0;
    std::unique_ptr<LaunchThread> launcher;
    std::shared_ptr<std::atomic<pid_t>> runningPid;
    FileLock owner; // marks the folder as this live engine's
};

WriterEngine::WriterEngine(Clipboard& clipboard, PictureSize pictureSize,
                           WriterEngineOptions options)
    : mState(new State{clipboard,
                       pictureSize,
                       std::move(options),
                       {},
                       {},
                       0,
                       {},
                       std::make_shared<std::atomic<pid_t>>(0),
                       {}}) {}

WriterEngine::~WriterEngine() {
    if (mState->office)
        mState->office->shutDown();
    mState->office.reset();
    if (!mState->folder.isEmpty())
        QDir(mState->folder).removeRecursively();
}

std::unique_ptr<Application> WriterEngine::createApplication() {
    State& state = *mState;
    if (!state.office || !state.office->alive()) {
        const bool replacingDeadEngine = state.office != nullptr;
        if (state.office) {
            state.office->shutDown();
            state.office.reset();
        }
        if (state.folder.isEmpty()) {
            // Profile, log and scratch pictures: private to this engine object, never shared
            // with another office process (a second one would hand its work to the first).
            // What engines of killed programs left goes first.
            RemoveDeadEngineFolders(TempFolder());
            QByteArray pattern =
                QFile::encodeName(TempFolder() + QStringLiteral("/brindlecast-engine-XXXXXX"));
            if (!::mkdtemp(pattern.data()))
                throw EngineError(QStringLiteral("The document engine's working folder could "
                                                 "not be created in %1 (%2).")
                                      .arg(TempFolder(), QString::fromLocal8Bit(strerror(errno)))
                                      .toStdString());
            state.owner = ClaimEngineFolder(QFile::decodeName(pattern));
            state.folder = QFile::decodeName(pattern);
        }
        if (!state.launcher)
            state.launcher = std::make_unique<LaunchThread>();
        OfficeStart how;
        how.program = state.options.officeProgram;
        how.folder = state.folder;
        how.timeout = state.options.startTimeout;
        how.wipeProfileOnFailure = replacingDeadEngine;
        how.runningPid = state.runningPid;
        requireRoom(state.folder);
        state.office = OfficeProcess::start(how, *state.launcher);
        state.lastPid = state.office->pid();
    }
    return std::make_unique<WriterApplication>(state.office, state.clipboard, state.pictureSize);
}

void WriterEngine::stop() noexcept {
    const pid_t pid = mState->runningPid->load();
    if (pid > 0)
        ::kill(-pid, SIGKILL);
}

pid_t WriterEngine::processId() const {
    return mState->lastPid;
}

void exportDocument(Document& document, const QString& path, const QString& filterName) {
    auto* ours = dynamic_cast<WriterDocument*>(&document);
    if (!ours)
        throw EngineError("The document does not come from the Writer engine.");
    ours->exportTo(path, filterName);
}

QString rangeText(Range& range) {
    auto* ours = dynamic_cast<WriterRange*>(&range);
    if (!ours)
        throw EngineError("The range does not come from the Writer engine.");
    try {
        return ours->story().plainText();
    } catch (...) {
        throw ours->document().session().error(QStringLiteral("The text could not be read."));
    }
}

} // namespace brindlecast::engine::writer
