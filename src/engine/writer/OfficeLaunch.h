#pragma once

#include "engine/JobThread.h"

#include <QByteArray>
#include <QString>
#include <vector>

// Starting the office's process and watching it, defined per operating system
// (posix/OfficeLaunchPosix.cpp).
namespace brindlecast::engine::writer {

/// A process's id, as the system numbers processes (and as QProcess gives it).
using ProcessId = qint64;

/// The engine process is forked on a thread that lives as long as the engine, because the
/// kernel's parent-death signal fires when the forking *thread* ends, not the program: forked
/// from a short-lived worker thread, the engine would die with it.
using LaunchThread = JobThread;

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
