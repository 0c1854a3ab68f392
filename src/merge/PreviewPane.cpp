#include "PreviewPane.h"

#include "preview/ZoomModel.h"

#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace brindlecast {

namespace {

// A wheel's notch, in the eighths of a degree that wheel events count.
constexpr int WheelNotch = 120;

} // namespace

PreviewPane::PreviewPane(QWidget* parent)
    : QScrollArea(parent)
    , mLabel(new QLabel(this)) {
    mLabel->setAlignment(Qt::AlignCenter);
    mLabel->setWordWrap(true);
    mLabel->setMargin(12);
    setWidget(mLabel);
    setAlignment(Qt::AlignCenter);
    setWidgetResizable(false);
    setBackgroundRole(QPalette::Dark);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::OpenHandCursor);
}

void PreviewPane::showPicture(const QImage& picture, const QString& description) {
    mPicture = picture;
    mLabel->setAccessibleName(description);
    mLabel->setAccessibleDescription(description);
    mLabel->setToolTip(description);
    rescale();
}

void PreviewPane::showText(const QString& text) {
    mPicture = QImage();
    mLabel->setPixmap(QPixmap());
    mLabel->setText(text);
    mLabel->setAccessibleName(text);
    mLabel->setToolTip(QString());
    mLabel->resize(viewport()->size());
}

QString PreviewPane::description() const {
    return mLabel->accessibleName();
}

double PreviewPane::shownFactor() const {
    if (mZoom > 0 || mPicture.isNull())
        return mZoom;
    // Fitted: the page's width in the pane, less room for the bar beside it.
    const int room = viewport()->width() - verticalScrollBar()->sizeHint().width();
    return std::max(double(MinZoom), double(room) / mPicture.width());
}

void PreviewPane::rescale() {
    if (mPicture.isNull())
        return;
    const double factor = shownFactor();
    const QSize size(std::max(1, int(std::lround(mPicture.width() * factor))),
                     std::max(1, int(std::lround(mPicture.height() * factor))));
    const qreal ratio = devicePixelRatioF();
    QPixmap shown = QPixmap::fromImage(
        mPicture.scaled(size * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    shown.setDevicePixelRatio(ratio);
    mLabel->setText(QString());
    mLabel->setPixmap(shown);
    mLabel->resize(size);
}

void PreviewPane::step(int direction) {
    if (mPicture.isNull())
        return;
    // From a fitted width the steps go on from the nearest quarter.
    const double from = mZoom > 0 ? mZoom : std::round(shownFactor() * 4) / 4;
    const double to =
        std::clamp(from + direction * double(ZoomIncrement), double(MinZoom), double(MaxZoom));
    if (to == mZoom)
        return;
    mZoom = to;
    rescale();
    emit zoomChanged();
}

void PreviewPane::zoomIn() {
    step(+1);
}

void PreviewPane::zoomOut() {
    step(-1);
}

void PreviewPane::actualSize() {
    mZoom = 1.0;
    rescale();
    emit zoomChanged();
}

void PreviewPane::fitWidth() {
    mZoom = 0;
    rescale();
    emit zoomChanged();
}

void PreviewPane::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    if (mPicture.isNull())
        mLabel->resize(viewport()->size());
    else if (mZoom == 0)
        rescale();
}

bool PreviewPane::viewportEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::Wheel: {
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (!(wheel->modifiers() & Qt::ControlModifier))
            break;
        const int notches = wheel->angleDelta().y() / WheelNotch;
        for (int i = 0; i < std::abs(notches); ++i)
            step(notches > 0 ? +1 : -1);
        return true;
    }
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            break;
        mDragging = true;
        mDragFrom = mouse->position().toPoint();
        viewport()->setCursor(Qt::ClosedHandCursor);
        return true;
    }
    case QEvent::MouseMove: {
        if (!mDragging)
            break;
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint moved = mouse->position().toPoint() - mDragFrom;
        mDragFrom = mouse->position().toPoint();
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() - moved.x());
        verticalScrollBar()->setValue(verticalScrollBar()->value() - moved.y());
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (!mDragging)
            break;
        mDragging = false;
        viewport()->setCursor(Qt::OpenHandCursor);
        return true;
    default:
        break;
    }
    return QScrollArea::viewportEvent(event);
}

} // namespace brindlecast

#include "moc_PreviewPane.cpp"
