#pragma once

namespace brindlecast {

/// True when the program's standard error goes to a terminal (a console on Windows), so that a
/// person may be watching it (and not a log file or a pipe).
bool StandardErrorIsTerminal();

/// Makes the command line's output reach the console it was started from. On Windows the program
/// is a window program, which gets no console of its own: standard output and error that are not
/// redirected are attached to the console of the program that started it, if it has one. Nothing
/// to do on POSIX systems.
void AttachToCallersConsole();

} // namespace brindlecast
