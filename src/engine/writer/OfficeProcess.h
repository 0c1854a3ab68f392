#pragma once

#include <QString>
#include <atomic>
#include <chrono>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <sys/types.h>
#include <thread>
#include <vector>

namespace brindlecast::engine::writer {

/// Runs jobs on one thread that lives as long as this object. The engine process is forked
/// there because the kernel's parent-death signal fires when the forking *thread* ends, not
/// the program: forked from a short-lived worker thread, the engine would die with it.
class LaunchThread {
public:
    LaunchThread();
    ~LaunchThread();
    LaunchThread(const LaunchThread&) = delete;
    LaunchThread& operator=(const LaunchThread&) = delete;

    /// Runs `job` on the thread and waits for it; an exception it throws is rethrown here.
    void run(const std::function<void()>& job);

private:
    void loop();

    std::mutex mMutex;
    std::condition_variable mChanged;
    const std::function<void()>* mJob = nullptr;
    std::exception_ptr mFailure;
    bool mDone = false;
    bool mStopping = false;
    std::thread mThread;
};

/// How to start the engine process.
struct OfficeStart {
    QString program; // soffice.bin
    QString folder;  // private folder: profile, log, scratch files
    std::chrono::milliseconds timeout{60000};
    bool wipeProfileOnFailure = false; // a profile left by a killed engine may be damaged
    /// Holds the running process's id from its launch until it is reaped, so that another
    /// thread can stop it while a request to it hangs.
    std::shared_ptr<std::atomic<pid_t>> runningPid;
};

/// One running engine process of our own and the bridge to it.
class OfficeProcess {
public:
    /// Starts the process and connects; throws EngineError.
    static std::shared_ptr<OfficeProcess> start(const OfficeStart& how, LaunchThread& launcher);
    ~OfficeProcess();
    OfficeProcess(const OfficeProcess&) = delete;
    OfficeProcess& operator=(const OfficeProcess&) = delete;

    pid_t pid() const { return mPid; }
    const QString& folder() const { return mFolder; }
    const css::uno::Reference<css::frame::XDesktop2>& desktop() const { return mDesktop; }
    const css::uno::Reference<css::uno::XComponentContext>& context() const { return mContext; }

    /// False once the bridge is gone or the process has ended.
    bool alive();

    /// Asks the engine to quit, gives it a second, then kills its whole process group and
    /// reaps it. Idempotent; afterwards every call through the bridge fails at once.
    void shutDown();

private:
    OfficeProcess() = default;
    bool reapIfExited(); // true when the process has ended (and is reaped)
    void markReaped();

    pid_t mPid = 0;
    std::shared_ptr<std::atomic<pid_t>> mRunningPid;
    bool mReaped = false;
    bool mShutDown = false;
    std::mutex mMutex;
    QString mFolder;
    std::vector<QByteArray> mPipePaths;
    css::uno::Reference<css::lang::XComponent> mBridge;
    css::uno::Reference<css::uno::XComponentContext> mContext;
    css::uno::Reference<css::frame::XDesktop2> mDesktop;
    std::shared_ptr<std::atomic<bool>> mBridgeDisposed = std::make_shared<std::atomic<bool>>(false);
};

} // namespace brindlecast::engine::writer
