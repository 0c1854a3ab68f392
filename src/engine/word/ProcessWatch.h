#pragma once

#include <QString>
#include <atomic>
#include <memory>
#include <mutex>
#include <set>
#include <vector>
#include <windows.h>

namespace brindlecast::engine::word {

/// The process of one Word this engine started, held open so that it can be ended even when
/// it no longer answers, and never mistaken for another process after it has gone.
class ServerProcess {
public:
    explicit ServerProcess(std::vector<HANDLE> handles)
        : mHandles(std::move(handles)) {}
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    /// Ends it, unless it is the user's (isUsers()), and gives it a second to be gone.
    void terminate() noexcept;
    /// Gives it a second to end by itself, then ends it, unless it is the user's.
    void endUnlessGone() noexcept;
    std::vector<unsigned long> ids() const;

    /// Whether the user has come to use it: left to them before, or showing a document window
    /// (a user who starts Word while it runs may be handed it). A hidden Word stopped at a
    /// question of its own shows a dialog, which is no document window. Once true, true for
    /// good: it is never ended by this program.
    bool isUsers() noexcept;
    /// A visible window of its own that is no document window: a hidden Word stopped at a
    /// question (first start, sign-in, activation, safe mode) that nobody can see to answer.
    bool showsOwnQuestion() const;
    /// From now on it is the user's: never ended by this program.
    void leaveToUser() noexcept { mLeftToUser = true; }
    bool leftToUser() const noexcept { return mLeftToUser; }

private:
    std::vector<HANDLE> mHandles;
    std::atomic<bool> mLeftToUser{false};
};

/// Finds the Words the engine starts. Word's Application object has no window handle to ask,
/// and an invisible Word may have no window at all, so the processes running the class's
/// server program are listed before and after each creation: what appeared is ours.
class ProcessWatch {
public:
    /// Before a creation; `imageName` is the server's program file (WINWORD.EXE).
    void creating(const QString& imageName);
    /// After the creation succeeded: the processes that appeared meanwhile.
    std::shared_ptr<ServerProcess> created();
    /// After the creation failed: whatever it started is ended.
    void creationFailed() noexcept;
    /// True once stop() was called during the creation under way.
    bool creationStopped();
    /// True once stop() left a Word to the user and abandoned the calls waiting on it, until
    /// the next creation.
    bool leftWordToUser() const noexcept { return mLeftToUser; }
    /// Ends every live Word of this engine and whatever a creation under way has started; a
    /// Word that has become the user's is not ended, the calls waiting on it are abandoned.
    /// Callable from any thread.
    void stop() noexcept;
    /// What the user should know about the last stop(): empty, or the advice for a Word that
    /// was stopped at a question of its own. Until the next creation.
    QString stopNote() const;

private:
    std::vector<HANDLE> appeared(DWORD access);
    /// Ends `process` unless it is the user's, noting a question it was stopped at.
    void end(ServerProcess& process) noexcept;

    mutable std::mutex mMutex;
    QString mImage;
    std::set<DWORD> mBefore;
    bool mCreating = false;
    bool mCreationStopped = false;
    std::atomic<bool> mLeftToUser{false};
    QString mNote;
    std::vector<std::weak_ptr<ServerProcess>> mLive;
};

/// The advice for a Word that stopped at a question of its own and was ended.
extern const char WordAskedAtStart[];

/// The program file name, without its folder, of the local server registered for `clsid` in
/// either registry view (32-bit Word on 64-bit Windows registers in the 32-bit one); empty
/// when none is registered.
QString ServerImageName(const CLSID& clsid);

} // namespace brindlecast::engine::word
