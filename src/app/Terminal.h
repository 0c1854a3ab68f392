#pragma once

namespace brindlecast {

/// True when the program's standard error goes to a terminal, so that a person may be watching
/// it (and not a log file or a pipe).
bool StandardErrorIsTerminal();

} // namespace brindlecast
