#pragma once

// What the Windows tests of the platform layer share: the helper programs built beside them.
#include <QCoreApplication>
#include <QProcess>
#include <string>
#include <windows.h>

namespace brindlecast::testing {

inline QString helperPath(const QString& name) {
    return QCoreApplication::applicationDirPath() + '/' + name + ".exe";
}

inline std::wstring nativePath(const QString& path) {
    return QString(path).replace('/', '\\').toStdWString();
}

/// Starts app_rooms_helper with `arguments`, in a console of its own when `console` (as a program
/// started from a console window is), and waits until it has printed `ready` when that is given.
inline QByteArray startHelper(QProcess& helper, const QStringList& arguments,
                              const QByteArray& ready = {}, bool console = false) {
    if (console)
        helper.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments* call) {
            call->flags = (call->flags & ~DWORD(CREATE_NO_WINDOW)) | CREATE_NEW_CONSOLE;
        });
    helper.start(helperPath("app_rooms_helper"), arguments);
    QByteArray said;
    while (helper.waitForStarted(10000) && !said.contains(ready) && helper.waitForReadyRead(20000))
        said += helper.readAllStandardOutput();
    return said;
}

} // namespace brindlecast::testing
