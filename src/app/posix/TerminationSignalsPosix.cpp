#include "app/TerminationSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace brindlecast {

namespace {
int signalPipe[2] = {-1, -1};
std::atomic<int> endAtOnce{0};
std::atomic<int> received{0};

// The signal's own default effect: it is blocked while its handler runs, and ends the program
// as soon as the handler returns.
void endNow(int signal) {
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

// Only async-signal-safe work here: one byte into the pipe, read on the event loop. The pipe
// never blocks (a full one already says enough), and the interrupted code keeps its errno.
void onSignal(int signal) {
    if (endAtOnce > 0)
        return endNow(signal);
    received = signal;
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(signalPipe[1], &byte, 1);
    errno = savedErrno;
}
} // namespace

void QuitOnTerminationSignals(std::function<void()> quit) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalPipe) != 0)
        return; // without the pipe the signals keep their default, immediate effect
    auto* notifier =
        new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [quit = std::move(quit)] {
        char byte;
        [[maybe_unused]] const ssize_t ignored = ::read(signalPipe[0], &byte, 1);
        quit();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

EndAtOnceOnTerminationSignals::EndAtOnceOnTerminationSignals() {
    ++endAtOnce;
    // A request that came just before is still waiting for the event loop, which this wait
    // would keep from it.
    if (const int signal = received; signal != 0)
        endNow(signal);
}

EndAtOnceOnTerminationSignals::~EndAtOnceOnTerminationSignals() {
    --endAtOnce;
}

} // namespace brindlecast
