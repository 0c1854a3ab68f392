#pragma once

#include <QRect>
#include <cmath>

namespace brindlecast {

/// Layouts are given in twips (1/1440 inch); a logical pixel is 15 twips.
inline constexpr int TwipsPerPixel = 15;

/// Rounds to the nearest integer, halves to even (the rounding of every conversion here).
inline long long roundHalfEven(double value) {
    return std::llrint(value);
}

/// The nearest logical pixel of a twips value, either side of zero.
inline int twipsToPixels(double twips) {
    return int(roundHalfEven(twips / TwipsPerPixel));
}
constexpr int pixelsToTwips(int pixels) {
    return pixels * TwipsPerPixel;
}

inline QRect twipsRect(int left, int top, int width, int height) {
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

} // namespace brindlecast
