#pragma once

#include <optional>

namespace brindlecast {

/// How one scroll bar is set up for a picture in the viewport (twips).
struct BarSetup {
    bool enabled = false;
    /// Twips moved per unit of the bar: 0 (disabled), 1 or 10.
    int step = 0;
    /// The bar's maximum; only meaningful when the bar is enabled.
    int maximum = 0;
};

/// Up to 100 twips of excess the bar moves by single twips; beyond that by tens, which keeps
/// the maximum within a 16-bit bar for any picture under the size limit.
BarSetup SetupBar(int pictureOuter, int viewportOuter);

/// The bar value for `percent` of `maximum`, rounded half to even; nothing outside 0..100.
std::optional<int> BarValueForPercent(int percent, int maximum);

/// How far an arrow key moves the picture, in twips: about a line of the newsletter's text.
inline constexpr int LineScrollTwips = 300;

/// The value of a bar after moving the picture `twips` on (negative: back), in the bar's units
/// of `step` twips and held within 0..`maximum`. A disabled bar (step 0) keeps its value.
int BarValueAfterScroll(int value, int maximum, int step, double twips);

/// The picture's left (or top) for a bar value: the picture moves left (up) as the bar moves
/// right (down).
int PositionForBarValue(int step, int value);

/// Where a dragged picture goes along one direction: it moves by the distance the pointer has
/// moved away from the anchor, so the anchor stays under the pointer, and is held so that its
/// leading edge never leaves the viewport's leading edge and its trailing edge never passes the
/// viewport's inner trailing edge. A picture that fits the viewport (its bar is disabled) stays
/// at 0.
float DragPosition(float position, float anchor, float pointer, float viewportInner,
                   float viewportOuter, float pictureOuter);

/// The bar percentage for where a drag left the picture. Clamped to 0..100: the drag may take
/// the picture to the viewport's inner edge, a little beyond the range the bar describes, and
/// that must still put the bar at its end. 0 when the picture fits the viewport.
int ReleasePercent(float position, int pictureOuter, int viewportOuter);

} // namespace brindlecast
