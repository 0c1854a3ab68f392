#pragma once

#include <functional>

namespace brindlecast {

/// Turns the system's requests to end the program into `quit` on the event loop, so that the
/// program ends the ordinary way and its engine and working files are cleaned up rather than left
/// behind: SIGTERM, SIGINT and SIGHUP (a logout, a terminal's Ctrl+C) on POSIX systems; on Windows
/// the end of the session (logging off, shutting down) and the console's Ctrl+C, Ctrl+Break and
/// close. Needs a QCoreApplication.
void QuitOnTerminationSignals(std::function<void()> quit);

/// While one lives, those requests end the program at once, as if none were taken: for waits
/// that nothing else would cut short and that leave nothing to clean up, such as reading an input
/// from a pipe whose writer never ends.
class EndAtOnceOnTerminationSignals {
public:
    EndAtOnceOnTerminationSignals();
    ~EndAtOnceOnTerminationSignals();
    EndAtOnceOnTerminationSignals(const EndAtOnceOnTerminationSignals&) = delete;
    EndAtOnceOnTerminationSignals& operator=(const EndAtOnceOnTerminationSignals&) = delete;
};

} // namespace brindlecast
