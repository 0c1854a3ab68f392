#include "PictureBox.h"

#include "PictureScaling.h"
#include "app/Theme.h"
#include "app/Twips.h"

#include <QAccessibleWidget>
#include <QPaintEvent>
#include <QPainter>
#include <cmath>
#include <new>

namespace brindlecast {

namespace {

// A screen reader presents the box as the picture it shows, not as an empty pane.
QAccessibleInterface* AccessiblePicture(const QString& className, QObject* object) {
    if (className == QLatin1String(PictureBox::staticMetaObject.className()) && object &&
        object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Graphic);
    return nullptr;
}

} // namespace

PictureBox::PictureBox(QWidget* parent)
    : QWidget(parent) {
    static const bool accessible = [] {
        QAccessible::installFactory(AccessiblePicture);
        return true;
    }();
    Q_UNUSED(accessible)
    setProperty(PictureBoxProperty, true);
    SetWhiteBackground(this);
    // Opaque: nothing underneath needs repainting when the picture moves.
    setAttribute(Qt::WA_OpaquePaintEvent);
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

void PictureBox::keepDrawing(const QImage& picture, QSizeF sourceTwips) {
    const QSize target = devicePixels();
    mDrawingStale = false;
    mDrawing = QPixmap();
    if (target.isEmpty())
        return;
    const QImage drawing = ScaledDrawing(picture, sourceTwips, target);
    if (drawing.isNull())
        throw std::bad_alloc();
    mDrawing = QPixmap::fromImage(drawing);
    mDrawing.setDevicePixelRatio(devicePixelRatioF());
}

void PictureBox::paintPicture(const QImage& picture, QSizeF sourceTwips) {
    keepDrawing(picture, sourceTwips);
    update();
}

void PictureBox::moveTwips(QPointF pos) {
    mPos = pos;
    move(twipsToPixels(pos.x()), twipsToPixels(pos.y()));
}

void PictureBox::resizeTwips(QSize size) {
    mSize = size;
    resize(twipsToPixels(size.width()), twipsToPixels(size.height()));
}

void PictureBox::paintEvent(QPaintEvent* event) {
    if (mDrawingStale) {
        // A surface that cannot be had leaves the box white rather than ending the paint.
        try {
            keepDrawing(mPicture, PictureSizeTwips(mPicture));
        } catch (const std::bad_alloc&) {
        }
    }
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::white);
    if (!mDrawing.isNull())
        painter.drawPixmap(0, 0, mDrawing);
}

} // namespace brindlecast

#include "moc_PictureBox.cpp"
