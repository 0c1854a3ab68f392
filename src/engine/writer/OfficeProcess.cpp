#include "OfficeProcess.h"

#include "EngineFolders.h"
#include "UnoSupport.h"
#include "engine/Engine.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <atomic>
#include <cerrno>
#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/connection/Connector.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/lang/XEventListener.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <cppuhelper/implbase1.hxx>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <rtl/bootstrap.hxx>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace brindlecast::engine::writer {

using css::uno::Reference;
using css::uno::UNO_QUERY_THROW;

LaunchThread::LaunchThread()
    : mThread([this] { loop(); }) {}

LaunchThread::~LaunchThread() {
    {
        std::lock_guard lock(mMutex);
        mStopping = true;
    }
    mChanged.notify_all();
    mThread.join();
}

void LaunchThread::run(const std::function<void()>& job) {
    std::unique_lock lock(mMutex);
    mChanged.wait(lock, [this] { return mJob == nullptr; });
    mJob = &job;
    mDone = false;
    mFailure = nullptr;
    mChanged.notify_all();
    mChanged.wait(lock, [this] { return mDone; });
    mJob = nullptr;
    const std::exception_ptr failure = mFailure;
    mChanged.notify_all();
    if (failure)
        std::rethrow_exception(failure);
}

void LaunchThread::loop() {
    std::unique_lock lock(mMutex);
    for (;;) {
        mChanged.wait(lock, [this] { return mStopping || (mJob != nullptr && !mDone); });
        if (mStopping)
            return;
        const std::function<void()>* job = mJob;
        lock.unlock();
        std::exception_ptr failure;
        try {
            (*job)();
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        mFailure = failure;
        mDone = true;
        mChanged.notify_all();
    }
}

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
        .arg(::getpid())
        .arg(++counter)
        .arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'));
}

// Where the runtime puts a named pipe's socket, whatever TMPDIR says.
QByteArray pipeSocketPath(const QString& name) {
    return QStringLiteral("/tmp/OSL_PIPE_%1_%2").arg(::getuid()).arg(name).toUtf8();
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

// Everything the child needs, prepared before fork: after it only async-signal-safe calls.
struct SpawnPlan {
    QByteArray program;
    std::vector<QByteArray> arguments;
    std::vector<char*> argv;
    std::vector<QByteArray> environment;
    std::vector<char*> envp;
    QByteArray logPath;
};

// The office converts file URLs to paths in its locale's character set: under a non-UTF-8
// locale (LANG=C, common for services and CI) it cannot open a path with non-ASCII letters.
// The office's own scratch files go into `scratch`, inside the engine's folder, so that they
// go with it instead of piling up beside the user's files when the office is killed.
std::vector<QByteArray> officeEnvironment(const QString& scratch) {
    std::vector<QByteArray> environment;
    for (char** entry = environ; *entry; ++entry) {
        const QByteArray variable(*entry);
        if (!variable.startsWith("TMPDIR=") && !variable.startsWith("TMP=") &&
            !variable.startsWith("TEMP="))
            environment.push_back(variable);
    }
    for (const char* name : {"TMPDIR=", "TMP=", "TEMP="})
        environment.push_back(name + QFile::encodeName(scratch));
    QByteArray ctype = qgetenv("LC_ALL");
    if (ctype.isEmpty())
        ctype = qgetenv("LC_CTYPE");
    if (ctype.isEmpty())
        ctype = qgetenv("LANG");
    const QByteArray lower = ctype.toLower();
    if (!lower.contains("utf-8") && !lower.contains("utf8")) {
        std::erase_if(environment,
                      [](const QByteArray& entry) { return entry.startsWith("LC_ALL="); });
        environment.emplace_back("LC_ALL=C.UTF-8");
    }
    return environment;
}

pid_t spawn(SpawnPlan& plan) {
    plan.argv.clear();
    for (QByteArray& argument : plan.arguments)
        plan.argv.push_back(argument.data());
    plan.argv.push_back(nullptr);
    plan.envp.clear();
    for (QByteArray& entry : plan.environment)
        plan.envp.push_back(entry.data());
    plan.envp.push_back(nullptr);

    const int logFd =
        ::open(plan.logPath.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (logFd < 0)
        fail(QStringLiteral("The document engine's log file could not be created (%1).")
                 .arg(QString::fromLocal8Bit(std::strerror(errno))));
    const int nullFd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    int report[2];
    if (nullFd < 0 || ::pipe2(report, O_CLOEXEC) != 0) {
        const int error = errno;
        ::close(logFd);
        if (nullFd >= 0)
            ::close(nullFd);
        fail(QStringLiteral("The document engine could not be started (%1).")
                 .arg(QString::fromLocal8Bit(std::strerror(error))));
    }

    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) // the program died before the signal was armed
            ::_exit(126);
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        struct sigaction defaults {};
        defaults.sa_handler = SIG_DFL;
        ::sigaction(SIGPIPE, &defaults, nullptr);
        ::sigaction(SIGCHLD, &defaults, nullptr);
        ::dup2(nullFd, 0);
        ::dup2(logFd, 1);
        ::dup2(logFd, 2);
        // Whatever descriptors the program holds (windows, files) are not the engine's.
        if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) != 0) {
            for (int fd = 3; fd < 4096; ++fd)
                ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        }
        ::execve(plan.program.constData(), plan.argv.data(), plan.envp.data());
        const int error = errno;
        [[maybe_unused]] const ssize_t ignored = ::write(report[1], &error, sizeof error);
        ::_exit(127);
    }
    const int forkError = errno;
    ::close(report[1]);
    ::close(logFd);
    ::close(nullFd);
    if (pid < 0) {
        ::close(report[0]);
        fail(QStringLiteral("The document engine could not be started (%1).")
                 .arg(QString::fromLocal8Bit(std::strerror(forkError))));
    }
    ::setpgid(pid, pid); // also here, so that killing the group cannot race the child's own call
    int execError = 0;
    ssize_t got;
    do {
        got = ::read(report[0], &execError, sizeof execError);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    if (got == sizeof execError) {
        ::waitpid(pid, nullptr, 0);
        fail(QStringLiteral("The document engine %1 could not be started (%2).")
                 .arg(QString::fromLocal8Bit(plan.program),
                      QString::fromLocal8Bit(std::strerror(execError))));
    }
    return pid;
}

void killGroup(pid_t pid) {
    if (pid > 0)
        ::kill(-pid, SIGKILL);
}

} // namespace

std::shared_ptr<OfficeProcess> OfficeProcess::start(const OfficeStart& how,
                                                    LaunchThread& launcher) {
    const QFileInfo program(how.program);
    if (!program.isFile() || !program.isExecutable())
        fail(QStringLiteral("The document engine was not found at %1.").arg(how.program));
    const Reference<css::uno::XComponentContext> local = localContext(program.absolutePath());

    std::shared_ptr<OfficeProcess> office(new OfficeProcess);
    office->mFolder = how.folder;
    const QString pipeName = uniquePipeName();
    const OUString profileUrl = fileUrl(how.folder);
    office->mPipePaths = {pipeSocketPath(pipeName),
                          pipeSocketPath(singleInstancePipeName(profileUrl))};
    RecordPipeSockets(how.folder, office->mPipePaths);
    SpawnPlan plan;
    plan.program = QFile::encodeName(program.absoluteFilePath());
    plan.logPath = QFile::encodeName(how.folder + QStringLiteral("/engine.log"));
    const QString scratch = how.folder + QStringLiteral("/scratch");
    QDir().mkpath(scratch);
    plan.environment = officeEnvironment(scratch);
    plan.arguments = {plan.program,
                      "-env:UserInstallation=" + QFile::encodeName(toQString(profileUrl)),
                      "--headless",
                      "--invisible",
                      "--nologo",
                      "--norestore",
                      "--nodefault",
                      "--nolockcheck",
                      "--nofirststartwizard",
                      "--accept=pipe,name=" + pipeName.toUtf8() + ";urp;"};
    office->mRunningPid = how.runningPid;
    const auto launch = [&] {
        launcher.run([&] { office->mPid = spawn(plan); });
        if (office->mRunningPid)
            office->mRunningPid->store(office->mPid);
    };

    launch();
    const auto deadline = std::chrono::steady_clock::now() + how.timeout;
    bool wiped = false;
    int profileStarts = 0;
    Reference<css::connection::XConnection> connection;
    try {
        const Reference<css::connection::XConnector> connector =
            css::connection::Connector::create(local);
        while (!connection.is()) {
            try {
                connection =
                    connector->connect(toOUString(QStringLiteral("pipe,name=") + pipeName));
                break;
            } catch (const css::connection::NoConnectException&) {
            }
            int status = 0;
            if (::waitpid(office->mPid, &status, WNOHANG) == office->mPid) {
                if (office->mRunningPid)
                    office->mRunningPid->store(0);
                const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                killGroup(office->mPid);
                if (code == ProfileCreatedExitCode && ++profileStarts <= 3) {
                    launch();
                    continue;
                }
                if (how.wipeProfileOnFailure && !wiped) {
                    wiped = true;
                    QDir(how.folder + QStringLiteral("/user")).removeRecursively();
                    launch();
                    continue;
                }
                office->markReaped();
                fail(WIFEXITED(status)
                         ? QStringLiteral(
                               "The document engine stopped while starting (exit code %1).")
                               .arg(code)
                         : QStringLiteral("The document engine stopped while starting (signal %1).")
                               .arg(WTERMSIG(status)));
            }
            if (std::chrono::steady_clock::now() > deadline) {
                fail(
                    QStringLiteral("The document engine did not answer within %1 seconds.")
                        .arg(
                            std::chrono::duration_cast<std::chrono::seconds>(how.timeout).count()));
            }
            std::this_thread::sleep_for(ConnectRetryInterval);
        }
        const Reference<css::bridge::XBridge> bridge =
            css::bridge::BridgeFactory::create(local)->createBridge(OUString(), OUString("urp"),
                                                                    connection, nullptr);
        office->mBridge.set(bridge, UNO_QUERY_THROW);
        office->mBridge->addEventListener(new DisposeListener(office->mBridgeDisposed));
        office->mContext.set(bridge->getInstance(OUString("StarOffice.ComponentContext")),
                             UNO_QUERY_THROW);
        office->mDesktop = css::frame::Desktop::create(office->mContext);
    } catch (...) {
        const EngineError error =
            currentEngineError(QStringLiteral("The document engine could not be reached."),
                               [&] { return office->alive(); });
        office->shutDown();
        throw error;
    }
    return office;
}

OfficeProcess::~OfficeProcess() {
    shutDown();
}

// A reaped process's id may soon belong to another process: nobody may signal it any more.
void OfficeProcess::markReaped() {
    mReaped = true;
    pid_t expected = mPid;
    if (mRunningPid)
        mRunningPid->compare_exchange_strong(expected, 0);
}

bool OfficeProcess::reapIfExited() {
    if (mReaped || mPid <= 0)
        return true;
    int status = 0;
    const pid_t result = ::waitpid(mPid, &status, WNOHANG);
    if (result == mPid || (result < 0 && errno == ECHILD))
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
    // Also after a clean exit: helpers the engine may have started share its group.
    killGroup(mPid);
    if (!mReaped && mPid > 0) {
        while (::waitpid(mPid, nullptr, 0) < 0 && errno == EINTR) {
        }
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
    // A killed engine leaves its pipes' sockets behind; their names are ours alone.
    for (const QByteArray& path : mPipePaths) {
        struct stat status {};
        if (::lstat(path.constData(), &status) == 0 && S_ISSOCK(status.st_mode))
            ::unlink(path.constData());
    }
    mDesktop.clear();
    mContext.clear();
    mBridge.clear();
}

} // namespace brindlecast::engine::writer
