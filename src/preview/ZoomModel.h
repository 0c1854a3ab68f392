#pragma once

namespace brindlecast {

inline constexpr float MinZoom = 0.25f;
inline constexpr float MaxZoom = 4.0f;
inline constexpr float ZoomIncrement = 0.25f;

/// A scaled preview this wide or this high (twips) or more is refused: it bounds the drawing
/// surface that every accepted zoom step fills.
inline constexpr int WidthLimit = 11400;
inline constexpr int HeightLimit = 14300;

/// Which way a zoom step goes, by its classic code.
enum class ZoomDirection : int { In = 0, Out = 1 };

/// The factor one step away from `zoom` in `direction`. Kept in single precision, where quarter
/// steps are exact.
float NextZoom(float zoom, ZoomDirection direction);

bool ZoomInRange(float factor);

/// The whole zoom steps that `delta` completes, each `stepSize` long (a wheel notch, a pinch of
/// a quarter), positive for zooming in. `pending` keeps the part that a fine wheel or a touchpad
/// has turned towards the next step; turning back drops it, so a reversal answers at once.
int TakeWholeSteps(double& pending, double delta, double stepSize);

/// The whole part of `orig` × `zoom`, multiplied in double precision.
int ScaledSize(int orig, float zoom);

bool OverSizeLimit(int width, int height);

/// The unscaled size (twips) taken from the inner size of the picture's holder: 2 twips less,
/// rounded half to even, never below 0 (an empty picture has no size to take from).
int UnscaledSize(double innerTwips);

/// The zoom factor and the sizes it gives, in twips.
struct ZoomState {
    float mZoom = 1.0f;
    int mOrigWidth = 0;
    int mOrigHeight = 0;
    int mCurWidth = 0;
    int mCurHeight = 0;

    /// Factor 1.0, current size = unscaled size.
    void reset(int width, int height);

    /// Takes `factor` when it lies within 0.25..4.0 and the picture at that factor stays under
    /// the size limit; otherwise leaves the factor and the sizes as they were, so that a refused
    /// Zoom In never shows a smaller picture. Returns whether the factor was taken.
    bool apply(float factor);
};

} // namespace brindlecast
