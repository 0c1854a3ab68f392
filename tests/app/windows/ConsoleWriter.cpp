// A window program, as the Windows edition is, that prints its argument as the command line
// prints: on standard output, and on standard error.
#include "app/Terminal.h"

#include <cstdio>

int main(int argc, char* argv[]) {
    brindlecast::AttachToCallersConsole();
    const char* text = argc > 1 ? argv[1] : "";
    std::printf("%s\n", text);
    std::fprintf(stderr, "%s on standard error\n", text);
    return 0;
}
