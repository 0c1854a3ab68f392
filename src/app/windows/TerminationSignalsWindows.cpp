// Ending on Windows. The end of the session is announced to top-level windows (WM_QUERYENDSESSION,
// then WM_ENDSESSION), the console's Ctrl+C, Ctrl+Break and close to a handler on a thread of the
// system's; both become `quit` on the event loop, as a signal does on POSIX systems. After the
// answer to the end of the session or to a closed console the process may be ended at any moment,
// so those answers wait until the program has ended the ordinary way, and ExitProcess then ends
// the waiting thread with the others.
#include "app/TerminationSignals.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QMetaObject>
#include <atomic>
#include <thread>
#include <windows.h>

namespace brindlecast {

namespace {

// About as long as the system itself waits before it ends the process anyway.
constexpr DWORD EndingPatience = 5000;
constexpr wchar_t SessionWindowClass[] = L"Brindlecast session end";

std::function<void()> quitFunction;
std::atomic<int> endAtOnce{0};
std::atomic<bool> received{false};

// From any thread.
void postQuit() {
    if (QCoreApplication* application = QCoreApplication::instance())
        QMetaObject::invokeMethod(
            application,
            [] {
                if (quitFunction)
                    quitFunction();
            },
            Qt::QueuedConnection);
}

BOOL WINAPI onConsoleEvent(DWORD event) {
    // Not taken: the system's own handler ends the process.
    if (endAtOnce > 0)
        return FALSE;
    received = true;
    postQuit();
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        Sleep(EndingPatience);
    return TRUE;
}

LRESULT CALLBACK onSessionMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        if (wParam) {
            postQuit();
            Sleep(EndingPatience);
        }
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

// A hidden top-level window on a thread of its own: the end of the session is announced to
// top-level windows only (a program without one, like the command line, would not hear of it),
// and this thread can wait for the end while the event loop's thread ends the program.
void watchTheSession() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = onSessionMessage;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = SessionWindowClass;
    RegisterClassW(&windowClass);
    if (!CreateWindowExW(0, SessionWindowClass, L"", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                         instance, nullptr))
        return;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
}

// Qt answers the end of the session to its own windows by quitting the application, which closes
// the windows and runs their closing steps (a preview window's among them); the program's own
// ending is wanted instead.
class SessionEndFilter final : public QAbstractNativeEventFilter {
public:
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override {
        if (type != "windows_generic_MSG")
            return false;
        const auto* msg = static_cast<const MSG*>(message);
        if (msg->message != WM_QUERYENDSESSION && msg->message != WM_ENDSESSION)
            return false;
        if (msg->message == WM_ENDSESSION && msg->wParam && quitFunction)
            quitFunction();
        *result = msg->message == WM_QUERYENDSESSION ? TRUE : 0;
        return true;
    }
};

} // namespace

void QuitOnTerminationSignals(std::function<void()> quit) {
    quitFunction = std::move(quit);
    static SessionEndFilter filter;
    QCoreApplication* application = QCoreApplication::instance();
    application->removeNativeEventFilter(&filter);
    application->installNativeEventFilter(&filter);
    static const bool watching = [] {
        SetConsoleCtrlHandler(onConsoleEvent, TRUE);
        std::thread(watchTheSession).detach();
        return true;
    }();
    (void)watching;
}

EndAtOnceOnTerminationSignals::EndAtOnceOnTerminationSignals() {
    ++endAtOnce;
    // A request that came just before is still waiting for the event loop, which this wait
    // would keep from it.
    if (received)
        ExitProcess(STATUS_CONTROL_C_EXIT);
}

EndAtOnceOnTerminationSignals::~EndAtOnceOnTerminationSignals() {
    --endAtOnce;
}

} // namespace brindlecast
