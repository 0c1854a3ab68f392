#include "entry/Form1.h"

#include "app/FileLock.h"
#include "app/MessageBoxes.h"
#include "app/Services.h"
#include "app/Settings.h"
#include "app/WindowPointer.h"
#include "fakes/FakeServices.h"
#include "generate/WorkingFiles.h"
#include "newsletter/DateTexts.h"
#include "preview/Form2.h"
#include "support/Isolated.h"

#include <QAccessible>
#include <QApplication>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <memory>

namespace brindlecast {
namespace {

QString stored(const QString& key) {
    return GetSetting(AppName, SectionName, key, QStringLiteral("<absent>"));
}

class Form1Test : public testing::Isolated, protected fakes::FakeServices {
protected:
    Form1Test()
        : FakeServices(root("program")) {}
    void TearDown() override { form.reset(); }

    /// Creates the main window and runs its start-up, as the program does.
    bool start() {
        form.reset();
        form = std::make_unique<Form1>(services);
        return form->Form_Load();
    }
    template <class T = QWidget> T* find(const char* name) const {
        T* widget = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    static void moveOver(QWidget* widget, QPointF local = {-1, -1}) {
        if (local.x() < 0)
            local = QPointF(widget->width() / 2.0, widget->height() / 2.0);
        QMouseEvent move(QEvent::MouseMove, local, widget->mapToGlobal(local), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    }
    void installHandCursor() {
        QFile::copy(QStringLiteral(BRINDLECAST_SOURCE_DIR "/resources/HAND-M.CUR"),
                    root("program/HAND-M.CUR"));
    }

    std::unique_ptr<Form1> form;
};

TEST_F(Form1Test, AFirstStartShowsEmptyFieldsTodayAndClassic) {
    ASSERT_TRUE(start());
    EXPECT_TRUE(boxes.shown.empty());
    for (int i = 0; i < MonthYearField; ++i)
        EXPECT_TRUE(form->Text1(i)->text().isEmpty()) << i;
    EXPECT_EQ(form->DateTimePicker1()->date(), QDate::currentDate());
    EXPECT_EQ(form->Text1(MonthYearField)->text(), MonthYearText(QDate::currentDate()));
    EXPECT_TRUE(find<QRadioButton>("Option1")->isChecked());
    EXPECT_EQ(form->windowTitle(), "Brindlecast");
    EXPECT_EQ(ProgramTitle(), "Brindlecast");
    EXPECT_EQ(engine.log, QStringList({"create", "quit"}));
    EXPECT_EQ(ended, 0);
    EXPECT_EQ(form->size(), QSize(536, 616));
    EXPECT_EQ(find<QGroupBox>("Frame4")->title(), "Recepient");
    EXPECT_EQ(find<QLabel>("Label1_4")->text(), " Volume No.:");
    EXPECT_EQ(find<QLabel>("Label3")->text(), "Recipient Name:");
    EXPECT_EQ(find<QLabel>("Label2_10")->text(), "City, State Zip:");
    EXPECT_EQ(form->Text1(13)->property("Tag").toString(), "[COMPANYNAME2]");
    EXPECT_EQ(form->Text1(2)->geometry(), QRect(320, 80, 41, 25));
    EXPECT_FALSE(form->Text1(MonthYearField)->isVisibleTo(form.get()));
    EXPECT_EQ(form->DateTimePicker1()->minimumDate(), QDate(1601, 1, 1));
    EXPECT_EQ(form->DateTimePicker1()->maximumDate(), QDate(9999, 12, 31));
}

TEST_F(Form1Test, EveryControlCarriesTheNameAScreenReaderSays) {
    ASSERT_TRUE(start());
    const auto spoken = [](QWidget* widget) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
        return face ? face->text(QAccessible::Name) : QStringLiteral("<none>");
    };
    const char* const fields[MonthYearField] = {
        "Title/Headline", "Subtitle",     "Issue/Edition No.", "Volume No.",
        "Sender Name",    "Company Name", "Street Address",    "City, State Zip",
        "Phone No",       "Fax No",       "Email Address",     "Website",
        "Recipient Name", "Company Name", "Street Address",    "City, State Zip"};
    for (int i = 0; i < MonthYearField; ++i)
        EXPECT_EQ(spoken(form->Text1(i)), fields[i]) << i;
    EXPECT_EQ(spoken(form->DateTimePicker1()), "Issue Date");
    const std::pair<const char*, const char*> controls[] = {
        {"Option1", "Classic"},
        {"Option2", "Executive"},
        {"Option3", "Professional"},
        {"Option4", "Elegant"},
        {"PushButton6", "Start Creating Template"},
        {"PushButton2", "Clear/Reset Data"},
        {"PushButton3", "Load Sample/Example Data"},
        {"Frame4", "Recipient"}};
    for (const auto& [name, expected] : controls)
        EXPECT_EQ(spoken(find(name)), expected) << name;
    // Nothing a user can reach with the keyboard is left for a screen reader to guess.
    for (QWidget* widget : form->findChildren<QWidget*>()) {
        if (widget->focusPolicy() != Qt::NoFocus && widget->isVisibleTo(form.get()) &&
            !widget->objectName().startsWith(QLatin1String("qt_"))) {
            EXPECT_FALSE(spoken(widget).isEmpty()) << widget->objectName().toStdString();
        }
    }
}

TEST_F(Form1Test, TypingIsStoredPerKeystrokeAndComesBackAfterARestart) {
    ASSERT_TRUE(start());
    form->Text1(0)->setFocus();
    const QString word = QStringLiteral("Hello");
    for (int i = 0; i < word.size(); ++i) {
        QTest::keyClick(form->Text1(0), word[i].toLatin1());
        EXPECT_EQ(stored("Text1_0"), word.left(i + 1));
    }
    form->Text1(7)->setText(QStringLiteral("  Millbrook, VT  "));
    const QString huge(40000, QLatin1Char('h'));
    form->Text1(8)->setText(huge);
    form->Text1(9)->setText(QStringLiteral("x"));
    form->Text1(9)->clear();
    EXPECT_EQ(stored("Text1_9"), "");
    SaveSetting(AppName, SectionName, "Text1_16", "not a month");

    ASSERT_TRUE(start());
    EXPECT_EQ(form->Text1(0)->text(), "Hello");
    EXPECT_EQ(form->Text1(7)->text(), "  Millbrook, VT  ");
    EXPECT_EQ(form->Text1(8)->text(), huge);
    EXPECT_EQ(form->Text1(9)->text(), "");
    EXPECT_EQ(form->Text1(MonthYearField)->text(), MonthYearText(QDate::currentDate()));
}

TEST_F(Form1Test, TheMonthFieldFollowsTheIssueDateAcrossRestarts) {
    ASSERT_TRUE(start());
    const QDateTime march(QDate(2022, 3, 17), QTime(10, 15));
    form->DateTimePicker1()->setDateTime(march);
    EXPECT_EQ(form->Text1(MonthYearField)->text(), "Mar 2022");
    EXPECT_EQ(stored("Text1_16"), "Mar 2022");
    EXPECT_EQ(stored("DateTimePicker1"), "3/17/2022 10:15:00 AM");

    ASSERT_TRUE(start());
    EXPECT_EQ(form->DateTimePicker1()->dateTime(), march);
    EXPECT_EQ(form->Text1(MonthYearField)->text(), "Mar 2022");
}

TEST_F(Form1Test, AnUnreadableStoredDateGivesExactlyOneBox) {
    SaveSetting(AppName, SectionName, "DateTimePicker1", "someday");
    SaveSetting(AppName, SectionName, "Text1_1", "kept");
    ASSERT_TRUE(start());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].prompt,
              "Type mismatch: the stored issue date \"someday\" is not a date\r\n"
              "in Plumvale2021/08/31.Form1.Form_Load at line 70\r\r"
              "Please email screenshot of this message to support@quillmark.example");
    EXPECT_EQ(int(boxes.shown[0].style), 48);
    EXPECT_EQ(boxes.shown[0].title, "Application Error");
    // Start-up went on: the picker keeps its value, the month follows it, the fields came back.
    EXPECT_EQ(form->Text1(MonthYearField)->text(), MonthYearText(form->DateTimePicker1()->date()));
    EXPECT_EQ(form->Text1(1)->text(), "kept");
    EXPECT_EQ(engine.log, QStringList({"create", "quit"}));
}

TEST_F(Form1Test, AnIsoStoredDateIsAccepted) {
    SaveSetting(AppName, SectionName, "DateTimePicker1", "2021-08-31T12:00:00");
    ASSERT_TRUE(start());
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(form->DateTimePicker1()->dateTime(), QDateTime(QDate(2021, 8, 31), QTime(12, 0)));
    EXPECT_EQ(form->Text1(MonthYearField)->text(), "Aug 2021");
}

TEST_F(Form1Test, TheKeyboardOrderAndWholeTextSelection) {
    ASSERT_TRUE(start());
    form->Text1(1)->setText(QStringLiteral("Software News"));
    form->showCentred();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    EXPECT_EQ(QApplication::focusWidget(), form->Text1(0));

    QStringList order{QApplication::focusWidget()->objectName()};
    for (int i = 0; i < 21; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget()->objectName();
        if (i == 0) {
            EXPECT_EQ(form->Text1(1)->selectedText(), "Software News");
        }
    }
    QStringList expected{"Text1_0", "Text1_1", "DateTimePicker1"};
    for (int i = 2; i < 16; ++i)
        expected << QStringLiteral("Text1_%1").arg(i);
    expected << "PushButton6"
             << "Option1"
             << "PushButton2"
             << "PushButton3"
             << "Text1_0";
    EXPECT_EQ(order, expected);
}

TEST_F(Form1Test, TheWindowComesUpInTheMiddleOfTheScreen) {
    ASSERT_TRUE(start());
    form->showCentred();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(QRect(form->pos(), form->size()).center(), screen.center());
}

TEST_F(Form1Test, SampleDataAndResetFillEveryFieldAndAreStored) {
    ASSERT_TRUE(start());
    find<QRadioButton>("Option3")->setChecked(true);
    QTest::mouseClick(find<QPushButton>("PushButton3"), Qt::LeftButton);
    EXPECT_EQ(form->Text1(0)->text(), "Quillmark Newsletter");
    EXPECT_EQ(form->Text1(10)->text(), "dana.hollis@quillmark.example");
    EXPECT_EQ(form->Text1(15)->text(), "Del Mar CA 92014");
    // The date handling runs even when the picker already holds the value.
    EXPECT_EQ(form->Text1(MonthYearField)->text(), MonthYearText(QDate::currentDate()));
    EXPECT_EQ(form->DateTimePicker1()->date(), QDate::currentDate());
    EXPECT_TRUE(find<QRadioButton>("Option3")->isChecked());
    EXPECT_EQ(stored("Text1_12"), "Vered Iziva");

    ASSERT_TRUE(start());
    EXPECT_EQ(form->Text1(4)->text(), "Dana Hollis");
    EXPECT_TRUE(find<QRadioButton>("Option1")->isChecked());

    QTest::mouseClick(find<QPushButton>("PushButton2"), Qt::LeftButton);
    QTest::mouseClick(find<QPushButton>("PushButton2"), Qt::LeftButton);
    for (int i = 0; i < MonthYearField; ++i) {
        EXPECT_TRUE(form->Text1(i)->text().isEmpty());
        EXPECT_EQ(stored(FieldKey(i)), "") << i;
    }
    EXPECT_EQ(form->Text1(MonthYearField)->text(), MonthYearText(QDate::currentDate()));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(Form1Test, AStoreThatCannotBeWrittenIsReportedOnceAndNothingTypedIsLost) {
    settings().makeUnwritable(QLatin1String(AppName), QLatin1String(SectionName));
    ASSERT_TRUE(start());
    form->Text1(0)->setFocus();
    QTest::keyClicks(form->Text1(0), "Typed");
    QTest::mouseClick(find<QPushButton>("PushButton3"), Qt::LeftButton);
    form->Text1(0)->setText("Still typed");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(int(boxes.shown[0].style), 0);
    EXPECT_TRUE(boxes.shown[0].prompt.startsWith("Your entries cannot be remembered"));
    EXPECT_EQ(form->Text1(0)->text(), "Still typed");
    EXPECT_EQ(form->Text1(4)->text(), "Dana Hollis");
}

TEST_F(Form1Test, TheVendorPageOpensExactlyWhenTheDrawIsSeven) {
    for (double fraction : {0.0, 0.0599, 0.07, 0.99}) {
        random.fractions = {fraction};
        ASSERT_TRUE(start());
        EXPECT_TRUE(shell.opened.isEmpty()) << fraction;
    }
    for (double fraction : {0.06, 0.0699}) {
        shell.opened.clear();
        random.fractions = {fraction};
        ASSERT_TRUE(start());
        EXPECT_EQ(shell.opened, QStringList{"https://www.quillmark.example/"}) << fraction;
    }
    EXPECT_GE(random.reseeds, 6);
}

TEST_F(Form1Test, HoverShowsTheHandOverButtonsAndKeepsTheHourglass) {
    installHandCursor();
    ASSERT_TRUE(start());
    form->showCentred();
    WindowPointer& pointer = form->pointer();
    ASSERT_TRUE(pointer.hasCustomImage());
    moveOver(find("PushButton6"));
    EXPECT_EQ(pointer.MousePointer(), Pointer::Custom);
    EXPECT_EQ(form->cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(form->cursor().hotSpot(), QPoint(11, 1));
    // Text fields, labels and options leave the pointer alone.
    moveOver(form->Text1(4));
    moveOver(find("Option2"));
    EXPECT_EQ(pointer.MousePointer(), Pointer::Custom);
    moveOver(find("Frame3"));
    EXPECT_EQ(pointer.MousePointer(), Pointer::Default);
    EXPECT_EQ(form->cursor().shape(), Qt::ArrowCursor);
    moveOver(find("PushButton2"));
    EXPECT_EQ(pointer.MousePointer(), Pointer::Custom);
    // The window's middle is covered by a frame's field; its bare margin is background.
    moveOver(form.get());
    EXPECT_EQ(pointer.MousePointer(), Pointer::Custom);
    moveOver(form.get(), {3, 3});
    EXPECT_EQ(pointer.MousePointer(), Pointer::Default);

    pointer.setMousePointer(Pointer::Hourglass);
    moveOver(find("PushButton3"));
    moveOver(find("Frame1"));
    EXPECT_EQ(pointer.MousePointer(), Pointer::Hourglass);
    EXPECT_EQ(form->cursor().shape(), Qt::WaitCursor);
}

TEST_F(Form1Test, WithoutTheCursorFileButtonsShowTheArrow) {
    ASSERT_TRUE(start());
    form->showCentred();
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_FALSE(form->pointer().hasCustomImage());
    moveOver(find("PushButton6"));
    EXPECT_EQ(form->pointer().MousePointer(), Pointer::Custom);
    EXPECT_EQ(form->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(Form1Test, TheSkinAppliesOnlyWhenItIsAPlainFile) {
    ASSERT_TRUE(start());
    EXPECT_EQ(form->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_TRUE(form->styleSheet().isEmpty());

    // A folder where the skin file should be does not count.
    QDir().mkpath(root("program/x/o.cjs"));
    ASSERT_TRUE(start());
    EXPECT_TRUE(form->styleSheet().isEmpty());
    EXPECT_EQ(form->palette().color(QPalette::Window), QColor(Qt::white));

    QDir(root("program/x")).removeRecursively();
    QDir().mkpath(root("program/x"));
    writeAll(root("program/x/o.cjs"), "QGroupBox { font-style: italic; }");
    ASSERT_TRUE(start());
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(form->styleSheet(), "QGroupBox { font-style: italic; }");
    const QColor face = QApplication::palette().color(QPalette::Button);
    EXPECT_EQ(form->palette().color(QPalette::Window), face);
    EXPECT_EQ(find("Frame2")->palette().color(QPalette::Window), face);
    EXPECT_EQ(find("Label2_3")->palette().color(QPalette::Window), face);
    EXPECT_EQ(find("Option4")->palette().color(QPalette::Window), face);
    EXPECT_FALSE(form->Text1(3)->autoFillBackground());
}

TEST_F(Form1Test, AFailingEngineCheckShowsTheAdviceAndEndsWithoutTheWindow) {
    SaveSetting(AppName, SectionName, "Text1_5", "Quillmark");
    engine.onCall = [](const QString& call) {
        if (call == "create")
            throw engine::EngineError("The document engine cannot be started.");
    };
    EXPECT_FALSE(start());
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(form->isVisible());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].prompt.startsWith("Error 842001."));
    EXPECT_EQ(boxes.shown[0].title, "Brindlecast");
    EXPECT_EQ(stored("Text1_5"), "Quillmark");
}

TEST_F(Form1Test, ClosingTheMainWindowEndsTheProgram) {
    ASSERT_TRUE(start());
    form->showCentred();
    form->close();
    EXPECT_EQ(ended, 1);
}

TEST_F(Form1Test, AGenerationRunHandsOverToThePreview) {
    ASSERT_TRUE(start());
    form->showCentred();
    Pointer pointerDuringRun = Pointer::Default;
    int nestedPresses = 0;
    engine.onCall = [&](const QString& call) {
        if (call.startsWith("open ") && call.endsWith(" ro")) {
            pointerDuringRun = form->pointer().MousePointer();
            EXPECT_TRUE(form->busy());
            // A second press while the run is busy is ignored.
            ++nestedPresses;
            form->PushButton6_Click();
        }
    };
    QTest::mouseClick(find<QPushButton>("PushButton6"), Qt::LeftButton);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(nestedPresses, 1);
    EXPECT_EQ(engine.log.count("create"), 3); // the check, the fill, the picture
    EXPECT_EQ(pointerDuringRun, Pointer::Hourglass);
    EXPECT_EQ(form->pointer().MousePointer(), Pointer::Default);
    EXPECT_FALSE(form->busy());
    ASSERT_NE(form->form2(), nullptr);
    EXPECT_TRUE(form->form2()->isVisible());
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(QFile::exists(form->form2()->wordFile()));
    EXPECT_FALSE(QFile::exists(PreviewBitmapPath()));
}

TEST_F(Form1Test, ClosedWhileAnotherCopyRunsItsPictureStays) {
    ASSERT_TRUE(start());
    form->showCentred();
    const FileLock otherCopysRun = TryLockFile(RunLockPath());
    writeAll(PreviewBitmapPath(), "the other copy's picture");
    QTimer::singleShot(100, form.get(), [this] { form->close(); });
    form->PushButton6_Click();
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(form->form2(), nullptr);
    EXPECT_EQ(readAll(PreviewBitmapPath()), "the other copy's picture");
}

TEST_F(Form1Test, AFailingRunKeepsTheMainWindow) {
    ASSERT_TRUE(start());
    form->showCentred();
    engine.onCall = [](const QString& call) {
        if (call.startsWith("open "))
            throw engine::EngineError("Cannot open the document.");
    };
    QTest::mouseClick(find<QPushButton>("PushButton6"), Qt::LeftButton);
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->form2(), nullptr);
    EXPECT_FALSE(form->busy());
    EXPECT_EQ(form->pointer().MousePointer(), Pointer::Default);
}

TEST_F(Form1Test, EnterInAFieldNeverStartsARunAndCtrlEnterDoes) {
    ASSERT_TRUE(start());
    form->showCentred();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    EXPECT_EQ(find("PushButton6")->toolTip(), "Start Creating Template (Ctrl+Enter)");
    for (QWidget* field :
         {static_cast<QWidget*>(form->Text1(0)), static_cast<QWidget*>(form->DateTimePicker1()),
          static_cast<QWidget*>(form->Text1(15))}) {
        field->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
    }
    EXPECT_EQ(form->form2(), nullptr);
    EXPECT_EQ(engine.log.count("create"), 1); // the start-up check alone

    form->Text1(3)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, Qt::ControlModifier);
    ASSERT_NE(form->form2(), nullptr);
    EXPECT_TRUE(form->form2()->isVisible());
    EXPECT_FALSE(form->isVisible());
}

TEST_F(Form1Test, ArrowKeysChooseTheLookRoundTheGroup) {
    ASSERT_TRUE(start());
    form->showCentred();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    find("PushButton6")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    const std::pair<Qt::Key, int> steps[] = {
        {Qt::Key_Right, 2}, {Qt::Key_Down, 3}, {Qt::Key_Down, 4}, {Qt::Key_Right, 1},
        {Qt::Key_Left, 4},  {Qt::Key_Up, 3},   {Qt::Key_Left, 2}};
    for (const auto& [key, look] : steps) {
        QTest::keyClick(QApplication::focusWidget(), key);
        EXPECT_EQ(form->selectedLook(), look);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("Option%1").arg(look));
    }
    // The group is still one stop: Tab goes on to the next button.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "PushButton2");
}

} // namespace
} // namespace brindlecast
