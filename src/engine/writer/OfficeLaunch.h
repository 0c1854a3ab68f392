#pragma once

#include <QByteArray>
#include <QString>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// Starting the office's process and watching it: the thread it is started on is the same
// everywhere, the rest is defined per operating system (posix/OfficeLaunchPosix.cpp).
namespace brindlecast::engine::writer {

/// A process's id, as the system numbers processes (and as QProcess gives it).
using ProcessId = qint64;

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

/// The office's command line and where its files go.
struct OfficeCommand {
    QByteArray program;
    /// The whole command line, the program first.
    std::vector<QByteArray> arguments;
    /// The office's own scratch files go here rather than into the user's temporary folder.
    QString scratchFolder;
    /// Its standard output and error, appended to.
    QString logFile;
};

/// Starts the office as a process group of its own that dies with this program, with its
/// output going to the log and none of the program's open files. Run it on a LaunchThread.
/// Throws EngineError when the process cannot be started.
ProcessId LaunchOffice(const OfficeCommand& command);

/// What became of a process started by LaunchOffice.
struct ProcessState {
    enum class Kind {
        Running,
        Exited, // `number` is its exit code
        Killed, // `number` is the signal that ended it
        Gone,   // not (or no longer) a child of this program; nothing to wait for
    };
    Kind kind = Kind::Running;
    int number = 0;

    bool ended() const { return kind == Kind::Exited || kind == Kind::Killed; }
};

/// Asks, without waiting, whether the process has ended. An ended process's group is killed
/// (helpers it started go with it) and then the process is reaped: its id may then be given to
/// another process at any time.
ProcessState PollProcess(ProcessId process);

/// Waits until the process has ended and reaps it.
void WaitForProcess(ProcessId process);

/// Kills the process and every process in its group at once; ids of 0 and less are ignored.
void KillProcessGroup(ProcessId process);

} // namespace brindlecast::engine::writer
