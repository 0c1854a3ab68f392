#pragma once

namespace brindlecast::cli {

/// Runs the command line (`--help`, `--version`, `make ...`) without any window or display and
/// returns the program's exit code.
int Run(int argc, char* argv[]);

} // namespace brindlecast::cli
