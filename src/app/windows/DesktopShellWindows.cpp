// The shell on Windows: the command line `explorer "<address>"`, in a minimised window that takes
// the focus, not waited for; the desktop's browser then shows the page.
#include "app/DesktopShell.h"

#include <stdexcept>
#include <string>
#include <windows.h>

namespace brindlecast {

void DesktopShell::openUrl(const QString& url) {
    // Named in full: a search for "explorer" would look in the current folder first.
    std::wstring program(MAX_PATH, L'\0');
    program.resize(GetWindowsDirectoryW(program.data(), UINT(program.size())));
    program += L"\\explorer.exe";
    std::wstring commandLine = L"explorer \"" + url.toStdWString() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWMINIMIZED;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process))
        throw std::runtime_error("File not found: explorer");
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

} // namespace brindlecast
