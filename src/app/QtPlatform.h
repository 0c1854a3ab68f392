#pragma once

#include "Platform.h"

#include <random>

namespace brindlecast {

/// The desktop clipboard (QGuiApplication must exist).
class QtClipboard final : public Clipboard {
public:
    void setPicture(const QImage& picture) override;
    std::optional<QImage> picture(int format) override;
};

/// Opens addresses with the desktop's default handler.
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
