// From the fields to the saved newsletter, through the real windows and the real engine.
#include "app/MessageBoxes.h"
#include "app/PrivateClipboard.h"
#include "app/Services.h"
#include "engine/writer/WriterEngine.h"
#include "entry/Form1.h"
#include "fakes/FakeServices.h"
#include "preview/Form2.h"
#include "preview/PictureBox.h"
#include "support/Ink.h"
#include "support/Isolated.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

namespace brindlecast {
namespace {

class EndToEndTest : public testing::Isolated {
protected:
    PrivateClipboard clipboard;
    engine::writer::WriterEngine engine{clipboard};
    fakes::FakeServices fake{root(), &clipboard, &engine};
};

TEST_F(EndToEndTest, EveryLookFromTheFieldsToTheSavedNewsletter) {
    Form1 form(fake.services);
    ASSERT_TRUE(form.Form_Load());
    form.showCentred();
    QTest::mouseClick(form.findChild<QPushButton*>("PushButton3"), Qt::LeftButton);
    // Pasted from another program: control characters become blanks, nothing else is lost.
    form.Text1(0)->setText(QStringLiteral("Quillmark\x1AHarbor\x1BNews"));
    // The engine's page pictures never pass through the user's clipboard.
    QGuiApplication::clipboard()->setText(QStringLiteral("the user's own"));

    for (int look = 1; look <= 4; ++look) {
        SCOPED_TRACE(look);
        QTest::mouseClick(form.findChild<QRadioButton*>(QStringLiteral("Option%1").arg(look)),
                          Qt::LeftButton);
        QTest::mouseClick(form.findChild<QPushButton*>("PushButton6"), Qt::LeftButton);
        ASSERT_TRUE(fake.boxes.shown.empty()) << fake.boxes.shown[0].prompt.toStdString();
        Form2* preview = form.form2();
        ASSERT_NE(preview, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(preview));
        EXPECT_FALSE(form.isVisible());
        auto* picture = preview->findChild<PictureBox*>("Picture1");
        EXPECT_GT(testing::InkShare(picture), 0.01);
        EXPECT_EQ(preview->zoomState().mZoom, 1.0f);
        // For looking at the previews: BRINDLECAST_SCREENSHOTS names a folder to put them in.
        if (const QString shots = qEnvironmentVariable("BRINDLECAST_SCREENSHOTS"); !shots.isEmpty())
            preview->grab().save(QStringLiteral("%1/preview-%2.png").arg(shots).arg(look));

        QTest::mouseClick(preview->findChild<QPushButton*>("PushButton1"), Qt::LeftButton);
        EXPECT_EQ(preview->zoomState().mZoom, 1.25f);
        QTest::mousePress(picture, Qt::LeftButton, {}, QPoint(300, 300));
        QTest::mouseMove(picture, QPoint(200, 100));
        QTest::mouseRelease(picture, Qt::LeftButton, {}, QPoint(200, 100) - picture->pos());
        EXPECT_LT(picture->twipsPos().y(), 0);
        EXPECT_GT(preview->findChild<QScrollBar*>("VScroll1")->value(), 0);

        const QString target = root(QStringLiteral("newsletter%1.doc").arg(look));
        fake.saveDialog.answers = {target};
        QTest::mouseClick(preview->findChild<QPushButton*>("PushButton6"), Qt::LeftButton);
        ASSERT_EQ(fake.boxes.shown.size(), 1u);
        EXPECT_EQ(fake.boxes.shown[0].prompt, "Done.");
        fake.boxes.shown.clear();
        const QString working = preview->wordFile();
        EXPECT_EQ(readAll(target), readAll(working));
        QProcess catdoc;
        catdoc.start(QStringLiteral("catdoc"), {target});
        ASSERT_TRUE(catdoc.waitForFinished(30000));
        const QString text = QString::fromUtf8(catdoc.readAllStandardOutput());
        EXPECT_FALSE(text.trimmed().isEmpty());
        if (look == 1) {
            EXPECT_TRUE(text.contains("Quillmark Harbor News")) << text.toStdString();
        }
        EXPECT_EQ(QGuiApplication::clipboard()->text(), "the user's own");

        QTest::mouseClick(preview->findChild<QPushButton*>("PushButton8"), Qt::LeftButton);
        EXPECT_TRUE(form.isVisible());
        EXPECT_FALSE(preview->isVisible());
        EXPECT_FALSE(QFile::exists(working));
    }

    // Generate once more, then close the preview: the program ends and leaves nothing behind.
    QTest::mouseClick(form.findChild<QPushButton*>("PushButton6"), Qt::LeftButton);
    const QString working = form.form2()->wordFile();
    EXPECT_TRUE(QFile::exists(working));
    form.form2()->close();
    EXPECT_EQ(fake.ended, 1);
    EXPECT_FALSE(QFile::exists(working));
    EXPECT_EQ(QDir(temp()).entryList({"*.doc", "*.dot", "*.bmp", "brindlecast-??????"},
                                     QDir::AllEntries | QDir::Hidden),
              QStringList());
}

} // namespace
} // namespace brindlecast
