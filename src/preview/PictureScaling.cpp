#include "PictureScaling.h"

#include "app/Twips.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace brindlecast {

namespace {
constexpr double TwipsPerInch = 1440.0;
constexpr double MetresPerInch = 0.0254;
constexpr int DefaultDpi = 96;
} // namespace

static int dpiOf(int dotsPerMeter) {
    const int dpi = static_cast<int>(roundHalfEven(dotsPerMeter * MetresPerInch));
    return dpi > 0 ? dpi : DefaultDpi;
}

int PictureDpi(const QImage& picture) {
    return dpiOf(picture.dotsPerMeterX());
}

static int pictureDpiY(const QImage& picture) {
    return dpiOf(picture.dotsPerMeterY());
}

QSizeF PictureSizeTwips(const QImage& picture) {
    if (picture.isNull())
        return {};
    return {picture.width() * TwipsPerInch / PictureDpi(picture),
            picture.height() * TwipsPerInch / pictureDpiY(picture)};
}

QImage ScaledDrawing(const QImage& picture, QSizeF sourceTwips, QSize target) {
    if (target.isEmpty())
        return {};
    QImage drawing(target, QImage::Format_RGB32);
    drawing.fill(Qt::white);
    if (picture.isNull())
        return drawing;
    const int width = std::min(
        picture.width(),
        static_cast<int>(roundHalfEven(sourceTwips.width() * PictureDpi(picture) / TwipsPerInch)));
    const int height = std::min(picture.height(),
                                static_cast<int>(roundHalfEven(
                                    sourceTwips.height() * pictureDpiY(picture) / TwipsPerInch)));
    if (width <= 0 || height <= 0)
        return drawing;
    // QImage::scaled averages the source area when shrinking; a painter's smooth transform only
    // interpolates neighbours and turns small type grainy at a quarter of the size.
    const QImage source = width == picture.width() && height == picture.height()
                              ? picture
                              : picture.copy(0, 0, width, height);
    const QImage scaled = source.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QPainter painter(&drawing);
    painter.drawImage(0, 0, scaled);
    return drawing;
}

} // namespace brindlecast
