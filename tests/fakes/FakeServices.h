#pragma once

#include "FakeDialogs.h"
#include "FakeEngine.h"
#include "app/Services.h"

#include <QDir>

namespace brindlecast::fakes {

/// Every fake of the outside world, wired into the Services the windows take. The program
/// folder is made; `ended` counts the requests to end the program.
struct FakeServices {
    explicit FakeServices(const QString& programFolder)
        : FakeServices(programFolder, nullptr, nullptr) {}
    /// With a clipboard and an engine given, those serve in place of the fakes: the real
    /// engine, driven through the windows.
    FakeServices(const QString& programFolder, Clipboard* clipboardInUse,
                 engine::Engine* engineInUse)
        : services{boxes,
                   saveDialog,
                   clipboardInUse ? *clipboardInUse : clipboard,
                   shell,
                   random,
                   engineInUse ? *engineInUse : engine,
                   programFolder,
                   [this] { ++ended; },
                   [this] { return ended > 0; }} {
        QDir().mkpath(programFolder);
    }
    FakeServices(const FakeServices&) = delete;
    FakeServices& operator=(const FakeServices&) = delete;

    FakeMessageBoxes boxes;
    FakeSaveDialog saveDialog;
    FakeClipboard clipboard;
    FakeShell shell;
    FakeRandom random;
    FakeEngine engine{clipboard};
    int ended = 0;
    Services services;
};

} // namespace brindlecast::fakes
