#include "ZoomModel.h"

#include "app/Twips.h"

#include <algorithm>
#include <cmath>

namespace brindlecast {

float NextZoom(float zoom, ZoomDirection direction) {
    return direction == ZoomDirection::In ? zoom + ZoomIncrement : zoom - ZoomIncrement;
}

bool ZoomInRange(float factor) {
    return factor >= MinZoom && factor <= MaxZoom;
}

int TakeWholeSteps(double& pending, double delta, double stepSize) {
    if ((pending > 0 && delta < 0) || (pending < 0 && delta > 0))
        pending = 0;
    pending += delta;
    // A hair over, so that steps made of fractions that are not exact in binary still complete.
    const double steps = std::trunc(pending / stepSize + std::copysign(1e-9, pending));
    pending -= steps * stepSize;
    return static_cast<int>(steps);
}

int ScaledSize(int orig, float zoom) {
    return static_cast<int>(std::trunc(static_cast<double>(orig) * static_cast<double>(zoom)));
}

bool OverSizeLimit(int width, int height) {
    return width >= WidthLimit || height >= HeightLimit;
}

int UnscaledSize(double innerTwips) {
    return static_cast<int>(std::max(0LL, roundHalfEven(innerTwips - 2.0)));
}

void ZoomState::reset(int width, int height) {
    mZoom = 1.0f;
    mOrigWidth = width;
    mOrigHeight = height;
    mCurWidth = ScaledSize(mOrigWidth, mZoom);
    mCurHeight = ScaledSize(mOrigHeight, mZoom);
}

bool ZoomState::apply(float factor) {
    if (!ZoomInRange(factor))
        return false;
    const int width = ScaledSize(mOrigWidth, factor);
    const int height = ScaledSize(mOrigHeight, factor);
    if (OverSizeLimit(width, height))
        return false;
    mZoom = factor;
    mCurWidth = width;
    mCurHeight = height;
    return true;
}

} // namespace brindlecast
