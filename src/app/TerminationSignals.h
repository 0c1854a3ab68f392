#pragma once

#include <functional>

namespace brindlecast {

/// Turns SIGTERM, SIGINT and SIGHUP (a logout, a terminal's Ctrl+C) into `quit` on the event
/// loop, so that the program ends the ordinary way and its engine and working folders are
/// cleaned up rather than left behind. Needs a QCoreApplication.
void QuitOnTerminationSignals(std::function<void()> quit);

} // namespace brindlecast
