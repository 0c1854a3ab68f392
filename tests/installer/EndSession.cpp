// Ends the Windows session for the programs of this Wine prefix as the system does at logoff:
// each window that listens for it (the program's hidden session window) is asked whether the
// session may end, then told that it ends. Exit code 0 when every such window agreed, 1 when one
// refused, 2 when there was none.
#include <windows.h>

int main() {
    int windows = 0;
    int refused = 0;
    for (HWND window = nullptr;
         (window = FindWindowExW(nullptr, window, L"Brindlecast session end", nullptr));) {
        ++windows;
        DWORD_PTR answer = 0;
        if (!SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_BLOCK,
                                 10000, &answer) ||
            answer != TRUE) {
            ++refused;
            continue;
        }
        SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_BLOCK, 20000,
                            &answer);
    }
    return windows == 0 ? 2 : refused > 0 ? 1 : 0;
}
