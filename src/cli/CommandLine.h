#pragma once

#include <QStringList>
#include <optional>

namespace brindlecast::cli {

/// Whether the program's arguments ask for the command line rather than a window: any does,
/// except the options Qt gives every window program (`-platform`, `-style`, and `-session`
/// when a desktop session restores the program) and `mail-merge [LIST]`, which opens the mail
/// merge window (see MailMergeRequest). A `mail-merge` with anything else after it is the
/// command line's too, which refuses it as a usage error.
bool WantsCommandLine(int argc, const char* const argv[]);

/// The list the mail merge window is to open with, when the arguments are
/// `brindlecast mail-merge [LIST]`, wherever Qt's window options stand among them: LIST as an
/// absolute path (a relative one is taken from the current folder; whether it exists is the
/// window's to say), or an empty string without LIST. Nothing for any other arguments. Give it
/// QCoreApplication::arguments() once the application exists (on Windows only those carry a
/// name in any alphabet); the program's own name comes first.
std::optional<QString> MailMergeRequest(const QStringList& arguments);

/// The arguments without the options Qt takes for a window program, and their values.
QStringList WithoutWindowOptions(const QStringList& arguments);

/// Runs the command line (`--help`, `--version`, `make ...`) without any window or display and
/// returns the program's exit code.
int Run(int argc, char* argv[]);

} // namespace brindlecast::cli
