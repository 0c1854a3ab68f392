// The preview by keyboard, wheel and touchpad: the zoom steps and bar numbers of the buttons.
#include "PreviewFixture.h"

#include <QAccessible>
#include <QApplication>
#include <QNativeGestureEvent>
#include <QPointingDevice>
#include <QTest>
#include <QWheelEvent>

namespace brindlecast::test {
namespace {

// The newsletter of the button tests: at 1.0 it fits across and is 384 tens of twips too high.
class PreviewKeysTest : public PreviewTest {
protected:
    PreviewKeysTest() {
        handOver(page(580, 751), workingDocument());
        QApplication::setActiveWindow(&form());
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form()));
    }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : &form(), key, modifiers);
    }
    void wheel(QWidget* over, QPoint angle, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
               QPoint pixels = {}) {
        const QPointF at(over->width() / 2.0, over->height() / 2.0);
        QWheelEvent event(at, over->mapToGlobal(at), pixels, angle, Qt::NoButton, modifiers,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(over, &event);
    }
    void pinch(Qt::NativeGestureType type, double value) {
        const QPointF at(100, 100);
        QNativeGestureEvent event(type, QPointingDevice::primaryPointingDevice(), 2, at, at,
                                  picture1()->mapToGlobal(at), value, {});
        QApplication::sendEvent(picture1(), &event);
    }
    float zoom() { return form().zoomState().mZoom; }
    // What one click of Zoom In from 1.0 gives.
    void expectZoomedInOnce() {
        EXPECT_EQ(zoom(), 1.25f);
        EXPECT_EQ(picture1()->twipsSize(), QSize(10872, 14078));
        EXPECT_EQ(picturePos(), QPointF(0, 0));
        EXPECT_EQ(form().hStep(), 10);
        EXPECT_EQ(hBar()->maximum(), 154);
        EXPECT_EQ(vBar()->maximum(), 665);
        EXPECT_EQ(hBar()->value(), 0);
        EXPECT_EQ(vBar()->value(), 0);
    }
};

TEST_F(PreviewKeysTest, TheWheelScrollsAndCtrlWheelZoomsLikeTheButtons) {
    wheel(picture1(), {0, -120}); // one notch: three lines of 300 twips
    EXPECT_EQ(vBar()->value(), 90);
    EXPECT_EQ(picturePos(), QPointF(0, -900));
    wheel(picture1(), {0, -60}, Qt::NoModifier, {0, -20}); // a touchpad's 20 pixels
    EXPECT_EQ(vBar()->value(), 120);
    wheel(picture1(), {0, 120});
    EXPECT_EQ(vBar()->value(), 30);

    wheel(child<QWidget>("Picture2"), {0, 120}, Qt::ControlModifier);
    expectZoomedInOnce();
    wheel(picture1(), {0, -120}, Qt::ShiftModifier);
    EXPECT_EQ(hBar()->value(), 90);
    EXPECT_EQ(picturePos(), QPointF(-900, 0));

    // A fine wheel zooms once its turns make a notch.
    wheel(picture1(), {0, -40}, Qt::ControlModifier);
    wheel(picture1(), {0, -40}, Qt::ControlModifier);
    EXPECT_EQ(zoom(), 1.25f);
    wheel(picture1(), {0, -40}, Qt::ControlModifier);
    EXPECT_EQ(zoom(), 1.0f);
    EXPECT_EQ(vBar()->maximum(), 384);
    wheel(picture1(), {0, -600}, Qt::ControlModifier);
    EXPECT_EQ(zoom(), 0.25f);
    EXPECT_FALSE(vBar()->isEnabled());
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(PreviewKeysTest, APinchZoomsByQuarterStepsAndTurnsBackAtOnce) {
    pinch(Qt::BeginNativeGesture, 0);
    pinch(Qt::ZoomNativeGesture, 0.1);
    pinch(Qt::ZoomNativeGesture, 0.1);
    EXPECT_EQ(zoom(), 1.0f);
    pinch(Qt::ZoomNativeGesture, 0.1);
    expectZoomedInOnce();
    pinch(Qt::ZoomNativeGesture, -0.25);
    EXPECT_EQ(zoom(), 1.0f);
}

TEST_F(PreviewKeysTest, KeysScrollTheBarsWhereverTheFocusIs) {
    for (const char* focus : {"PushButton1", "VScroll1"}) {
        SCOPED_TRACE(focus);
        child<QWidget>(focus)->setFocus();
        key(Qt::Key_Down);
        EXPECT_EQ(vBar()->value(), 30);
        EXPECT_EQ(picturePos(), QPointF(0, -300));
        key(Qt::Key_Down);
        key(Qt::Key_Up);
        EXPECT_EQ(vBar()->value(), 30);
        key(Qt::Key_End);
        EXPECT_EQ(picturePos(), QPointF(0, -3840));
        key(Qt::Key_Home);
        EXPECT_EQ(vBar()->value(), 0);
        // A page is the viewport less a line, more than this picture's whole range.
        key(Qt::Key_PageDown);
        EXPECT_EQ(vBar()->value(), 384);
        key(Qt::Key_PageUp);
        EXPECT_EQ(vBar()->value(), 0);
        key(Qt::Key_Right); // the picture fits across
        EXPECT_EQ(picturePos(), QPointF(0, 0));
    }
    key(Qt::Key_Plus, Qt::ControlModifier);
    key(Qt::Key_Right);
    EXPECT_EQ(hBar()->value(), 30);
    key(Qt::Key_PageDown);
    EXPECT_EQ(vBar()->value(), 665);
}

TEST_F(PreviewKeysTest, ZoomKeysAreTheButtons) {
    key(Qt::Key_Plus, Qt::ControlModifier);
    expectZoomedInOnce();
    vBar()->setValue(100);
    key(Qt::Key_Equal, Qt::ControlModifier); // 1.5 is over the size limit: refused
    expectZoomedInOnce();
    key(Qt::Key_Minus, Qt::ControlModifier);
    key(Qt::Key_Minus, Qt::ControlModifier);
    key(Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_EQ(zoom(), 0.5f);
    key(Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(zoom(), 1.0f);
    EXPECT_EQ(picture1()->twipsSize(), QSize(8698, 11263));
    EXPECT_EQ(vBar()->maximum(), 384);
    EXPECT_EQ(form().vStep(), 10);
    EXPECT_FALSE(hBar()->isEnabled());
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(PreviewKeysTest, CtrlSSavesEscapeGoesBackAndTheTooltipsSaySo) {
    EXPECT_EQ(child<QWidget>("PushButton1")->toolTip(), "Zoom In (Ctrl++)");
    EXPECT_EQ(child<QWidget>("PushButton2")->toolTip(), "Zoom Out (Ctrl+-)");
    EXPECT_EQ(child<QWidget>("PushButton6")->toolTip(), "Save Results To Word File (Ctrl+S)");
    EXPECT_EQ(child<QWidget>("PushButton8")->toolTip(), "Back (Esc)");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(picture1())->role(), QAccessible::Graphic);

    const QString working = form().wordFile();
    key(Qt::Key_S, Qt::ControlModifier); // the dialog is cancelled
    EXPECT_EQ(saveDialog.shown.size(), 1u);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].prompt, "Done.");

    key(Qt::Key_Escape);
    EXPECT_FALSE(form().isVisible());
    EXPECT_TRUE(mainForm.isVisible());
    EXPECT_FALSE(QFile::exists(working));
}

} // namespace
} // namespace brindlecast::test
