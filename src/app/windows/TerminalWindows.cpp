// The console on Windows. The program is a window program, so it gets no console of its own: the
// command line writes to the console of whoever started it, unless its output is redirected.
#include "app/EventPumps.h"
#include "app/ProgramEnd.h"
#include "app/Terminal.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <string>
#include <windows.h>

namespace brindlecast {

namespace {

bool goesSomewhere(DWORD which) {
    HANDLE handle = GetStdHandle(which);
    return handle && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// Puts `stream`, the C library's stream of `descriptor`, and the standard handle `which` on the
// console's screen.
void pointAtConsole(std::FILE* stream, int descriptor, DWORD which) {
    if (!std::freopen("CONOUT$", "w", stream)) {
#ifndef _UCRT
        // msvcrt as Wine has it reopens no stream without a descriptor, which a window program's
        // standard streams are: the screen is given the descriptor, and the stream its number.
        HANDLE screen =
            CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        const int opened = screen == INVALID_HANDLE_VALUE
                               ? -1
                               : _open_osfhandle(reinterpret_cast<intptr_t>(screen), _O_TEXT);
        if (opened < 0) {
            if (screen != INVALID_HANDLE_VALUE)
                CloseHandle(screen);
            return;
        }
        const bool given = _dup2(opened, descriptor) == 0;
        _close(opened);
        if (!given)
            return;
        stream->_file = descriptor;
#else
        return;
#endif
    }
    SetStdHandle(which, reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))));
}

} // namespace

bool StandardErrorIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

bool StandardInputIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

std::optional<QString> AskOnTerminal(const QString& prompt, bool hidden) {
    std::fprintf(stderr, "%s", prompt.toLocal8Bit().constData());
    std::fflush(stderr);
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD saved = 0;
    if (!GetConsoleMode(input, &saved))
        return std::nullopt;
    if (hidden)
        SetConsoleMode(input, saved & ~DWORD(ENABLE_ECHO_INPUT));
    // The console's Ctrl+C ends the read with nothing; the program then sees itself ending.
    std::wstring line;
    bool ended = false;
    for (;;) {
        wchar_t c = 0;
        DWORD read = 0;
        const BOOL ok = ReadConsoleW(input, &c, 1, &read, nullptr);
        ProcessTerminationRequests();
        if (!ok || read == 0 || ProgramEnding()) {
            ended = line.empty() || ProgramEnding();
            break;
        }
        if (c == L'\n')
            break;
        if (c != L'\r')
            line += c;
    }
    if (hidden) {
        SetConsoleMode(input, saved);
        std::fprintf(stderr, "\n");
    }
    if (ended)
        return std::nullopt;
    return QString::fromStdWString(line);
}

void AttachToCallersConsole() {
    const bool output = goesSomewhere(STD_OUTPUT_HANDLE);
    const bool error = goesSomewhere(STD_ERROR_HANDLE);
    if (output && error)
        return;
    // Fails when the caller has no console, and when one is attached already (Wine attaches a
    // window program started from a console to it, without standard handles); then the console
    // is there or not.
    AttachConsole(ATTACH_PARENT_PROCESS);
    if (!output)
        pointAtConsole(stdout, 1, STD_OUTPUT_HANDLE);
    if (!error)
        pointAtConsole(stderr, 2, STD_ERROR_HANDLE);
}

} // namespace brindlecast
