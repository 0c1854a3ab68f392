#pragma once

#include "Engine.h"
#include "JobThread.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace brindlecast::engine {

struct DeadlineOptions {
    /// How long one request may take before the engine counts as not answering.
    std::chrono::milliseconds limit{60000};
    /// Runs on the waiting thread about every 50 ms while a request is under way, so that the
    /// program's windows keep answering. May be empty.
    std::function<void()> whileWaiting;
    /// Asked before and during every request; true stops the engine and fails the request at
    /// once (the program is ending). May be empty.
    std::function<bool()> abandon;
};

/// The time limit of one request: $BRINDLECAST_ENGINE_TIMEOUT seconds when set to a positive
/// number, otherwise `fallback`.
std::chrono::milliseconds EngineTimeLimit(std::chrono::milliseconds fallback);

/// What a request that ran out of time fails with.
EngineError DeadlineError(std::chrono::milliseconds limit);

/// Puts every request to `engine` (start, open, each replacement, save, picture, close, quit)
/// under a time limit. Requests run on a thread of this object while the caller waits; when the
/// limit passes, `engine` is stopped and the request fails with DeadlineError (and the engine's
/// stopNote, when it has one), so that an
/// engine that hangs or was stopped (SIGSTOP) never hangs the program. The next session starts
/// a fresh engine. Serves one calling thread at a time.
class DeadlineEngine final : public Engine {
public:
    DeadlineEngine(Engine& engine, DeadlineOptions options);
    ~DeadlineEngine() override;
    DeadlineEngine(const DeadlineEngine&) = delete;
    DeadlineEngine& operator=(const DeadlineEngine&) = delete;

    std::unique_ptr<Application> createApplication() override;
    void stop() noexcept override;
    bool requestsCanBeAbandoned() const noexcept override {
        return mEngine.requestsCanBeAbandoned();
    }
    QString stopNote() const override { return mEngine.stopNote(); }

    /// Runs `job` on the request thread within the limit; rethrows what it throws.
    void request(const std::function<void()>& job);

private:
    /// `verdict` with what the stopped engine has to add.
    void withNote(std::optional<EngineError>& verdict) const;

    Engine& mEngine;
    DeadlineOptions mOptions;
    std::unique_ptr<JobThread> mRequests;
};

} // namespace brindlecast::engine
