#include "app/EventPumps.h"
#include "app/ProgramEnd.h"
#include "app/Terminal.h"

#include <cerrno>
#include <cstdio>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace brindlecast {

bool StandardErrorIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

bool StandardInputIsTerminal() {
    return ::isatty(STDIN_FILENO) == 1;
}

std::optional<QString> AskOnTerminal(const QString& prompt, bool hidden) {
    // Silent before the question shows: what is typed the moment it appears is the answer, and
    // flushing after the prompt would throw it away and leave the program waiting for a line
    // the user has already typed.
    termios saved{};
    const bool quiet = hidden && ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (quiet) {
        termios silent = saved;
        silent.c_lflag &= ~tcflag_t(ECHO);
        silent.c_lflag |= ECHONL;
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &silent);
    }
    std::fprintf(stderr, "%s", prompt.toLocal8Bit().constData());
    std::fflush(stderr);
    // Waited for in slices: Ctrl+C reaches the program through its event queue, and the echo
    // must be back on however the question ends.
    QByteArray line;
    bool ended = false;
    for (bool done = false; !done;) {
        pollfd input{STDIN_FILENO, POLLIN, 0};
        const int ready = ::poll(&input, 1, 100);
        ProcessTerminationRequests();
        if (ProgramEnding()) {
            ended = true;
            break;
        }
        if (ready <= 0)
            continue;
        char c = 0;
        const ssize_t n = ::read(STDIN_FILENO, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ended = line.isEmpty();
            done = true;
        } else if (c == '\n') {
            done = true;
        } else {
            line += c;
        }
    }
    // Nothing typed after the answer is dropped: it belongs to the next question.
    if (quiet)
        ::tcsetattr(STDIN_FILENO, TCSADRAIN, &saved);
    if (ended)
        return std::nullopt;
    if (line.endsWith('\r'))
        line.chop(1);
    return QString::fromLocal8Bit(line);
}

void AttachToCallersConsole() {}

} // namespace brindlecast
