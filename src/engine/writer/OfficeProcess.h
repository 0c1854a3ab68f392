#pragma once

#include "FileGate.h"
#include "OfficeLaunch.h"

#include <QString>
#include <atomic>
#include <chrono>
#include <com/sun/star/connection/XConnection.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace brindlecast::engine::writer {

/// How to start the engine process.
struct OfficeStart {
    QString program; // soffice.bin
    QString folder;  // private folder: profile, log, scratch files
    std::chrono::milliseconds timeout{60000};
    bool wipeProfileOnFailure = false; // a profile left by a killed engine may be damaged
    /// Holds the running process's id from its launch until it is reaped, so that another
    /// thread can stop it while a request to it hangs.
    std::shared_ptr<std::atomic<ProcessId>> runningPid;
};

/// One running engine process of our own and the bridge to it.
class OfficeProcess {
public:
    /// Starts the process and connects; throws EngineError.
    static std::shared_ptr<OfficeProcess> start(const OfficeStart& how, LaunchThread& launcher);
    ~OfficeProcess();
    OfficeProcess(const OfficeProcess&) = delete;
    OfficeProcess& operator=(const OfficeProcess&) = delete;

    ProcessId pid() const { return mPid; }
    const QString& folder() const { return mFolder; }
    const css::uno::Reference<css::frame::XDesktop2>& desktop() const { return mDesktop; }
    const css::uno::Reference<css::uno::XComponentContext>& context() const { return mContext; }

    /// Lets the office use the file at `path` while the pass lives: nothing outside its own
    /// folders is open to it otherwise.
    FileGate::Pass allowFile(const QString& path, FileGate::Scope scope = FileGate::Scope::File);

    /// False once the bridge is gone or the process has ended.
    bool alive();

    /// Asks the engine to quit, gives it a second, then kills its whole process group and
    /// reaps it. Idempotent; afterwards every call through the bridge fails at once.
    void shutDown();

private:
    using LocalContext = css::uno::Reference<css::uno::XComponentContext>;

    OfficeProcess() = default;
    void launch(LaunchThread& launcher, const OfficeCommand& command);
    // Asks for the office's pipe until it answers, starting the office again when it only
    // made its profile, or (once, when asked to) on a wiped profile.
    css::uno::Reference<css::connection::XConnection>
    connectWithRetry(const OfficeStart& how, const LocalContext& local, const QString& pipeName,
                     const std::function<void()>& relaunch);
    // Opens the bridge on the connection, and through it the office's context and desktop.
    void openBridge(const LocalContext& local,
                    const css::uno::Reference<css::connection::XConnection>& connection);
    bool reapIfExited(); // true when the process has ended (and is reaped)
    void markReaped();
    void removePipeSockets();

    ProcessId mPid = 0;
    std::shared_ptr<std::atomic<ProcessId>> mRunningPid;
    bool mReaped = false;
    bool mShutDown = false;
    std::mutex mMutex;
    QString mFolder;
    std::vector<QByteArray> mPipePaths;
    css::uno::Reference<css::lang::XComponent> mBridge;
    css::uno::Reference<css::uno::XComponentContext> mContext;
    css::uno::Reference<css::frame::XDesktop2> mDesktop;
    std::unique_ptr<FileGate> mGate;
    std::shared_ptr<std::atomic<bool>> mBridgeDisposed = std::make_shared<std::atomic<bool>>(false);
};

} // namespace brindlecast::engine::writer
