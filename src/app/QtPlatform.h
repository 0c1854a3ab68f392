#pragma once

#include "Clipboard.h"
#include "RandomSource.h"
#include "Shell.h"

#include <mutex>
#include <random>

namespace brindlecast {

/// A clipboard of the program's own, through which the engine hands over its page pictures:
/// what the user has copied stays on the desktop's clipboard, and two copies of the program
/// never see each other's pictures. Any thread may use it.
class PrivateClipboard final : public Clipboard {
public:
    void setPicture(const QImage& picture) override;
    std::optional<QImage> picture(int format) override;

private:
    std::mutex mMutex;
    QImage mPicture;
};

/// Opens addresses: with the desktop's default handler on POSIX systems
/// (posix/ShellPosix.cpp), on Windows as the command line `explorer "<address>"` in a minimised
/// window that takes the focus (windows/ShellWindows.cpp). Neither waits for it.
class DesktopShell final : public Shell {
public:
    void openUrl(const QString& url) override;
};

/// The classic "Randomize Timer" generator: reseeding from the seconds since midnight.
class TimeSeededRandom final : public RandomSource {
public:
    void randomize() override;
    double next() override;

private:
    std::mt19937 mEngine{std::random_device{}()};
};

} // namespace brindlecast
