// The other programs of the Windows tests of the platform layer, one per first argument:
//   hold LOCK                 takes the lock and keeps it until killed
//   turns LOCK COUNTER N      N times: waits for the lock, then adds one to the number in COUNTER
//   end DOCUMENT [window]     ends the ordinary way when asked to, removing its working document
//   interrupt PID             presses Ctrl+C in the console of process PID
//   console WRITER TEXT       runs the window program WRITER in its console, then prints the screen
#include "app/FileHelpers.h"
#include "app/FileLock.h"
#include "app/ProgramEnd.h"
#include "app/TerminationSignals.h"

#include <QFile>
#include <QGuiApplication>
#include <QWindow>
#include <cstdio>
#include <thread>
#include <windows.h>

using namespace brindlecast;

namespace {

void say(const QByteArray& text) {
    std::printf("%s\n", text.constData());
    std::fflush(stdout);
}

int takeTurns(const QString& lock, const QString& counter, int rounds) {
    for (int round = 0; round < rounds; ++round) {
        const FileLock turn = LockFileWithin(lock, std::chrono::seconds(30), {});
        QFile file(counter);
        if (!turn.held() || !file.open(QIODevice::ReadWrite))
            return 2;
        const int count = file.readAll().toInt();
        // Time enough for the other program to read the same count, were it let in.
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        file.seek(0);
        file.write(QByteArray::number(count + 1));
    }
    return 0;
}

// Says when it is closed, as an application's quitting closes its windows.
class Window final : public QWindow {
    bool event(QEvent* event) override {
        if (event->type() == QEvent::Close)
            say("closed");
        return QWindow::event(event);
    }
};

int end(const QString& document, bool withWindow) {
    QuitOnTerminationSignals(RequestProgramEnd);
    FileLock working = CreateLockedFile(document, "a newsletter");
    Window window;
    if (withWindow) {
        window.show();
        say("window " + QByteArray::number(qulonglong(window.winId())));
    }
    say("ready");
    const int code = QCoreApplication::exec();
    working.release();
    DeleteFileQuietly(document);
    say("ended");
    return code;
}

int interrupt(DWORD process) {
    FreeConsole();
    SetConsoleCtrlHandler(nullptr, TRUE);
    return AttachConsole(process) && GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0) ? 0 : 2;
}

// The writer starts as a window program does from a console window: without standard handles.
int console(const QString& writer, const QString& text) {
    std::wstring commandLine = L"writer \"" + text.toStdWString() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(writer.toStdWString().c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        0, nullptr, nullptr, &startup, &process))
        return 2;
    WaitForSingleObject(process.hProcess, 20000);
    HANDLE screen = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    GetConsoleScreenBufferInfo(screen, &info);
    for (SHORT row = 0; row <= info.dwCursorPosition.Y; ++row) {
        std::wstring line(size_t(info.dwSize.X), L' ');
        DWORD read = 0;
        ReadConsoleOutputCharacterW(screen, line.data(), DWORD(line.size()), {0, row}, &read);
        say(QString::fromStdWString(line).trimmed().toUtf8());
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    const QByteArray mode = argc > 1 ? argv[1] : "";
    // A window of the real platform, whatever the test's own is.
    qputenv("QT_QPA_PLATFORM", mode == "end" && argc > 3 ? "windows" : "offscreen");
    QGuiApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(2);
    if (mode == "hold") {
        const FileLock held = TryLockFile(arguments.value(0));
        say("locked");
        Sleep(INFINITE);
    }
    if (mode == "turns")
        return takeTurns(arguments.value(0), arguments.value(1), arguments.value(2).toInt());
    if (mode == "end")
        return end(arguments.value(0), arguments.size() > 1);
    if (mode == "interrupt")
        return interrupt(DWORD(arguments.value(0).toULong()));
    if (mode == "console")
        return console(arguments.value(0), arguments.value(1));
    return 1;
}
