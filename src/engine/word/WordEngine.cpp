#include "WordEngine.h"

#include "Automation.h"
#include "BusyWord.h"
#include "Creation.h"
#include "ExcelWorkbook.h"
#include "ProcessWatch.h"
#include "WordObjects.h"

#include <mutex>

namespace brindlecast::engine::word {

namespace {

[[noreturn]] void cannotStart(const QString& progId, HRESULT result) {
    // The system words these two for programmers, and not everywhere.
    const QString reason =
        result == CO_E_CLASSSTRING || result == REGDB_E_CLASSNOTREG
            ? QStringLiteral("Word is not installed for automation on this computer (0x%1)")
                  .arg(quint32(result), 8, 16, QLatin1Char('0'))
            : SystemMessage(result);
    throw EngineError(QStringLiteral("Word cannot be started through automation (\"%1\"): %2.")
                          .arg(progId, reason)
                          .toStdString());
}

// Starts the automation server of `clsid` under `watch`, which looks for the server's image as
// the registry names it, or `fallback`; `application` is set on success only.
HRESULT CreateWatched(ProcessWatch& watch, const CLSID& clsid, const QString& fallback,
                      IDispatch** application) {
    const QString image = ServerImageName(clsid);
    watch.creating(image.isEmpty() ? fallback : image);
    const HRESULT result = CreateLocalServer(
        clsid, [&] { return watch.creationStopped(); }, application);
    if (FAILED(result))
        watch.creationFailed();
    return result;
}

} // namespace

struct WordEngine::State {
    Clipboard& clipboard;
    PictureSize pictureSize;
    WordEngineOptions options;
    ProcessWatch watch;
    mutable std::mutex mutex;
    std::vector<unsigned long> lastIds;
};

WordEngine::WordEngine(Clipboard& clipboard, PictureSize pictureSize, WordEngineOptions options)
    : mState(new State{clipboard, pictureSize, std::move(options), {}, {}, {}}) {}

WordEngine::~WordEngine() = default;

std::unique_ptr<Application> WordEngine::createApplication() {
    State& state = *mState;
    EnterApartment();
    NewSession();
    SetBusyPatience(state.options.busyPatience);
    CLSID clsid{};
    const std::wstring progId = state.options.progId.toStdWString();
    if (const HRESULT result = CLSIDFromProgID(progId.c_str(), &clsid); FAILED(result))
        cannotStart(state.options.progId, result);
    IDispatch* application = nullptr;
    if (const HRESULT result =
            CreateWatched(state.watch, clsid, QStringLiteral("WINWORD.EXE"), &application);
        FAILED(result))
        cannotStart(state.options.progId, result);
    std::shared_ptr<ServerProcess> process = state.watch.created();
    {
        std::lock_guard lock(state.mutex);
        state.lastIds = process->ids();
    }
    auto session = std::make_unique<WordApplication>(
        Dispatch::adopt(application), process, Session{state.clipboard, state.pictureSize, 0, {}});
    // Before anything is opened: a hidden Word must never wait on a question nobody sees.
    try {
        session->setDisplayAlerts(false);
    } catch (const EngineError&) {
        // A Word stopped at a question of its own takes no call until somebody answers it.
        if (!process->showsOwnQuestion())
            throw;
        process->terminate();
        throw EngineError(WordAskedAtStart);
    }
    return session;
}

std::unique_ptr<Spreadsheets> WordEngine::createSpreadsheets() {
    State& state = *mState;
    EnterApartment();
    NewSession();
    SetBusyPatience(state.options.busyPatience);
    const QString& progId = state.options.excelProgId;
    CLSID clsid{};
    if (const HRESULT result = CLSIDFromProgID(progId.toStdWString().c_str(), &clsid);
        FAILED(result))
        throw SpreadsheetsMissing(
            QStringLiteral("Excel is not installed for automation on this computer (\"%1\": %2)")
                .arg(progId, SystemMessage(result))
                .toStdString());
    IDispatch* application = nullptr;
    if (const HRESULT result =
            CreateWatched(state.watch, clsid, QStringLiteral("EXCEL.EXE"), &application);
        FAILED(result))
        throw EngineError(QStringLiteral("Excel cannot be started through automation (\"%1\"): %2.")
                              .arg(progId, SystemMessage(result))
                              .toStdString());
    return std::make_unique<ExcelSpreadsheets>(Dispatch::adopt(application), state.watch.created());
}

void WordEngine::stop() noexcept {
    mState->watch.stop();
}

bool WordEngine::requestsCanBeAbandoned() const noexcept {
    return mState->watch.leftWordToUser();
}

QString WordEngine::stopNote() const {
    return mState->watch.stopNote();
}

std::vector<unsigned long> WordEngine::lastProcessIds() const {
    std::lock_guard lock(mState->mutex);
    return mState->lastIds;
}

} // namespace brindlecast::engine::word
