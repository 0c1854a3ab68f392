// The picture of the main text, as the preview shows it.
#include "UserClipboard.h"
#include "WordObjects.h"
#include "app/Clipboard.h"

#include <algorithm>
#include <cmath>

namespace brindlecast::engine::word {

namespace {

// Tall enough for several pages, small enough to be made at all.
constexpr int TallestPicture = 16384;

QSize pixelSize(QSizeF natural, PictureSize size) {
    const int width = size.logicalWidth * size.scale;
    if (natural.width() <= 0 || natural.height() <= 0)
        return {width, int(std::lround(width * 11.0 / 8.5))};
    const auto height = std::lround(width * natural.height() / natural.width());
    return {width, int(std::clamp<long>(height, 1, TallestPicture))};
}

// The metafile drawn at the preview's resolution, on white as the page is.
QImage renderMetafile(HENHMETAFILE metafile, PictureSize size) {
    ENHMETAHEADER header{};
    if (!GetEnhMetaFileHeader(metafile, sizeof header, &header))
        throw EngineError("Word's picture of the newsletter cannot be read.");
    const RECTL& frame = header.rclFrame; // in hundredths of a millimetre
    const RECTL& bounds = header.rclBounds;
    const QSizeF natural = frame.right > frame.left && frame.bottom > frame.top
                               ? QSizeF(frame.right - frame.left, frame.bottom - frame.top)
                               : QSizeF(bounds.right - bounds.left, bounds.bottom - bounds.top);
    const QSize target = pixelSize(natural, size);

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = target.width();
    info.bmiHeader.biHeight = -target.height(); // top row first, as QImage has it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC device = CreateCompatibleDC(nullptr);
    HBITMAP canvas =
        device ? CreateDIBSection(device, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
    QImage picture;
    if (canvas && bits) {
        HGDIOBJ before = SelectObject(device, canvas);
        const RECT all{0, 0, target.width(), target.height()};
        FillRect(device, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        SetStretchBltMode(device, HALFTONE);
        const bool drawn = PlayEnhMetaFile(device, metafile, &all) != 0;
        GdiFlush();
        if (drawn)
            picture = QImage(static_cast<const uchar*>(bits), target.width(), target.height(),
                             target.width() * 4, QImage::Format_RGB32)
                          .copy();
        SelectObject(device, before);
    }
    if (canvas)
        DeleteObject(canvas);
    if (device)
        DeleteDC(device);
    if (picture.isNull())
        throw EngineError("Word's picture of the newsletter cannot be drawn.");
    // GDI leaves the fourth byte of each pixel at zero; Qt reads it as opaque only at 0xff.
    for (int y = 0; y < picture.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            row[x] |= 0xFF000000u;
    }
    return picture;
}

QImage scaledBitmap(const QImage& bitmap, PictureSize size) {
    const QSize target = pixelSize(bitmap.size(), size);
    return bitmap.convertToFormat(QImage::Format_RGB32)
        .scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace

void WordRange::copyAsPicture() {
    UserClipboard userClipboard;
    mRange.call(L"CopyAsPicture");
    const ClipboardPicture taken = userClipboard.takePicture();
    userClipboard.restore();

    PictureSize size = mSession.pictureSize;
    QImage picture = taken.metafile() ? renderMetafile(taken.metafile(), size)
                                      : scaledBitmap(taken.bitmap(), size);
    // The resolution it was drawn at, so that its size in twips is the page's.
    const int dotsPerMeter = int(std::lround(96.0 * size.scale / 0.0254));
    picture.setDotsPerMeterX(dotsPerMeter);
    picture.setDotsPerMeterY(dotsPerMeter);
    mSession.clipboard.setPicture(picture);
}

} // namespace brindlecast::engine::word
