// The preview as people drive any picture viewer: the keyboard, the wheel and the touchpad. Every
// zoom goes through the zoom buttons' own handlers and every scroll through the scroll bars, so
// the bars, the steps and the picture's place follow exactly as after a click.
#include "Form2.h"
#include "PictureBox.h"
#include "PreviewViewport.h"
#include "ScrollModel.h"
#include "app/ErrorTrap.h"
#include "app/Services.h"
#include "app/Twips.h"

#include <QApplication>
#include <QKeySequence>
#include <QNativeGestureEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QWheelEvent>

namespace brindlecast {

namespace {

// A wheel's notch, in the eighths of a degree that wheel events count.
constexpr double WheelNotch = 120.0;

QString withKeys(const QString& what, const QKeySequence& keys) {
    return QStringLiteral("%1 (%2)").arg(what, keys.toString(QKeySequence::NativeText));
}

} // namespace

void Form2::buildKeys() {
    // Window-wide, so that the keys scroll and zoom wherever the focus is, a button or a bar.
    const auto on = [this](const QKeySequence& keys, auto handler) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this, handler);
    };
    const auto key = [this, &on](const QKeySequence& keys, PreviewKey what) {
        on(keys, [this, what] { Form_KeyDown(what); });
    };
    key(QKeySequence(Qt::Key_Up), PreviewKey::LineUp);
    key(QKeySequence(Qt::Key_Down), PreviewKey::LineDown);
    key(QKeySequence(Qt::Key_Left), PreviewKey::LineLeft);
    key(QKeySequence(Qt::Key_Right), PreviewKey::LineRight);
    key(QKeySequence(Qt::Key_PageUp), PreviewKey::PageUp);
    key(QKeySequence(Qt::Key_PageDown), PreviewKey::PageDown);
    key(QKeySequence(Qt::Key_Home), PreviewKey::Top);
    key(QKeySequence(Qt::Key_End), PreviewKey::Bottom);
    key(QKeySequence(Qt::CTRL | Qt::Key_0), PreviewKey::ActualSize);

    const QKeySequence zoomIn(Qt::CTRL | Qt::Key_Plus);
    const QKeySequence zoomOut(Qt::CTRL | Qt::Key_Minus);
    const QKeySequence save(Qt::CTRL | Qt::Key_S);
    const QKeySequence back(Qt::Key_Escape);
    on(zoomIn, &Form2::PushButton1_Click);
    // Where "+" needs Shift, the same key without it.
    on(QKeySequence(Qt::CTRL | Qt::Key_Equal), &Form2::PushButton1_Click);
    on(zoomOut, &Form2::PushButton2_Click);
    on(save, &Form2::PushButton6_Click);
    on(back, &Form2::PushButton8_Click);
    PushButton1->setToolTip(withKeys(PushButton1->text(), zoomIn));
    PushButton2->setToolTip(withKeys(PushButton2->text(), zoomOut));
    PushButton6->setToolTip(withKeys(PushButton6->text(), save));
    PushButton8->setToolTip(withKeys(PushButton8->accessibleName(), back));

    // The wheel and a pinch also act over the white around a picture smaller than the viewport.
    Picture2->installEventFilter(this);
}

void Form2::Form_KeyDown(PreviewKey key) {
    Trap trap{mServices.boxes, QStringLiteral("Form2"), QStringLiteral("Form_KeyDown")};
    // A page keeps one line of the last in sight, to read on from.
    const double page = Picture2->innerTwips().height() - LineScrollTwips;
    trap.step(10, [&] {
        switch (key) {
        case PreviewKey::LineUp:
            return scrollBy(VScroll1, mVStep, -LineScrollTwips);
        case PreviewKey::LineDown:
            return scrollBy(VScroll1, mVStep, LineScrollTwips);
        case PreviewKey::LineLeft:
            return scrollBy(HScroll1, mHStep, -LineScrollTwips);
        case PreviewKey::LineRight:
            return scrollBy(HScroll1, mHStep, LineScrollTwips);
        case PreviewKey::PageUp:
            return scrollBy(VScroll1, mVStep, -page);
        case PreviewKey::PageDown:
            return scrollBy(VScroll1, mVStep, page);
        case PreviewKey::Top:
            return scrollBy(VScroll1, mVStep, -double(VScroll1->maximum()) * mVStep);
        case PreviewKey::Bottom:
            return scrollBy(VScroll1, mVStep, double(VScroll1->maximum()) * mVStep);
        case PreviewKey::ActualSize:
            return SetZoom(1.0f);
        }
    });
}

void Form2::scrollBy(QScrollBar* bar, int step, double twips) {
    if (bar->isEnabled())
        bar->setValue(BarValueAfterScroll(bar->value(), bar->maximum(), step, twips));
}

void Form2::zoomBySteps(int steps) {
    for (; steps > 0; --steps)
        PushButton1_Click();
    for (; steps < 0; ++steps)
        PushButton2_Click();
}

void Form2::Picture1_MouseWheel(QWheelEvent* event) {
    const QPoint angle = event->angleDelta();
    if (event->modifiers() & Qt::ControlModifier) {
        zoomBySteps(
            TakeWholeSteps(mPendingWheelZoom, angle.y() != 0 ? angle.y() : angle.x(), WheelNotch));
        return;
    }
    // A touchpad says how far the fingers went; a wheel, by how many notches it turned.
    QPointF twips =
        event->pixelDelta().isNull()
            ? QPointF(angle) / WheelNotch * QApplication::wheelScrollLines() * LineScrollTwips
            : QPointF(event->pixelDelta()) * TwipsPerPixel;
    // Shift turns a plain wheel sideways, as in other programs.
    if ((event->modifiers() & Qt::ShiftModifier) && twips.x() == 0)
        twips = QPointF(twips.y(), 0);
    // Turned away from the user, the wheel shows what lies above: the bars go back.
    scrollBy(HScroll1, mHStep, -twips.x());
    scrollBy(VScroll1, mVStep, -twips.y());
}

void Form2::Picture1_Pinch(QNativeGestureEvent* event) {
    if (event->gestureType() == Qt::BeginNativeGesture)
        mPendingPinch = 0.0;
    // The gesture reports how much larger the fingers made it since the last event.
    if (event->gestureType() == Qt::ZoomNativeGesture)
        zoomBySteps(TakeWholeSteps(mPendingPinch, event->value(), ZoomIncrement));
}

} // namespace brindlecast
