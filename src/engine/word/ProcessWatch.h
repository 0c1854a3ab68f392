#pragma once

#include <QString>
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

    void terminate() noexcept;
    /// Gives it a second to end by itself, then ends it.
    void endUnlessGone() noexcept;
    std::vector<unsigned long> ids() const;

private:
    std::vector<HANDLE> mHandles;
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
    /// Ends every live Word of this engine and whatever a creation under way has started.
    /// Callable from any thread.
    void stop() noexcept;

private:
    std::vector<HANDLE> appeared(DWORD access);

    std::mutex mMutex;
    QString mImage;
    std::set<DWORD> mBefore;
    bool mCreating = false;
    bool mCreationStopped = false;
    std::vector<std::weak_ptr<ServerProcess>> mLive;
};

/// The program file name, without its folder, of the local server registered for `clsid` in
/// either registry view (32-bit Word on 64-bit Windows registers in the 32-bit one); empty
/// when none is registered.
QString ServerImageName(const CLSID& clsid);

} // namespace brindlecast::engine::word
