#pragma once

#include <QString>
#include <optional>

namespace brindlecast {

/// True when the program's standard error goes to a terminal (a console on Windows), so that a
/// person may be watching it (and not a log file or a pipe).
bool StandardErrorIsTerminal();

/// True when the program's standard input comes from a terminal (a console on Windows), so that
/// a person can be asked something.
bool StandardInputIsTerminal();

/// Asks a person at the terminal: writes `prompt` to standard error and reads one line from
/// standard input, without showing what is typed when `hidden` (a password). None at the end of
/// the input, or when the program is asked to end meanwhile (Ctrl+C), the terminal as it was.
std::optional<QString> AskOnTerminal(const QString& prompt, bool hidden);

/// Makes the command line's output reach the console it was started from. On Windows the program
/// is a window program, which gets no console of its own: standard output and error that are not
/// redirected are attached to the console of the program that started it, if it has one. Nothing
/// to do on POSIX systems.
void AttachToCallersConsole();

} // namespace brindlecast
