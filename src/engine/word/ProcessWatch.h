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

    /// Ends it, unless it was left to the user.
    void terminate() noexcept;
    /// Gives it a second to end by itself, then ends it, unless it was left to the user.
    void endUnlessGone() noexcept;
    std::vector<unsigned long> ids() const;

    /// A hidden Word shows no window; one that does is showing the user a document of theirs
    /// (a user who starts Word while it runs may be handed it).
    bool showsWindow() const;
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

private:
    std::vector<HANDLE> appeared(DWORD access);

    std::mutex mMutex;
    QString mImage;
    std::set<DWORD> mBefore;
    bool mCreating = false;
    bool mCreationStopped = false;
    std::atomic<bool> mLeftToUser{false};
    std::vector<std::weak_ptr<ServerProcess>> mLive;
};

/// The program file name, without its folder, of the local server registered for `clsid` in
/// either registry view (32-bit Word on 64-bit Windows registers in the 32-bit one); empty
/// when none is registered.
QString ServerImageName(const CLSID& clsid);

} // namespace brindlecast::engine::word
