#include "ScrollModel.h"

#include "app/Twips.h"

#include <algorithm>
#include <cmath>

namespace brindlecast {

BarSetup SetupBar(int pictureOuter, int viewportOuter) {
    if (pictureOuter <= viewportOuter)
        return {};
    const float excess = static_cast<float>(pictureOuter - viewportOuter);
    if (excess <= 100.0f)
        return {true, 1, static_cast<int>(roundHalfEven(excess))};
    return {true, 10, static_cast<int>(roundHalfEven(excess / 10.0f))};
}

std::optional<int> BarValueForPercent(int percent, int maximum) {
    if (percent < 0 || percent > 100)
        return std::nullopt;
    return static_cast<int>(roundHalfEven(percent / 100.0 * maximum));
}

int BarValueAfterScroll(int value, int maximum, int step, double twips) {
    if (step <= 0)
        return value;
    const long long moved = value + roundHalfEven(twips / step);
    return static_cast<int>(std::clamp<long long>(moved, 0, maximum));
}

int PositionForBarValue(int step, int value) {
    return -(step * value);
}

float DragPosition(float position, float anchor, float pointer, float viewportInner,
                   float viewportOuter, float pictureOuter) {
    if (pictureOuter <= viewportOuter || pictureOuter < viewportInner)
        return 0.0f;
    float moved = position - anchor + pointer;
    if (moved > 0.0f)
        return 0.0f;
    const float lowest = viewportInner - pictureOuter;
    return std::max(moved, lowest);
}

int ReleasePercent(float position, int pictureOuter, int viewportOuter) {
    const int range = pictureOuter - viewportOuter;
    if (range <= 0)
        return 0;
    const double percent = std::abs(static_cast<double>(position)) / range * 100.0;
    return static_cast<int>(roundHalfEven(std::min(percent, 100.0)));
}

} // namespace brindlecast
