#include "app/Terminal.h"

#include <unistd.h>

namespace brindlecast {

bool StandardErrorIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

void AttachToCallersConsole() {}

} // namespace brindlecast
