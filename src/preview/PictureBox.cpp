#include "PictureBox.h"

#include "PictureScaling.h"
#include "app/Twips.h"

#include <QPaintEvent>
#include <QPainter>
#include <cmath>
#include <new>

namespace brindlecast {

PictureBox::PictureBox(QWidget* parent)
    : QWidget(parent) {
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
    // Opaque: nothing underneath needs repainting when the picture moves.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

int PictureBox::pixelsOf(double twips) {
    return static_cast<int>(roundHalfEven(twips / TwipsPerPixel));
}

void PictureBox::setPicture(const QImage& picture) {
    mPicture = picture;
    const QSizeF natural = PictureSizeTwips(picture);
    resizeTwips(QSize(static_cast<int>(roundHalfEven(natural.width())),
                      static_cast<int>(roundHalfEven(natural.height()))));
    mDrawing = QPixmap();
    // Drawn when first painted: a hidden holder never pays for a drawing.
    mDrawingStale = !picture.isNull();
    update();
}

void PictureBox::clearPicture() {
    mPicture = QImage();
    mDrawing = QPixmap();
    mDrawingStale = false;
    update();
}

QSize PictureBox::devicePixels() const {
    const qreal ratio = devicePixelRatioF();
    return {static_cast<int>(std::lround(width() * ratio)),
            static_cast<int>(std::lround(height() * ratio))};
}

void PictureBox::paintPicture(const QImage& picture, QSizeF sourceTwips) {
    const QSize target = devicePixels();
    mDrawingStale = false;
    mDrawing = QPixmap();
    if (!target.isEmpty()) {
        const QImage drawing = ScaledDrawing(picture, sourceTwips, target);
        if (drawing.isNull())
            throw std::bad_alloc();
        mDrawing = QPixmap::fromImage(drawing);
        mDrawing.setDevicePixelRatio(devicePixelRatioF());
    }
    update();
}

void PictureBox::moveTwips(QPointF pos) {
    mPos = pos;
    move(pixelsOf(pos.x()), pixelsOf(pos.y()));
}

void PictureBox::resizeTwips(QSize size) {
    mSize = size;
    resize(pixelsOf(size.width()), pixelsOf(size.height()));
}

void PictureBox::paintEvent(QPaintEvent* event) {
    if (mDrawingStale) {
        mDrawingStale = false;
        const QImage drawing = ScaledDrawing(mPicture, PictureSizeTwips(mPicture), devicePixels());
        mDrawing = QPixmap::fromImage(drawing);
        mDrawing.setDevicePixelRatio(devicePixelRatioF());
    }
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::white);
    if (!mDrawing.isNull())
        painter.drawPixmap(0, 0, mDrawing);
}

} // namespace brindlecast
