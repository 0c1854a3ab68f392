#include "WriterEngine.h"

#include "CalcWorkbook.h"
#include "EngineFolders.h"
#include "OfficeProcess.h"
#include "UnoProperties.h"
#include "UnoSupport.h"
#include "WriterDocument.h"
#include "app/FileHelpers.h"

#include <QDir>
#include <atomic>
#include <com/sun/star/beans/NamedValue.hpp>

namespace brindlecast::engine::writer {

struct WriterEngine::State {
    Clipboard& clipboard;
    PictureSize pictureSize;
    WriterEngineOptions options;
    QString folder;
    std::shared_ptr<OfficeProcess> office;
    ProcessId lastPid = 0;
    std::unique_ptr<LaunchThread> launcher;
    std::shared_ptr<std::atomic<ProcessId>> runningPid;
    FileLock owner; // marks the folder as this live engine's
    // The office that stop() killed. It may still look alive for a moment, until the system has
    // ended it and its bridge has noticed; it must not be handed out again meanwhile.
    std::atomic<ProcessId> stoppedPid{0};
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
                       std::make_shared<std::atomic<ProcessId>>(0),
                       {}}) {}

WriterEngine::~WriterEngine() {
    if (mState->office)
        mState->office->shutDown();
    mState->office.reset();
    if (!mState->folder.isEmpty())
        QDir(mState->folder).removeRecursively();
}

void WriterEngine::requireOffice() {
    State& state = *mState;
    const bool stopped = state.office && state.office->pid() == state.stoppedPid.load();
    if (!state.office || stopped || !state.office->alive()) {
        const bool replacingDeadEngine = state.office != nullptr;
        if (state.office) {
            state.office->shutDown();
            state.office.reset();
        }
        // A stop from now on is meant for the office started below.
        state.stoppedPid.store(0);
        if (state.folder.isEmpty()) {
            // Profile, log and scratch pictures: private to this engine object, never shared
            // with another office process (a second one would hand its work to the first).
            // What engines of killed programs left goes first.
            RemoveDeadEngineFolders(TempFolder());
            ClaimedFolder claimed = MakeEngineFolder(TempFolder());
            state.owner = std::move(claimed.owner);
            state.folder = claimed.path;
        }
        if (!state.launcher)
            state.launcher = std::make_unique<LaunchThread>();
        OfficeStart how;
        how.program = state.options.officeProgram;
        how.folder = state.folder;
        how.timeout = state.options.startTimeout;
        how.wipeProfileOnFailure = replacingDeadEngine;
        how.runningPid = state.runningPid;
        RequireRoom(state.folder);
        state.office = OfficeProcess::start(how, *state.launcher);
        state.lastPid = state.office->pid();
    }
}

std::unique_ptr<Application> WriterEngine::createApplication() {
    requireOffice();
    return std::make_unique<WriterApplication>(mState->office, mState->clipboard,
                                               mState->pictureSize);
}

std::unique_ptr<Spreadsheets> WriterEngine::createSpreadsheets() {
    requireOffice();
    return std::make_unique<CalcSpreadsheets>(mState->office);
}

void WriterEngine::stop() noexcept {
    const ProcessId running = mState->runningPid->load();
    if (running > 0)
        mState->stoppedPid.store(running);
    KillProcessGroup(running);
}

qint64 WriterEngine::processId() const {
    return mState->lastPid;
}

void exportDocument(Document& document, const QString& path, const QString& filterName,
                    const QString& password) {
    auto* ours = dynamic_cast<WriterDocument*>(&document);
    if (!ours)
        throw EngineError("The document does not come from the Writer engine.");
    if (password.isEmpty()) {
        ours->exportTo(path, filterName);
        return;
    }
    // The Office Open XML filters take their password as encryption data, with the kind of
    // encryption; the others as the password itself.
    if (!filterName.contains(QLatin1String("2007 XML"))) {
        ours->exportTo(path, filterName,
                       {property("Password", css::uno::Any(toOUString(password)))});
        return;
    }
    const css::beans::NamedValue encryption[] = {
        {OUString("OOXPassword"), css::uno::Any(toOUString(password))},
        {OUString("CryptoType"), css::uno::Any(OUString("Standard"))}};
    ours->exportTo(
        path, filterName,
        {property("EncryptionData",
                  css::uno::Any(css::uno::Sequence<css::beans::NamedValue>(encryption, 2)))});
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
