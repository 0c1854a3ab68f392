// A newsletter made by keyboard alone, through the real windows and the real engine, on an X
// display of its own (run under tests/accessibility/desktop_session.py with "-platform xcb"), where
// focus and window activation are the real ones. The mouse is never moved.
#include "app/PrivateClipboard.h"
#include "engine/writer/WriterEngine.h"
#include "entry/Form1.h"
#include "fakes/FakeServices.h"
#include "preview/Form2.h"
#include "preview/PictureBox.h"
#include "support/Isolated.h"

#include <QApplication>
#include <QCursor>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QProcess>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

namespace brindlecast {
namespace {

class KeyboardTest : public testing::Isolated {
protected:
    static QWidget* focused() { return QApplication::focusWidget(); }
    static void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        ASSERT_NE(focused(), nullptr);
        QTest::keyClick(focused(), key, modifiers);
    }
    // What a desktop's window manager does for a window that comes up; Xvfb has none.
    static bool activate(QWidget* window) {
        window->activateWindow();
        return QTest::qWaitForWindowActive(window);
    }
    // Turned over the middle of `widget`, where the pointer would have to be.
    static void wheel(QWidget* widget, int angle, Qt::KeyboardModifiers modifiers) {
        const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
        QWheelEvent event(at, widget->mapToGlobal(at), {}, {0, angle}, Qt::NoButton, modifiers,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(widget, &event);
    }

    PrivateClipboard clipboard;
    engine::writer::WriterEngine engine{clipboard};
    fakes::FakeServices fake{root(), &clipboard, &engine};
};

TEST_F(KeyboardTest, FromTheTitleToASavedNewsletterAndBack) {
    const QPoint pointer = QCursor::pos();
    Form1 form(fake.services);
    ASSERT_TRUE(form.Form_Load());
    form.showCentred();
    ASSERT_TRUE(activate(&form));

    // Every field in the order the window reads, each reached with Tab.
    ASSERT_EQ(focused(), form.Text1(0));
    QTest::keyClicks(focused(), QStringLiteral("Harbor News"));
    key(Qt::Key_Tab);
    QTest::keyClicks(focused(), QStringLiteral("Spring"));
    key(Qt::Key_Tab);
    EXPECT_EQ(focused(), form.DateTimePicker1());
    for (int i = 2; i < 16; ++i) {
        key(Qt::Key_Tab);
        ASSERT_EQ(focused(), form.Text1(i));
        QTest::keyClicks(focused(), QStringLiteral("Value %1").arg(i));
    }
    key(Qt::Key_Return); // ends the typing, starts nothing
    EXPECT_EQ(form.form2(), nullptr);
    key(Qt::Key_Tab);
    key(Qt::Key_Tab);
    key(Qt::Key_Right);
    key(Qt::Key_Right);
    EXPECT_EQ(form.selectedLook(), 3);
    key(Qt::Key_Return, Qt::ControlModifier);

    ASSERT_TRUE(fake.boxes.shown.empty()) << fake.boxes.shown[0].prompt.toStdString();
    Form2* preview = form.form2();
    ASSERT_NE(preview, nullptr);
    ASSERT_TRUE(activate(preview));
    EXPECT_FALSE(form.isVisible());
    auto* picture = preview->findChild<PictureBox*>("Picture1");
    auto* bar = preview->findChild<QScrollBar*>("VScroll1");
    key(Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_EQ(preview->zoomState().mZoom, 1.25f);
    key(Qt::Key_PageDown);
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_LT(picture->twipsPos().y(), 0);
    key(Qt::Key_Home);
    EXPECT_EQ(picture->twipsPos().y(), 0);
    wheel(picture, -120, Qt::NoModifier);
    EXPECT_EQ(bar->value(), 90);
    wheel(picture, -120, Qt::ControlModifier);
    EXPECT_EQ(preview->zoomState().mZoom, 1.0f);
    EXPECT_EQ(bar->value(), 0);

    const QString target = root(QStringLiteral("newsletter.doc"));
    fake.saveDialog.answers = {target};
    key(Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.boxes.shown[0].prompt, "Done.");
    const QString working = preview->wordFile();
    EXPECT_EQ(readAll(target), readAll(working));
    QProcess catdoc;
    catdoc.start(QStringLiteral("catdoc"), {target});
    ASSERT_TRUE(catdoc.waitForFinished(30000));
    EXPECT_TRUE(QString::fromUtf8(catdoc.readAllStandardOutput()).contains("Harbor News"));

    key(Qt::Key_Escape);
    EXPECT_FALSE(preview->isVisible());
    EXPECT_FALSE(QFile::exists(working));
    ASSERT_TRUE(activate(&form));
    EXPECT_EQ(form.Text1(0)->text(), "Harbor News");
    EXPECT_EQ(form.Text1(15)->text(), "Value 15");
    EXPECT_EQ(QCursor::pos(), pointer);
}

} // namespace
} // namespace brindlecast
