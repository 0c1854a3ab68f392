#include "DeadlineEngine.h"

#include "GuardedSession.h"

#include <QString>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace brindlecast::engine {

namespace {

constexpr auto WaitSlice = std::chrono::milliseconds(50);

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

// The request thread: one job at a time, handed over and waited for under the mutex.
struct DeadlineEngine::Worker {
    std::mutex mutex;
    std::condition_variable changed;
    const std::function<void()>* job = nullptr;
    bool done = false;
    bool busy = false;
    bool quitting = false;
    std::exception_ptr failure;
    std::thread thread;

    Worker()
        : thread([this] { loop(); }) {}
    ~Worker() {
        {
            std::lock_guard lock(mutex);
            quitting = true;
        }
        changed.notify_all();
        thread.join();
    }
    void loop() {
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [this] { return quitting || (job && !done); });
            if (quitting)
                return;
            lock.unlock();
            std::exception_ptr caught;
            try {
                (*job)();
            } catch (...) {
                caught = std::current_exception();
            }
            lock.lock();
            failure = caught;
            done = true;
            changed.notify_all();
        }
    }
};

DeadlineEngine::DeadlineEngine(Engine& engine, DeadlineOptions options)
    : mEngine(engine)
    , mOptions(std::move(options))
    , mWorker(std::make_unique<Worker>()) {}

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
    Worker& worker = *mWorker;
    std::unique_lock lock(worker.mutex);
    // Only events are let through while waiting, never a second request of the same caller.
    if (worker.busy)
        throw EngineError("The document engine is busy with another request.");
    worker.busy = true;
    worker.job = &job;
    worker.done = false;
    worker.changed.notify_all();
    const auto deadline = std::chrono::steady_clock::now() + mOptions.limit;
    std::optional<EngineError> verdict;
    while (!worker.done) {
        if (worker.changed.wait_for(lock, WaitSlice, [&] { return worker.done; }))
            break;
        lock.unlock();
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
        lock.lock();
        if (verdict && worker.done)
            verdict.reset(); // it answered after all
        if (verdict) {
            // A stopped engine fails the request it is blocked in; it cannot be left running,
            // as it works on data of the caller's. It is stopped again until the request is
            // over: it may be starting a new office that the first stop did not reach.
            do {
                lock.unlock();
                mEngine.stop();
                lock.lock();
            } while (!worker.changed.wait_for(lock, WaitSlice, [&] { return worker.done; }));
        }
    }
    worker.job = nullptr;
    worker.busy = false;
    const std::exception_ptr failure = std::exchange(worker.failure, nullptr);
    lock.unlock();
    if (verdict)
        throw *verdict;
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace brindlecast::engine
