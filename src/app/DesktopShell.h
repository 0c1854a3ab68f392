#pragma once

#include "Shell.h"

namespace brindlecast {

/// Opens addresses: with the desktop's default handler on POSIX systems
/// (posix/DesktopShellPosix.cpp), on Windows as the command line `explorer "<address>"` in a
/// minimised window that takes the focus (windows/DesktopShellWindows.cpp). Neither waits for it.
class DesktopShell final : public Shell {
public:
    void openUrl(const QString& url) override;
};

} // namespace brindlecast
