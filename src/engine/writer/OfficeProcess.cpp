#include "OfficeProcess.h"

#include "EngineFolders.h"
#include "FileGate.h"
#include "OfficeSafety.h"
#include "UnoSupport.h"
#include "engine/Engine.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <atomic>
#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/connection/Connector.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/lang/XEventListener.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <cppuhelper/implbase1.hxx>
#include <rtl/bootstrap.hxx>
#include <thread>

namespace brindlecast::engine::writer {

using css::uno::Reference;
using css::uno::UNO_QUERY_THROW;

namespace {

// The first start on a fresh profile only creates the profile and then exits with this code.
constexpr int ProfileCreatedExitCode = 81;
constexpr auto ConnectRetryInterval = std::chrono::milliseconds(100);
constexpr auto TerminateGrace = std::chrono::seconds(1);

class DisposeListener : public cppu::WeakImplHelper1<css::lang::XEventListener> {
public:
    explicit DisposeListener(std::shared_ptr<std::atomic<bool>> flag)
        : mFlag(std::move(flag)) {}
    void SAL_CALL disposing(const css::lang::EventObject&) override { mFlag->store(true); }

private:
    std::shared_ptr<std::atomic<bool>> mFlag;
};

[[noreturn]] void fail(const QString& message) {
    throw EngineError(message.toStdString());
}

// Our own process's component context, made once. The URE bootstrap must be set first:
// without it the remote desktop's creation crashes. The context is never released: releasing
// it from a static destructor at exit would run into runtime libraries already torn down.
Reference<css::uno::XComponentContext> localContext(const QString& programFolder) {
    static std::mutex mutex;
    static auto* const context = new Reference<css::uno::XComponentContext>;
    std::lock_guard lock(mutex);
    if (!context->is()) {
        try {
            rtl::Bootstrap::set(
                OUString("URE_BOOTSTRAP"),
                toOUString(
                    QStringLiteral("vnd.sun.star.pathname:%1/fundamentalrc").arg(programFolder)));
            *context = cppu::defaultBootstrap_InitialComponentContext();
        } catch (...) {
            throw currentEngineError(
                QStringLiteral("The document engine's runtime could not be loaded."), {});
        }
    }
    return *context;
}

QString uniquePipeName() {
    static std::atomic<unsigned> counter{0};
    return QStringLiteral("brindlecast_%1_%2_%3")
        .arg(QCoreApplication::applicationPid())
        .arg(++counter)
        .arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'));
}

// The office's single-instance pipe for a profile: the MD5 of the profile URL's UTF-16 text, in
// hex without leading zeros.
QString singleInstancePipeName(const OUString& profileUrl) {
    const QByteArray digest = QCryptographicHash::hash(
        QByteArray(reinterpret_cast<const char*>(profileUrl.getStr()), profileUrl.getLength() * 2),
        QCryptographicHash::Md5);
    QString name = QStringLiteral("SingleOfficeIPC_");
    for (const char byte : digest)
        name += QString::number(static_cast<unsigned char>(byte), 16);
    return name;
}

OfficeCommand officeCommand(const QFileInfo& program, const QString& folder,
                            const OUString& profileUrl, const QString& pipeName) {
    OfficeCommand command;
    command.program = QFile::encodeName(program.absoluteFilePath());
    command.logFile = folder + QStringLiteral("/engine.log");
    command.scratchFolder = folder + QStringLiteral("/scratch");
    command.arguments = {command.program,
                         "-env:UserInstallation=" + QFile::encodeName(toQString(profileUrl)),
                         "--headless",
                         "--invisible",
                         "--nologo",
                         "--norestore",
                         "--nodefault",
                         "--nolockcheck",
                         "--nofirststartwizard",
                         "--accept=pipe,name=" + pipeName.toUtf8() + ";urp;"};
    return command;
}

QString startFailure(const ProcessState& end) {
    if (end.kind == ProcessState::Kind::Exited)
        return QStringLiteral("The document engine stopped while starting (exit code %1).")
            .arg(end.number);
    return QStringLiteral("The document engine stopped while starting (signal %1).")
        .arg(end.number);
}

} // namespace

std::shared_ptr<OfficeProcess> OfficeProcess::start(const OfficeStart& how,
                                                    LaunchThread& launcher) {
    const QFileInfo program(how.program);
    if (!program.isFile() || !program.isExecutable())
        fail(QStringLiteral("The document engine was not found at %1.").arg(how.program));
    const LocalContext local = localContext(program.absolutePath());

    std::shared_ptr<OfficeProcess> office(new OfficeProcess);
    office->mFolder = how.folder;
    const QString pipeName = uniquePipeName();
    const OUString profileUrl = fileUrl(how.folder);
    office->mPipePaths = {PipeSocketPath(pipeName),
                          PipeSocketPath(singleInstancePipeName(profileUrl))};
    RecordPipeSockets(how.folder, office->mPipePaths);
    const OfficeCommand command = officeCommand(program, how.folder, profileUrl, pipeName);
    QDir().mkpath(command.scratchFolder);
    office->mRunningPid = how.runningPid;
    const auto launch = [&] { office->launch(launcher, command); };

    launch();
    try {
        office->openBridge(local, office->connectWithRetry(how, local, pipeName, launch));
        // The office's own files: its installation (the program's folder and those beside it)
        // and its private folder.
        office->mGate = std::make_unique<FileGate>(
            office->mContext,
            QStringList{QFileInfo(program.absolutePath()).absolutePath(), how.folder});
    } catch (...) {
        const EngineError error =
            currentEngineError(QStringLiteral("The document engine could not be reached."),
                               [&] { return office->alive(); });
        office->shutDown();
        throw error;
    }
    return office;
}

void OfficeProcess::launch(LaunchThread& launcher, const OfficeCommand& command) {
    launcher.run([&] { mPid = LaunchOffice(command); });
    if (mRunningPid)
        mRunningPid->store(mPid);
}

Reference<css::connection::XConnection>
OfficeProcess::connectWithRetry(const OfficeStart& how, const LocalContext& local,
                                const QString& pipeName, const std::function<void()>& relaunch) {
    const auto deadline = std::chrono::steady_clock::now() + how.timeout;
    bool wiped = false;
    int profileStarts = 0;
    const Reference<css::connection::XConnector> connector =
        css::connection::Connector::create(local);
    for (;;) {
        try {
            return connector->connect(toOUString(QStringLiteral("pipe,name=") + pipeName));
        } catch (const css::connection::NoConnectException&) {
        }
        if (const ProcessState end = PollProcess(mPid); end.ended()) {
            if (mRunningPid)
                mRunningPid->store(0);
            const bool profileMade =
                end.kind == ProcessState::Kind::Exited && end.number == ProfileCreatedExitCode;
            if (profileMade && ++profileStarts <= 3) {
                relaunch();
                continue;
            }
            if (how.wipeProfileOnFailure && !wiped) {
                wiped = true;
                QDir(how.folder + QStringLiteral("/user")).removeRecursively();
                relaunch();
                continue;
            }
            markReaped();
            fail(startFailure(end));
        }
        if (std::chrono::steady_clock::now() > deadline) {
            fail(QStringLiteral("The document engine did not answer within %1 seconds.")
                     .arg(std::chrono::duration_cast<std::chrono::seconds>(how.timeout).count()));
        }
        std::this_thread::sleep_for(ConnectRetryInterval);
    }
}

void OfficeProcess::openBridge(const LocalContext& local,
                               const Reference<css::connection::XConnection>& connection) {
    const Reference<css::bridge::XBridge> bridge =
        css::bridge::BridgeFactory::create(local)->createBridge(OUString(), OUString("urp"),
                                                                connection, nullptr);
    mBridge.set(bridge, UNO_QUERY_THROW);
    mBridge->addEventListener(new DisposeListener(mBridgeDisposed));
    mContext.set(bridge->getInstance(OUString("StarOffice.ComponentContext")), UNO_QUERY_THROW);
    mDesktop = css::frame::Desktop::create(mContext);
    RestrictOffice(mContext);
}

OfficeProcess::~OfficeProcess() {
    shutDown();
}

FileGate::Pass OfficeProcess::allowFile(const QString& path, FileGate::Scope scope) {
    if (!mGate)
        throw EngineError("The document engine is not running.");
    return mGate->allow(path, scope);
}

// A reaped process's id may soon belong to another process: nobody may signal it any more.
void OfficeProcess::markReaped() {
    mReaped = true;
    ProcessId expected = mPid;
    if (mRunningPid)
        mRunningPid->compare_exchange_strong(expected, 0);
}

bool OfficeProcess::reapIfExited() {
    if (mReaped || mPid <= 0)
        return true;
    if (PollProcess(mPid).kind != ProcessState::Kind::Running)
        markReaped();
    return mReaped;
}

bool OfficeProcess::alive() {
    std::lock_guard lock(mMutex);
    return !mBridgeDisposed->load() && !reapIfExited();
}

void OfficeProcess::shutDown() {
    std::lock_guard lock(mMutex);
    if (mShutDown)
        return;
    mShutDown = true;
    // A hung engine would never answer: the request runs on its own thread, and killing the
    // process below ends the call together with the bridge.
    std::thread request;
    if (!reapIfExited() && mDesktop.is() && !mBridgeDisposed->load()) {
        request = std::thread([desktop = mDesktop] {
            try {
                desktop->terminate();
            } catch (...) {
            }
        });
    }
    const auto deadline = std::chrono::steady_clock::now() + TerminateGrace;
    while (!reapIfExited() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    // Also after a clean exit: helpers the engine may have started share its group. Once
    // reaped, the group was killed on the way (PollProcess) and its id may be another's.
    if (!mReaped && mPid > 0) {
        KillProcessGroup(mPid);
        WaitForProcess(mPid);
        markReaped();
    }
    if (mBridge.is()) {
        try {
            mBridge->dispose();
        } catch (...) {
        }
    }
    if (request.joinable())
        request.join();
    removePipeSockets();
    mDesktop.clear();
    mContext.clear();
    mBridge.clear();
}

// A killed engine leaves its pipes' sockets behind; their names are ours alone.
void OfficeProcess::removePipeSockets() {
    for (const QByteArray& path : mPipePaths)
        RemoveSocket(path);
}

} // namespace brindlecast::engine::writer
