#include "PreviewFixture.h"
#include "app/Theme.h"
#include "app/Twips.h"
#include "app/WindowPointer.h"
#include "preview/PreviewViewport.h"

#include <QAccessible>
#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QGroupBox>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>

namespace brindlecast::test {
namespace {

// 580 x 751 pixels at 96 dpi: 8700 x 11265 twips, unscaled 8698 x 11263. It fits the viewport's
// width (9330) and is 3838 twips higher than it (7425): step 10, maximum 384.
QImage newsletter() {
    return page(580, 751);
}

TEST_F(PreviewTest, LayoutFollowsTheTwipsTable) {
    handOver(newsletter(), workingDocument());
    EXPECT_EQ(form().size(), QSize(656, 626));
    EXPECT_EQ(form().minimumSize(), form().maximumSize());
    EXPECT_FALSE(form().windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(form().windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(form().windowTitle(), "Brindlecast");
    EXPECT_TRUE(form().font().bold());
    EXPECT_EQ(form().font().pointSizeF(), 9.0);
    const std::pair<const char*, QRect> table[] = {
        {"Picture2", {8, 8, 622, 495}},     {"VScroll1", {630, 8, 17, 495}},
        {"HScroll1", {8, 503, 622, 17}},    {"Frame1", {8, 524, 640, 57}},
        {"PushButton1", {16, 20, 296, 27}}, {"PushButton2", {320, 20, 304, 27}},
        {"PushButton8", {8, 590, 312, 27}}, {"PushButton6", {328, 590, 320, 27}},
        {"Zoom_Ori", {688, 32, 49, 25}},
    };
    for (const auto& [name, rect] : table)
        EXPECT_EQ(child<QWidget>(name)->geometry().topLeft(), rect.topLeft()) << name;
    for (const auto& [name, rect] : table) {
        if (QLatin1String(name) != QLatin1String("Zoom_Ori")) {
            EXPECT_EQ(child<QWidget>(name)->size(), rect.size()) << name;
        }
    }
    EXPECT_EQ(child<QGroupBox>("Frame1")->title(), "Zoom:");
    EXPECT_FALSE(child<QWidget>("Zoom_Ori")->isVisible());
    EXPECT_EQ(picture1()->parentWidget(), child<QWidget>("Picture2"));
    for (const char* name : {"PushButton1", "PushButton2", "PushButton6", "PushButton8"}) {
        EXPECT_EQ(child<QPushButton>(name)->font().pointSizeF(), 11.25) << name;
        EXPECT_TRUE(child<QPushButton>(name)->font().bold()) << name;
    }
    EXPECT_EQ(child<QPushButton>("PushButton6")->text(), "Save Results To Word File");
    EXPECT_EQ(child<QPushButton>("PushButton8")->text(), "< Back");
}

TEST_F(PreviewTest, EveryControlAndThePictureCarryWhatAScreenReaderSays) {
    handOver(newsletter(), workingDocument());
    const auto said = [this](const char* name, QAccessible::Text text) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(child<QWidget>(name));
        return face ? face->text(text) : QStringLiteral("<none>");
    };
    const std::pair<const char*, const char*> controls[] = {
        {"PushButton1", "Zoom In"},
        {"PushButton2", "Zoom Out"},
        {"PushButton8", "Back"},
        {"PushButton6", "Save Results To Word File"},
        {"HScroll1", "Scroll Left and Right"},
        {"VScroll1", "Scroll Up and Down"},
        {"Frame1", "Zoom"},
        {"Picture1", "Newsletter Preview"}};
    for (const auto& [name, expected] : controls)
        EXPECT_EQ(said(name, QAccessible::Name), expected) << name;
    EXPECT_TRUE(
        said("Picture1", QAccessible::Description).contains("first page of the newsletter"));
}

TEST_F(PreviewTest, ComesUpInTheMiddleOfTheScreenOnceAndThenStaysWhereItWasPut) {
    handOver(newsletter(), workingDocument());
    const QRect screen = form().screen()->availableGeometry();
    EXPECT_EQ(QRect(form().pos(), form().size()).center(), screen.center());
    form().move(20, 30);
    click("PushButton8");
    handOver(newsletter(), workingDocument());
    EXPECT_EQ(form().pos(), QPoint(20, 30));
}

TEST_F(PreviewTest, HandOverShowsThePictureAtNaturalSizeWithBarsForIt) {
    handOver(newsletter(), workingDocument());
    EXPECT_FALSE(mainForm.isVisible());
    const ZoomState& state = form().zoomState();
    EXPECT_EQ(state.mZoom, 1.0f);
    EXPECT_EQ(state.mOrigWidth, 8698);
    EXPECT_EQ(state.mOrigHeight, 11263);
    EXPECT_EQ(picture1()->twipsSize(), QSize(8698, 11263));
    EXPECT_EQ(picture1()->size(), QSize(580, 751));
    EXPECT_EQ(picturePos(), QPointF(0, 0));
    EXPECT_FALSE(hBar()->isEnabled());
    EXPECT_EQ(form().hStep(), 0);
    EXPECT_TRUE(vBar()->isEnabled());
    EXPECT_EQ(form().vStep(), 10);
    EXPECT_EQ(vBar()->maximum(), 384);
    EXPECT_EQ(vBar()->value(), 0);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(PreviewTest, ZoomStepsRedrawTheUnscaledPictureAndStopBeforeTheLimit) {
    handOver(newsletter(), workingDocument());
    vBar()->setValue(100);
    click("PushButton1");
    EXPECT_EQ(form().zoomState().mZoom, 1.25f);
    EXPECT_EQ(picture1()->twipsSize(), QSize(10872, 14078));
    EXPECT_EQ(picturePos(), QPointF(0, 0));
    EXPECT_EQ(vBar()->value(), 0);
    EXPECT_EQ(form().hStep(), 10);
    EXPECT_EQ(hBar()->maximum(), 154);
    EXPECT_EQ(vBar()->maximum(), 665);

    // 1.5 would be 16894 twips high: refused, and the picture keeps its scale.
    vBar()->setValue(100);
    click("PushButton1");
    EXPECT_EQ(form().zoomState().mZoom, 1.25f);
    EXPECT_EQ(picture1()->twipsSize(), QSize(10872, 14078));
    EXPECT_EQ(picturePos(), QPointF(0, 0));
    EXPECT_EQ(vBar()->value(), 0);
    EXPECT_EQ(vBar()->maximum(), 665);

    click("PushButton2");
    EXPECT_EQ(form().zoomState().mZoom, 1.0f);
    EXPECT_EQ(picture1()->twipsSize(), QSize(8698, 11263));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(PreviewTest, ZoomOutStopsAtAQuarterWithBothBarsDisabled) {
    handOver(newsletter(), workingDocument());
    for (int i = 0; i < 4; ++i)
        click("PushButton2");
    EXPECT_EQ(form().zoomState().mZoom, 0.25f);
    EXPECT_EQ(picture1()->twipsSize(), QSize(2174, 2815));
    EXPECT_FALSE(hBar()->isEnabled());
    EXPECT_FALSE(vBar()->isEnabled());
    EXPECT_EQ(form().vStep(), 0);
}

TEST_F(PreviewTest, SmallPictureZoomsToFourTimesAndNoFurther) {
    handOver(page(150, 150), workingDocument()); // 2250 twips, unscaled 2248
    for (int i = 0; i < 13; ++i)
        click("PushButton1");
    EXPECT_EQ(form().zoomState().mZoom, 4.0f);
    EXPECT_EQ(picture1()->twipsSize(), QSize(8992, 8992));
    EXPECT_EQ(form().vStep(), 10);
    EXPECT_EQ(vBar()->maximum(), 157); // 1567 to tens
}

TEST_F(PreviewTest, PictureOverTheLimitStaysAtNaturalSizeUntilZoomedOut) {
    handOver(page(800, 1000), workingDocument()); // 12000 x 15000 twips
    EXPECT_EQ(form().zoomState().mZoom, 1.0f);
    EXPECT_EQ(picture1()->twipsSize(), QSize(12000, 15000));
    EXPECT_EQ(hBar()->maximum(), 267);
    click("PushButton1");
    EXPECT_EQ(form().zoomState().mZoom, 1.0f);
    EXPECT_EQ(picture1()->twipsSize(), QSize(12000, 15000));
    click("PushButton2");
    EXPECT_EQ(form().zoomState().mZoom, 0.75f);
    EXPECT_EQ(picture1()->twipsSize(), QSize(8998, 11248));
    click("PushButton2");
    click("PushButton2");
    EXPECT_EQ(form().zoomState().mZoom, 0.25f);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(PreviewTest, BarsMoveThePictureBySingleTwipsOrTens) {
    // 1440 dpi: a pixel is a twip. 9392 wide: unscaled 9390, 60 more than the viewport.
    QImage wide = page(9392, 100, 1440);
    handOver(wide, workingDocument());
    EXPECT_EQ(form().hStep(), 1);
    EXPECT_EQ(hBar()->maximum(), 60);
    EXPECT_FALSE(vBar()->isEnabled());
    hBar()->setValue(45);
    EXPECT_EQ(picturePos(), QPointF(-45, 0));
    EXPECT_EQ(picture1()->pos(), QPoint(-3, 0));

    click("PushButton8");
    handOver(newsletter(), workingDocument());
    vBar()->setValue(384);
    EXPECT_EQ(picturePos(), QPointF(0, -3840));
    EXPECT_EQ(picture1()->pos(), QPoint(0, -256));
}

TEST_F(PreviewTest, ThumbMovesThePictureOnlyWhenReleased) {
    handOver(newsletter(), workingDocument());
    vBar()->setSliderDown(true);
    vBar()->setSliderPosition(100);
    EXPECT_EQ(picturePos(), QPointF(0, 0));
    vBar()->setSliderDown(false);
    EXPECT_EQ(picturePos(), QPointF(0, -1000));
}

// 700 x 900 pixels: unscaled 10498 x 13498, 1168 wider and 6073 higher than the viewport:
// bars of maximum 117 and 607.
class DragTest : public PreviewTest, public ::testing::WithParamInterface<Qt::MouseButton> {};

TEST_P(DragTest, PictureFollowsThePointerAndBarsFollowOnRelease) {
    handOver(page(700, 900), workingDocument());
    const Qt::MouseButton button = GetParam();
    PictureBox* picture = picture1();
    QTest::mousePress(picture, button, {}, QPoint(300, 300));
    QTest::mouseMove(picture, QPoint(250, 260));
    EXPECT_EQ(picturePos(), QPointF(-750, -600));
    EXPECT_EQ(picture->pos(), QPoint(-50, -40));
    EXPECT_EQ(hBar()->value(), 0); // bars wait for the release
    // The anchor stays under the pointer: the same point inside the picture.
    QTest::mouseRelease(picture, button, {}, QPoint(300, 300));
    // 750 / 1168 = 64 %, 64 % of 117 = 75; 600 / 6073 = 10 %, 10 % of 607 = 61.
    EXPECT_EQ(hBar()->value(), 75);
    EXPECT_EQ(vBar()->value(), 61);
    EXPECT_EQ(picturePos(), QPointF(-750, -610));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_P(DragTest, PictureStopsAtTheViewportEdgesAndBarsGoToTheirEnds) {
    handOver(page(700, 900), workingDocument());
    drag(GetParam(), {100, 100}, {300, 300});
    EXPECT_EQ(picturePos(), QPointF(0, 0));
    EXPECT_EQ(hBar()->value(), 0);

    const Qt::MouseButton button = GetParam();
    PictureBox* picture = picture1();
    QTest::mousePress(picture, button, {}, QPoint(600, 480));
    QTest::mouseMove(picture, QPoint(1, 1)); // (0, 0) would mean the centre to QTest
    EXPECT_EQ(picturePos(), QPointF(9330 - 10498, 7425 - 13498));
    QTest::mouseRelease(picture, button, {}, QPoint(600, 480) - picture->pos());
    EXPECT_EQ(hBar()->value(), hBar()->maximum());
    EXPECT_EQ(vBar()->value(), vBar()->maximum());
    EXPECT_EQ(picturePos(), QPointF(-1170, -6070));
}

INSTANTIATE_TEST_SUITE_P(AnyButton, DragTest,
                         ::testing::Values(Qt::LeftButton, Qt::RightButton, Qt::MiddleButton));

TEST_F(PreviewTest, MovingWithoutAButtonDoesNothingAndAClickSetsTheBars) {
    handOver(page(700, 900), workingDocument());
    PictureBox* picture = picture1();
    QTest::mousePress(picture, Qt::LeftButton, {}, QPoint(300, 300));
    QTest::mouseRelease(picture, Qt::LeftButton, {}, QPoint(300, 300));
    QMouseEvent hover(QEvent::MouseMove, QPointF(100, 100), picture->mapToGlobal(QPointF(100, 100)),
                      Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(picture, &hover);
    EXPECT_EQ(picturePos(), QPointF(0, 0));

    // Placed by other means, a click alone brings the bars to where the picture is.
    picture->moveTwips(QPointF(-1000, 0));
    QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(hBar()->value(), 101); // 86 % of 117
    EXPECT_EQ(picturePos(), QPointF(-1010, 0));
}

TEST_F(PreviewTest, PictureNarrowerThanTheViewportStaysPutAcrossWhileDragged) {
    handOver(page(400, 900), workingDocument());
    PictureBox* picture = picture1();
    QTest::mousePress(picture, Qt::LeftButton, {}, QPoint(300, 300));
    QTest::mouseMove(picture, QPoint(100, 200));
    EXPECT_EQ(picturePos(), QPointF(0, -1500));
    QTest::mouseRelease(picture, Qt::LeftButton, {}, QPoint(100, 200) - picture->pos());
    EXPECT_EQ(picturePos(), QPointF(0, -1520)); // 25 % of 607 = 152
    EXPECT_EQ(hBar()->value(), 0);
    EXPECT_FALSE(hBar()->isEnabled());
}

TEST_F(PreviewTest, NewHandOverStartsAgainAtZoomOneWithTheNewPicture) {
    handOver(newsletter(), workingDocument());
    click("PushButton1");
    vBar()->setValue(200);
    click("PushButton8");
    ASSERT_FALSE(form().isVisible());

    handOver(page(400, 500), workingDocument());
    EXPECT_EQ(form().zoomState().mZoom, 1.0f);
    EXPECT_EQ(form().zoomState().mOrigWidth, 5998);
    EXPECT_EQ(picture1()->twipsSize(), QSize(5998, 7498));
    EXPECT_EQ(picturePos(), QPointF(0, 0));
    EXPECT_FALSE(hBar()->isEnabled());
    EXPECT_EQ(vBar()->maximum(), 73); // 73 twips over: single steps
    EXPECT_EQ(form().vStep(), 1);
    EXPECT_EQ(vBar()->value(), 0);
    click("PushButton1");
    EXPECT_EQ(picture1()->twipsSize(), QSize(7497, 9372));
    EXPECT_EQ(child<PictureBox>("Zoom_Ori")->picture().size(), QSize(400, 500));
}

TEST_F(PreviewTest, HidingShowingAndActivatingAgainKeepZoomAndScroll) {
    handOver(newsletter(), workingDocument());
    click("PushButton1");
    vBar()->setValue(300);
    form().hide();
    form().show();
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&form(), &activate);
    EXPECT_EQ(form().zoomState().mZoom, 1.25f);
    EXPECT_EQ(vBar()->value(), 300);
    EXPECT_EQ(picturePos(), QPointF(0, -3000));
}

TEST_F(PreviewTest, PreviewShowsTheHandedPictureAndAnEmptyOneShowsWhite) {
    QImage picture = page(580, 751, 96);
    picture.fill(QColor(0x20, 0x40, 0x80));
    handOver(picture, workingDocument());
    click("PushButton1");
    const QImage shown = picture1()->grab().toImage();
    EXPECT_EQ(shown.size(), QSize(725, 939));
    EXPECT_EQ(shown.pixelColor(360, 470), QColor(0x20, 0x40, 0x80));

    click("PushButton8");
    handOver(QImage(), workingDocument());
    const QImage empty = child<QWidget>("Picture2")->grab().toImage();
    EXPECT_EQ(empty.pixelColor(300, 200), QColor(Qt::white));
    EXPECT_EQ(empty.pixelColor(5, 5), QColor(Qt::white));
    EXPECT_FALSE(vBar()->isEnabled());
    click("PushButton1");
    EXPECT_TRUE(boxes.shown.empty());
}

TEST(PreviewViewport, ShowsThePartOfThePictureUnderItAndWhiteBeyondIt) {
    QWidget window;
    window.resize(400, 300);
    auto* viewport = new PreviewViewport(&window);
    viewport->setGeometry(twipsRect(120, 120, 4500, 3000));
    EXPECT_EQ(viewport->outerTwips(), QSize(4500, 3000));
    EXPECT_EQ(viewport->innerTwips(), QSize(4500, 3000));
    QImage blue = page(100, 100);
    blue.fill(QColor(0x20, 0x40, 0x80));
    viewport->picture()->setPicture(blue);
    viewport->picture()->moveTwips(QPointF(-750, -600));
    window.show();
    const QImage shown = viewport->grab().toImage();
    EXPECT_EQ(shown.size(), QSize(300, 200));
    EXPECT_EQ(shown.pixelColor(0, 0), QColor(0x20, 0x40, 0x80));
    EXPECT_EQ(shown.pixelColor(49, 59), QColor(0x20, 0x40, 0x80));
    EXPECT_EQ(shown.pixelColor(50, 59), QColor(Qt::white));
    EXPECT_EQ(shown.pixelColor(49, 60), QColor(Qt::white));
}

// A 32 x 32 cursor file with its hot spot at (6, 2).
QByteArray handCursorFile() {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    image.setPixel(6, 2, 0xff000000u);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "ICO");
    QByteArray bytes = buffer.data();
    bytes[2] = 2;
    bytes[10] = 6;
    bytes[12] = 2;
    return bytes;
}

void hover(QWidget* widget) {
    QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), widget->mapToGlobal(QPointF(3, 3)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

TEST_F(PreviewTest, HoverShowsTheHandOverButtonsAndTheArrowOverBackgrounds) {
    QFile cursor(programFolder + "/HAND-M.CUR");
    ASSERT_TRUE(cursor.open(QIODevice::WriteOnly));
    cursor.write(handCursorFile());
    cursor.close();
    handOver(newsletter(), workingDocument());
    auto* pointer = form().findChild<WindowPointer*>();
    ASSERT_NE(pointer, nullptr);
    ASSERT_TRUE(pointer->hasCustomImage());
    for (const char* button : {"PushButton1", "PushButton2", "PushButton6", "PushButton8"}) {
        hover(child<QWidget>("Frame1"));
        EXPECT_EQ(pointer->MousePointer(), Pointer::Default);
        hover(child<QWidget>(button));
        EXPECT_EQ(pointer->MousePointer(), Pointer::Custom) << button;
        EXPECT_EQ(form().cursor().shape(), Qt::BitmapCursor) << button;
        EXPECT_EQ(form().cursor().hotSpot(), QPoint(6, 2));
    }
    // Picture boxes and bars leave the hand as it is.
    for (const char* other : {"Picture1", "Picture2", "HScroll1", "VScroll1"}) {
        hover(child<QWidget>(other));
        EXPECT_EQ(pointer->MousePointer(), Pointer::Custom) << other;
    }
    hover(&form());
    EXPECT_EQ(pointer->MousePointer(), Pointer::Default);
    EXPECT_EQ(form().cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(PreviewTest, HoverWithoutCursorFileShowsTheArrowAndKeepsTheHourglass) {
    handOver(newsletter(), workingDocument());
    auto* pointer = form().findChild<WindowPointer*>();
    hover(child<QWidget>("PushButton6"));
    EXPECT_EQ(pointer->MousePointer(), Pointer::Custom);
    EXPECT_EQ(form().cursor().shape(), Qt::ArrowCursor);

    pointer->setMousePointer(Pointer::Hourglass);
    for (const char* area : {"PushButton1", "Frame1", "PushButton8"})
        hover(child<QWidget>(area));
    hover(&form());
    EXPECT_EQ(pointer->MousePointer(), Pointer::Hourglass);
    EXPECT_EQ(form().cursor().shape(), Qt::WaitCursor);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(PreviewTest, CursorFileThatIsNoCursorIsReportedByTheLoadWhichGoesOn) {
    writeAll(programFolder + "/HAND-M.CUR", "not a cursor");
    handOver(newsletter(), workingDocument());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].prompt.contains("in Plumvale2021/08/31.Form2.Form_Load at line 50"));
    EXPECT_EQ(form().windowTitle(), "Brindlecast");
    EXPECT_EQ(form().zoomState().mOrigWidth, 8698);
}

TEST_F(PreviewTest, ButtonFaceOnTheWindowAndItsFrameButNotOnThePictureBoxes) {
    handOver(newsletter(), workingDocument());
    const QColor face = form().palette().color(QPalette::Button);
    EXPECT_EQ(form().palette().color(QPalette::Window), face);
    EXPECT_TRUE(form().autoFillBackground());
    EXPECT_EQ(child<QWidget>("Frame1")->palette().color(QPalette::Window), face);
    for (const char* name : {"Picture1", "Picture2"}) {
        EXPECT_EQ(child<QWidget>(name)->palette().color(QPalette::Window), QColor(Qt::white))
            << name;
        EXPECT_TRUE(child<QWidget>(name)->property(PictureBoxProperty).toBool()) << name;
    }
}

} // namespace
} // namespace brindlecast::test
