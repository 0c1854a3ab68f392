#pragma once

#include "engine/DeadlineEngine.h"
#include "engine/Engine.h"

#include <QString>
#include <chrono>
#include <memory>
#include <vector>

namespace brindlecast {
class Clipboard;
}

// The engine on Microsoft Word, driven through its automation interface, every member called
// by name. Each session is a Word of its own, started for it and quit when it ends, so that
// no hidden Word outlives the procedure that needed it.
namespace brindlecast::engine::word {

struct WordEngineOptions {
    /// What is created; another name only to test a Word that is not there.
    QString progId = QStringLiteral("Word.Application");
    /// How long a call that a busy Word rejects is tried again: half a request's time limit,
    /// so that a Word that stays busy (a user in a dialog of theirs, a question of Word's own)
    /// fails the call itself, and the session's end still has time to ask whose Word it is
    /// before the request's limit stops the engine.
    std::chrono::milliseconds busyPatience = EngineTimeLimit(std::chrono::seconds(60)) / 2;
};

/// An engine and its sessions serve one thread at a time, and every call of one session
/// stays on the thread that created it (COM's single-threaded apartment).
class WordEngine final : public Engine {
public:
    /// `clipboard` receives the page pictures and must outlive the engine and its sessions.
    explicit WordEngine(Clipboard& clipboard, PictureSize pictureSize = {},
                        WordEngineOptions options = {});
    ~WordEngine() override;
    WordEngine(const WordEngine&) = delete;
    WordEngine& operator=(const WordEngine&) = delete;

    /// Starts a new Word; EngineError with the system's reason when none can be started.
    std::unique_ptr<Application> createApplication() override;
    /// Ends the Words of this engine's sessions, and one being started, at once; a Word the
    /// user has come to use is left running, and the request waiting on it given up.
    void stop() noexcept override;
    /// True once stop() left a Word to the user: the call waiting on it never comes back.
    bool requestsCanBeAbandoned() const noexcept override;
    /// The advice to start Word once by hand when stop() ended a Word at a question of its own.
    QString stopNote() const override;

    /// The process ids of the Word the last session started; empty before the first.
    std::vector<unsigned long> lastProcessIds() const;

private:
    struct State;
    std::unique_ptr<State> mState;
};

} // namespace brindlecast::engine::word
