#include "DeadlineEngine.h"

#include "GuardedSession.h"

#include <QString>
#include <cmath>
#include <optional>

namespace brindlecast::engine {

namespace {

constexpr auto WaitSlice = std::chrono::milliseconds(50);
// How long a stopped engine gets to fail the request it is in before that request is given up.
constexpr auto AbandonAfter = std::chrono::seconds(2);

EngineError endingError() {
    return EngineError("The program is ending; the document engine was stopped.");
}

} // namespace

std::chrono::milliseconds EngineTimeLimit(std::chrono::milliseconds fallback) {
    bool ok = false;
    const double seconds = qEnvironmentVariable("BRINDLECAST_ENGINE_TIMEOUT").toDouble(&ok);
    if (!ok || !(seconds > 0) || seconds > 24 * 3600)
        return fallback;
    return std::chrono::milliseconds(std::llround(seconds * 1000));
}

EngineError DeadlineError(std::chrono::milliseconds limit) {
    const auto seconds = (limit.count() + 999) / 1000;
    return EngineError(
        QStringLiteral("The document engine did not answer within %1 seconds and was stopped.")
            .arg(seconds)
            .toStdString());
}

void DeadlineEngine::withNote(std::optional<EngineError>& verdict) const {
    if (const QString note = mEngine.stopNote(); !note.isEmpty())
        verdict = EngineError(std::string(verdict->what()) + " " + note.toStdString());
}

DeadlineEngine::DeadlineEngine(Engine& engine, DeadlineOptions options)
    : mEngine(engine)
    , mOptions(std::move(options))
    , mRequests(std::make_unique<JobThread>()) {}

DeadlineEngine::~DeadlineEngine() = default;

std::unique_ptr<Application> DeadlineEngine::createApplication() {
    std::unique_ptr<Application> application;
    request([&] { application = mEngine.createApplication(); });
    return GuardSession(*this, std::move(application));
}

void DeadlineEngine::stop() noexcept {
    mEngine.stop();
}

void DeadlineEngine::request(const std::function<void()>& job) {
    const auto abandoned = [this] { return mOptions.abandon && mOptions.abandon(); };
    if (abandoned())
        throw endingError();
    // Only events are let through while waiting, never a second request of the same caller.
    if (!mRequests->start(job))
        throw EngineError("The document engine is busy with another request.");
    const auto deadline = std::chrono::steady_clock::now() + mOptions.limit;
    std::optional<EngineError> verdict;
    while (!verdict && !mRequests->waitFor(WaitSlice)) {
        // The job in hand is the caller's: whatever the events throw must not leave it behind.
        try {
            if (mOptions.whileWaiting)
                mOptions.whileWaiting();
        } catch (...) {
        }
        if (abandoned())
            verdict = endingError();
        else if (std::chrono::steady_clock::now() >= deadline)
            verdict = DeadlineError(mOptions.limit);
        if (verdict && mRequests->waitFor(std::chrono::milliseconds(0)))
            verdict.reset(); // it answered after all
    }
    if (verdict) {
        // A stopped engine fails the request it is blocked in; it cannot be left running, as
        // it works on data of the caller's. It is stopped again until the request is over: it
        // may be starting a new office that the first stop did not reach.
        const auto givenUp = std::chrono::steady_clock::now() + AbandonAfter;
        do {
            mEngine.stop();
            // An engine that may not be ended keeps its request from ever coming back: the
            // thread is left with it, and the next request gets a thread of its own.
            if (std::chrono::steady_clock::now() >= givenUp && mEngine.requestsCanBeAbandoned()) {
                static_cast<void>(mRequests.release()); // never joined: its job never ends
                mRequests = std::make_unique<JobThread>();
                withNote(verdict);
                throw *verdict;
            }
        } while (!mRequests->waitFor(WaitSlice));
        withNote(verdict);
    }
    const std::exception_ptr failure = mRequests->finish();
    if (verdict)
        throw *verdict;
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace brindlecast::engine
