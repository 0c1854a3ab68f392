#pragma once

namespace brindlecast::cli {

/// Whether the program's arguments ask for the command line rather than the window: any does,
/// except the options Qt gives every window program (`-platform`, `-style`, and `-session`
/// when a desktop session restores the program).
bool WantsCommandLine(int argc, const char* const argv[]);

/// Runs the command line (`--help`, `--version`, `make ...`) without any window or display and
/// returns the program's exit code.
int Run(int argc, char* argv[]);

} // namespace brindlecast::cli
