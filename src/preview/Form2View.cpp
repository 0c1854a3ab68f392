#include "Form2.h"
#include "PictureBox.h"
#include "PreviewViewport.h"
#include "ScrollModel.h"
#include "app/ErrorTrap.h"
#include "app/Services.h"
#include "app/Twips.h"
#include "app/WindowPointer.h"

#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QScrollBar>
#include <QWheelEvent>

namespace brindlecast {

void Form2::PushButton1_Click() {
    Trap trap{mServices.boxes, QStringLiteral("Form2"), QStringLiteral("PushButton1_Click")};
    trap.step(10, [&] { ZoomStep(ZoomDirection::In); });
}

void Form2::PushButton2_Click() {
    Trap trap{mServices.boxes, QStringLiteral("Form2"), QStringLiteral("PushButton2_Click")};
    trap.step(10, [&] { ZoomStep(ZoomDirection::Out); });
}

void Form2::ZoomStep(ZoomDirection direction) {
    SetZoom(NextZoom(mZoomState.mZoom, direction));
}

void Form2::SetZoom(float factor) {
    if (!ZoomInRange(factor))
        return;
    // A factor whose picture would break the size limit is refused before anything changes, so
    // the factor keeps describing the picture on screen; the picture only returns to the
    // top-left corner.
    if (mZoomState.apply(factor))
        RedrawImage();
    SetupScrollbars();
}

void Form2::RedrawImage() {
    Trap trap{mServices.boxes, QStringLiteral("Form2"), QStringLiteral("RedrawImage")};
    bool overLimit = false;
    trap.step(10, [&] {
        mZoomState.mCurWidth = ScaledSize(mZoomState.mOrigWidth, mZoomState.mZoom);
        mZoomState.mCurHeight = ScaledSize(mZoomState.mOrigHeight, mZoomState.mZoom);
    });
    trap.step(20, [&] { overLimit = OverSizeLimit(mZoomState.mCurWidth, mZoomState.mCurHeight); });
    if (overLimit) {
        // Only a picture that is already too large at its natural size gets here: it stays
        // shown as handed over, undrawn.
        trap.step(30, [&] {
            mZoomState.reset(UnscaledSize(Zoom_Ori->twipsSize().width()),
                             UnscaledSize(Zoom_Ori->twipsSize().height()));
        });
        return;
    }
    trap.step(40, [&] { Picture1->clearPicture(); });
    trap.step(50,
              [&] { Picture1->resizeTwips(QSize(mZoomState.mCurWidth, mZoomState.mCurHeight)); });
    trap.step(60, [&] {
        Picture1->paintPicture(Zoom_Ori->picture(),
                               QSizeF(mZoomState.mOrigWidth, mZoomState.mOrigHeight));
    });
    trap.step(70, [&] { mPointer->setMousePointer(Pointer::Default); });
    trap.step(80, [&] { HScroll1->setValue(0); });
    trap.step(90, [&] { VScroll1->setValue(0); });
    trap.step(100, [&] {
        const QSize inner = Picture2->innerTwips();
        HScroll1->setEnabled(inner.width() < mZoomState.mCurWidth);
        VScroll1->setEnabled(inner.height() < mZoomState.mCurHeight);
    });
}

void Form2::SetupScrollbars() {
    Picture1->moveTwips(QPointF(0, 0));
    const QSize viewport = Picture2->outerTwips();
    const QSize picture = Picture1->twipsSize();
    const auto setUp = [](QScrollBar* bar, int& step, BarSetup setup) {
        step = setup.step;
        bar->setEnabled(setup.enabled);
        if (!setup.enabled)
            return;
        bar->setValue(0);
        bar->setMaximum(setup.maximum);
    };
    setUp(HScroll1, mHStep, SetupBar(picture.width(), viewport.width()));
    setUp(VScroll1, mVStep, SetupBar(picture.height(), viewport.height()));
}

void Form2::HScroll1_Change(int value) {
    Picture1->moveTwips(QPointF(PositionForBarValue(mHStep, value), Picture1->twipsPos().y()));
}

void Form2::VScroll1_Change(int value) {
    Picture1->moveTwips(QPointF(Picture1->twipsPos().x(), PositionForBarValue(mVStep, value)));
}

void Form2::SetHScrollbarByPercent(QScrollBar* HScrollbar, int percent) {
    setBarByPercent(HScrollbar, percent);
}

void Form2::SetVScrollbarByPercent(QScrollBar* VScrollbar, int percent) {
    setBarByPercent(VScrollbar, percent);
}

void Form2::setBarByPercent(QScrollBar* bar, int percent) {
    if (const auto value = BarValueForPercent(percent, bar->maximum()))
        bar->setValue(*value);
}

bool Form2::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Picture1 || watched == Picture2) {
        // Taken here, so that they never also reach the viewport under the picture.
        if (event->type() == QEvent::Wheel) {
            event->accept();
            Picture1_MouseWheel(static_cast<QWheelEvent*>(event));
            return true;
        }
        if (event->type() == QEvent::NativeGesture) {
            event->accept();
            Picture1_Pinch(static_cast<QNativeGestureEvent*>(event));
            return true;
        }
    }
    if (watched == Picture1) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            Picture1_MouseDown(static_cast<QMouseEvent*>(event));
            return true;
        case QEvent::MouseMove:
            Picture1_MouseMove(static_cast<QMouseEvent*>(event));
            return true;
        case QEvent::MouseButtonRelease:
            Picture1_MouseUp(static_cast<QMouseEvent*>(event));
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Form2::Picture1_MouseDown(QMouseEvent* event) {
    Trap trap{mServices.boxes, QStringLiteral("Form2"), QStringLiteral("picture1_MouseDown")};
    const QPointF at = event->position() * TwipsPerPixel;
    trap.step(10, [&] { mAnchorX = static_cast<float>(at.x()); });
    trap.step(20, [&] { mAnchorY = static_cast<float>(at.y()); });
}

void Form2::Picture1_MouseMove(QMouseEvent* event) {
    if (event->buttons() == Qt::NoButton)
        return;
    Trap trap{mServices.boxes, QStringLiteral("Form2"), QStringLiteral("picture1_MouseMove")};
    const QPointF at = event->position() * TwipsPerPixel;
    const QPointF pos = Picture1->twipsPos();
    const QSize inner = Picture2->innerTwips();
    const QSize outer = Picture2->outerTwips();
    const QSize picture = Picture1->twipsSize();
    float left = static_cast<float>(pos.x());
    float top = static_cast<float>(pos.y());
    trap.step(10, [&] {
        left = DragPosition(left, mAnchorX, static_cast<float>(at.x()), inner.width(),
                            outer.width(), picture.width());
    });
    trap.step(20, [&] {
        top = DragPosition(top, mAnchorY, static_cast<float>(at.y()), inner.height(),
                           outer.height(), picture.height());
    });
    trap.step(30, [&] { Picture1->moveTwips(QPointF(left, top)); });
}

void Form2::Picture1_MouseUp(QMouseEvent*) {
    Trap trap{mServices.boxes, QStringLiteral("Form2"), QStringLiteral("Picture1_MouseUp")};
    const QSize outer = Picture2->outerTwips();
    int horizontal = 0;
    int vertical = 0;
    trap.step(10, [&] {
        horizontal = ReleasePercent(static_cast<float>(Picture1->twipsPos().x()),
                                    Picture1->twipsSize().width(), outer.width());
    });
    trap.step(20, [&] {
        vertical = ReleasePercent(static_cast<float>(Picture1->twipsPos().y()),
                                  Picture1->twipsSize().height(), outer.height());
    });
    trap.step(30, [&] { SetHScrollbarByPercent(HScroll1, horizontal); });
    trap.step(40, [&] { SetVScrollbarByPercent(VScroll1, vertical); });
}

} // namespace brindlecast
