// From the fields to the saved newsletter through the real windows, with the Word back-end
// loaded as the program loads it, under the request deadline, against the stand-in.
#include "Standin.h"
#include "app/EventPumps.h"
#include "app/PrivateClipboard.h"
#include "engine/DeadlineEngine.h"
#include "engine/ModuleEngine.h"
#include "entry/Form1.h"
#include "fakes/FakeServices.h"
#include "generate/AdviceExpect.h"
#include "preview/Form2.h"
#include "preview/PictureBox.h"
#include "support/Ink.h"
#include "support/Isolated.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>

namespace brindlecast {
namespace {

using namespace std::chrono_literals;

QJsonObject savedDocument(const QString& path) {
    return testing::StandinSaved(path);
}

class WordEndToEndTest : public testing::Isolated {
protected:
    void click(QWidget* window, const char* button) {
        QTest::mouseClick(window->findChild<QPushButton*>(button), Qt::LeftButton);
    }
    void expectOnlyDone() {
        ASSERT_EQ(fake.boxes.shown.size(), 1u) << fake.boxes.shown[0].prompt.toStdString();
        EXPECT_EQ(fake.boxes.shown[0].prompt, "Done.");
        fake.boxes.shown.clear();
    }

    testing::Standin standin{root("standin")};
    PrivateClipboard clipboard;
    engine::ModuleEngine module{
        engine::ModulePath(QDir(QCoreApplication::applicationDirPath())
                               .absoluteFilePath(QStringLiteral(BRINDLECAST_PROGRAM_FROM_TEST))),
        clipboard};
    engine::DeadlineEngine engine{module,
                                  {engine::EngineTimeLimit(60s), ProcessEventsWhileBusy, {}}};
    fakes::FakeServices fake{root("program"), &clipboard, &engine};
};

TEST_F(WordEndToEndTest, EveryLookIsMadePreviewedAndSavedInEveryFormat) {
    Form1 form(fake.services);
    ASSERT_TRUE(form.Form_Load());
    form.showCentred();
    click(&form, "PushButton3"); // the sample data
    for (int look = 1; look <= 4; ++look) {
        SCOPED_TRACE(look);
        QTest::mouseClick(form.findChild<QRadioButton*>(QStringLiteral("Option%1").arg(look)),
                          Qt::LeftButton);
        click(&form, "PushButton6");
        ASSERT_TRUE(fake.boxes.shown.empty()) << fake.boxes.shown[0].prompt.toStdString();
        Form2* preview = form.form2();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(preview));
        EXPECT_GT(testing::InkShare(preview->findChild<PictureBox*>("Picture1")), 0.005);
        const QString working = preview->wordFile();
        const QString text = QString::fromUtf8(QJsonDocument(savedDocument(working)).toJson());
        EXPECT_TRUE(text.contains(form.Text1(0)->text())) << text.toStdString();
        EXPECT_FALSE(text.contains("[NLTitle]", Qt::CaseInsensitive));

        fake.saveDialog.answers = {root(QStringLiteral("newsletter%1.doc").arg(look))};
        click(preview, "PushButton6");
        expectOnlyDone();
        EXPECT_EQ(readAll(root(QStringLiteral("newsletter%1.doc").arg(look))), readAll(working));
        if (look == 4) {
            standin.forget();
            for (const char* extension : {"docx", "pdf", "odt"}) {
                fake.saveDialog.answers = {root(QStringLiteral("newsletter.") + extension)};
                click(preview, "PushButton6");
                expectOnlyDone();
            }
            for (auto [extension, format] : {std::pair{"docx", 12}, {"pdf", 17}, {"odt", 23}})
                EXPECT_EQ(
                    savedDocument(root(QStringLiteral("newsletter.") + extension))["fileFormat"]
                        .toInt(),
                    format);
            EXPECT_EQ(standin.calls().filter(QRegularExpression("^Document.SaveAs2 ")).size(), 2);
            EXPECT_EQ(standin.calls().filter("FileFormat=I4:").size(), 2);
            EXPECT_EQ(standin.calls().filter("Document.ExportAsFixedFormat call").size(), 1);
        }
        click(preview, "PushButton8"); // "< Back"
        EXPECT_TRUE(form.isVisible());
        EXPECT_FALSE(QFile::exists(working));
    }
    // Closing the preview ends the program and deletes the working document.
    click(&form, "PushButton6");
    const QString working = form.form2()->wordFile();
    EXPECT_TRUE(QFile::exists(working));
    form.form2()->close();
    EXPECT_EQ(fake.ended, 1);
    EXPECT_FALSE(QFile::exists(working));
    // Word let go of every file before its folder went.
    EXPECT_EQ(QDir(temp()).entryList({"brindlecast-*"}, QDir::Dirs | QDir::Hidden), QStringList());
}

TEST_F(WordEndToEndTest, AWordThatCannotBeCreatedGivesTheAdviceAndEndsTheProgram) {
    standin.play({"refuse-creation"});
    Form1 form(fake.services);
    EXPECT_FALSE(form.Form_Load());
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.boxes.shown[0].prompt, testing::ExpectedAdviceBox({}));
    EXPECT_EQ(fake.ended, 1);
    EXPECT_FALSE(form.isVisible());
}

} // namespace
} // namespace brindlecast
