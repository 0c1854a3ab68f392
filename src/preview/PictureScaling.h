#pragma once

#include <QImage>
#include <QSize>
#include <QSizeF>

namespace brindlecast {

/// The resolution a picture records, in whole dots per inch; 96 when it records none.
/// QImage keeps dots per metre as an integer, so 96 dpi comes back as 3780 dots per metre and
/// has to be rounded to be exact again.
int PictureDpi(const QImage& picture);

/// The picture's size in twips: pixels × 1440 / dpi.
QSizeF PictureSizeTwips(const QImage& picture);

/// Draws the part of `picture` that is `sourceTwips` large (from its top-left corner) scaled
/// into a new white image of `target` device pixels, smoothly, so that a high-resolution
/// picture stays sharp at every zoom. An empty source or target gives a white (or null) image.
QImage ScaledDrawing(const QImage& picture, QSizeF sourceTwips, QSize target);

} // namespace brindlecast
