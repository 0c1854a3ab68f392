// The office's process on a POSIX system, forked by hand: QProcess can neither arm the
// parent-death signal in the child nor give it a process group of its own before it runs.
#include "engine/Engine.h"
#include "engine/writer/OfficeLaunch.h"

#include <QFile>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace brindlecast::engine::writer {

namespace {

[[noreturn]] void failToLaunch(const QString& message) {
    throw EngineError(message.toStdString());
}

QString errorText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

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

// Everything the child needs, prepared before fork: after it only async-signal-safe calls.
struct ChildPlan {
    QByteArray program;
    std::vector<QByteArray> arguments;
    std::vector<QByteArray> environment;
    std::vector<char*> argv;
    std::vector<char*> envp;
    int input = -1;
    int log = -1;
    int report[2] = {-1, -1}; // the child writes errno here when it cannot run the office
};

std::vector<char*> pointersTo(std::vector<QByteArray>& texts) {
    std::vector<char*> pointers;
    for (QByteArray& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

void openDescriptors(ChildPlan& plan, const QString& logFile) {
    plan.log = ::open(QFile::encodeName(logFile).constData(),
                      O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (plan.log < 0)
        failToLaunch(QStringLiteral("The document engine's log file could not be created (%1).")
                         .arg(errorText(errno)));
    plan.input = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (plan.input < 0 || ::pipe2(plan.report, O_CLOEXEC) != 0) {
        const int error = errno;
        ::close(plan.log);
        if (plan.input >= 0)
            ::close(plan.input);
        failToLaunch(
            QStringLiteral("The document engine could not be started (%1).").arg(errorText(error)));
    }
}

[[noreturn]] void becomeOffice(const ChildPlan& plan, pid_t parent) {
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
    ::dup2(plan.input, 0);
    ::dup2(plan.log, 1);
    ::dup2(plan.log, 2);
    // Whatever descriptors the program holds (windows, files) are not the engine's.
    if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) != 0) {
        for (int fd = 3; fd < 4096; ++fd)
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    ::execve(plan.program.constData(), plan.argv.data(), plan.envp.data());
    const int error = errno;
    [[maybe_unused]] const ssize_t ignored = ::write(plan.report[1], &error, sizeof error);
    ::_exit(127);
}

// The report pipe closes unread when the office runs, and carries errno when it could not.
void awaitExec(pid_t pid, int report, const QByteArray& program) {
    int execError = 0;
    ssize_t got;
    do {
        got = ::read(report, &execError, sizeof execError);
    } while (got < 0 && errno == EINTR);
    ::close(report);
    if (got == sizeof execError) {
        ::waitpid(pid, nullptr, 0);
        failToLaunch(QStringLiteral("The document engine %1 could not be started (%2).")
                         .arg(QString::fromLocal8Bit(program), errorText(execError)));
    }
}

} // namespace

ProcessId LaunchOffice(const OfficeCommand& command) {
    // The office calls back into this process (the file gate) over its pipe: an answer written
    // to an office that has just been stopped must fail with EPIPE, not end the program.
    ::signal(SIGPIPE, SIG_IGN);
    ChildPlan plan;
    plan.program = command.program;
    plan.arguments = command.arguments;
    plan.environment = officeEnvironment(command.scratchFolder);
    plan.argv = pointersTo(plan.arguments);
    plan.envp = pointersTo(plan.environment);
    openDescriptors(plan, command.logFile);

    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0)
        becomeOffice(plan, parent);
    const int forkError = errno;
    ::close(plan.report[1]);
    ::close(plan.log);
    ::close(plan.input);
    if (pid < 0) {
        ::close(plan.report[0]);
        failToLaunch(QStringLiteral("The document engine could not be started (%1).")
                         .arg(errorText(forkError)));
    }
    ::setpgid(pid, pid); // also here, so that killing the group cannot race the child's own call
    awaitExec(pid, plan.report[0], plan.program);
    return pid;
}

ProcessState PollProcess(ProcessId process) {
    // Looked at without reaping first: until the process is reaped its id, and with it its
    // group's, cannot be another's, so what is left of the group can be killed safely.
    siginfo_t ended{};
    if (::waitid(P_PID, id_t(process), &ended, WEXITED | WNOHANG | WNOWAIT) < 0)
        return errno == ECHILD ? ProcessState{ProcessState::Kind::Gone, 0} : ProcessState{};
    if (ended.si_pid != pid_t(process))
        return {};
    ::kill(-pid_t(process), SIGKILL);
    int status = 0;
    while (::waitpid(pid_t(process), &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status))
        return {ProcessState::Kind::Exited, WEXITSTATUS(status)};
    return {ProcessState::Kind::Killed, WTERMSIG(status)};
}

void WaitForProcess(ProcessId process) {
    while (::waitpid(pid_t(process), nullptr, 0) < 0 && errno == EINTR) {
    }
}

void KillProcessGroup(ProcessId process) {
    if (process > 0)
        ::kill(-pid_t(process), SIGKILL);
}

} // namespace brindlecast::engine::writer
