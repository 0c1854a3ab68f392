#include "Form1.h"

#include "app/ErrorTrap.h"
#include "app/EventPumps.h"
#include "app/FileHelpers.h"
#include "app/MessageBoxes.h"
#include "app/ProgramIcon.h"
#include "app/RandomSource.h"
#include "app/Services.h"
#include "app/Settings.h"
#include "app/Shell.h"
#include "app/Theme.h"
#include "app/WindowPointer.h"
#include "generate/EngineCheck.h"
#include "generate/Generation.h"
#include "generate/WorkingFiles.h"
#include "newsletter/DateTexts.h"
#include "preview/Form2.h"

#include <QCloseEvent>
#include <QDateTimeEdit>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <algorithm>
#include <stdexcept>

namespace brindlecast {

namespace {

const QString ProductName = QStringLiteral("Brindlecast");
const QString VendorPage = QStringLiteral("https://www.quillmark.example/");
constexpr int VendorDraw = 7;

// Restores the flag even when a run is left through an exception.
struct BusyGuard {
    bool& flag;
    ~BusyGuard() { flag = false; }
};

} // namespace

Form1::Form1(Services& services)
    : mServices(services) {
    setObjectName(QStringLiteral("Form1"));
    buildForm();
}

Form1::~Form1() = default;

int Form1::selectedLook() const {
    for (int i = 0; i < 4; ++i)
        if (mOptions[size_t(i)]->isChecked())
            return i + 1;
    return 1;
}

void Form1::store(const QString& key, const QString& value) {
    if (SaveSetting(QLatin1String(AppName), QLatin1String(SectionName), key, value) ||
        mStoreFailureShown)
        return;
    // Once per run: the program goes on working, the values just cannot outlive it.
    mStoreFailureShown = true;
    mServices.boxes.MsgBox(
        QStringLiteral("Your entries cannot be remembered: %1 cannot be written.\r\n\r\n"
                       "Everything you type stays in this window and can be made into a "
                       "newsletter, but it will not be there the next time you start %2.")
            .arg(SettingsStoreName(QLatin1String(AppName), QLatin1String(SectionName)),
                 ProductName),
        MsgStyle::OkOnly);
}

void Form1::Text1_Change(int index) {
    store(FieldKey(index), mText1[size_t(index)]->text());
}

void Form1::DateTimePicker1_Change() {
    store(QLatin1String(IssueDateKey), DateToText(mDateTimePicker1->dateTime()));
    mText1[MonthYearField]->setText(MonthYearText(mDateTimePicker1->date()));
}

void Form1::setIssueDate(const QDateTime& value) {
    // Runs the change handling even when the value is unchanged, so that the date is stored and
    // field 16 always ends up as the month and year.
    {
        const QSignalBlocker quiet(mDateTimePicker1);
        mDateTimePicker1->setDateTime(value);
    }
    DateTimePicker1_Change();
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (takeListDrag(event))
        return true;
    if (event->type() == QEvent::FocusIn) {
        if (auto* field = qobject_cast<QLineEdit*>(watched))
            field->selectAll();
    }
    if (event->type() == QEvent::KeyPress) {
        if (auto* option = qobject_cast<QRadioButton*>(watched))
            return moveLook(option, static_cast<QKeyEvent*>(event)->key());
    }
    return QWidget::eventFilter(watched, event);
}

bool Form1::moveLook(QRadioButton* from, int key) {
    // Every arrow walks the looks, round from the last to the first, as in an option group on
    // Windows; Qt's own buttons go only sideways in a row and stop at its ends.
    int by = 0;
    if (key == Qt::Key_Right || key == Qt::Key_Down)
        by = 1;
    else if (key == Qt::Key_Left || key == Qt::Key_Up)
        by = -1;
    const auto at = std::find(mOptions.begin(), mOptions.end(), from);
    if (by == 0 || at == mOptions.end())
        return false;
    const auto count = static_cast<int>(mOptions.size());
    QRadioButton* to = mOptions[size_t((int(at - mOptions.begin()) + by + count) % count)];
    to->click();
    to->setFocus(Qt::TabFocusReason);
    return true;
}

bool Form1::Form_Load() {
    Trap trap{mServices.boxes, QStringLiteral("Form1"), QStringLiteral("Form_Load")};
    trap.step(10, [&] { ApplySkin(this, mServices.programFolder); });
    trap.step(20, [&] { setWindowTitle(ProductName); });
    trap.step(30, [&] { setWindowIcon(ProgramIcon()); });
    trap.step(40, [&] { SetProgramTitle(ApplicationTitle(ProductName)); });
    trap.step(50, [&] {
        mPointer->loadCustomImage(mServices.programFolder + QLatin1String(HandCursorFile));
    });
    trap.step(60, [&] {
        mServices.random.randomize();
        if (int(mServices.random.next() * 100) + 1 == VendorDraw)
            mServices.shell.openUrl(VendorPage);
    });
    trap.step(70, [&] {
        const QString stored =
            GetSetting(QLatin1String(AppName), QLatin1String(SectionName),
                       QLatin1String(IssueDateKey), DateToText(QDateTime::currentDateTime()));
        const auto date = TextToDate(stored);
        if (!date)
            throw std::runtime_error(QStringLiteral("Type mismatch: the stored issue date "
                                                    "\"%1\" is not a date")
                                         .arg(stored)
                                         .toStdString());
        const QSignalBlocker quiet(mDateTimePicker1);
        mDateTimePicker1->setDateTime(*date);
    });
    trap.step(80,
              [&] { mText1[MonthYearField]->setText(MonthYearText(mDateTimePicker1->date())); });
    for (int i = 0; i < MonthYearField; ++i)
        trap.step(90, [&] {
            mText1[size_t(i)]->setText(
                GetSetting(QLatin1String(AppName), QLatin1String(SectionName), FieldKey(i)));
        });
    bool carryOn = true;
    trap.step(100, [&] {
        carryOn = CheckWordInstalled(mServices.engine, mServices.boxes, mServices.endProgram);
    });
    return carryOn;
}

void Form1::showCentred() {
    CentreOnScreen(this, QGuiApplication::primaryScreen());
    show();
    mText1[0]->setFocus(Qt::TabFocusReason);
    mText1[0]->selectAll();
}

void Form1::fillFields(bool sample) {
    Trap trap{mServices.boxes, QStringLiteral("Form1"),
              sample ? QStringLiteral("PushButton3_Click") : QStringLiteral("PushButton2_Click")};
    const auto value = [sample](int index) { return sample ? SampleValue(index) : QString(); };
    trap.step(10, [&] { mText1[0]->setText(value(0)); });
    trap.step(20, [&] { mText1[1]->setText(value(1)); });
    const QDateTime now = QDateTime::currentDateTime();
    trap.step(30, [&] { mText1[MonthYearField]->setText(DateToText(now)); });
    trap.step(40, [&] { setIssueDate(now); });
    for (int i = 2; i < MonthYearField; ++i)
        trap.step(50, [&] { mText1[size_t(i)]->setText(value(i)); });
}

void Form1::PushButton2_Click() {
    fillFields(false);
}

void Form1::PushButton3_Click() {
    fillFields(true);
}

void Form1::PushButton6_Click() {
    if (mBusy)
        return;
    mBusy = true;
    const BusyGuard guard{mBusy};
    mPointer->setMousePointer(Pointer::Hourglass);
    Generation generation(mServices.engine, mServices.boxes, mServices.clipboard, mServices.random,
                          [this] {
                              ProcessEventsWhileRunWaits();
                              // Waiting for another copy's run ends with the program.
                              if (mServices.ending && mServices.ending())
                                  throw std::runtime_error("The program is ending.");
                          });
    GenerationInput input;
    input.look = selectedLook();
    input.fieldText = [this](int index) { return mText1[size_t(index)]->text(); };
    input.issueDate = [this] { return mDateTimePicker1->dateTime(); };
    GenerationOutcome outcome = generation.run(input);
    mPointer->setMousePointer(Pointer::Default);
    // The window was closed, or the session ended, while the engine worked: nothing is shown
    // and nothing of the run is left behind.
    if (mServices.ending && mServices.ending()) {
        DeleteFileQuietly(outcome.workingDocument);
        // The picture's path is shared: without the run lock it is another copy's picture.
        if (outcome.runLock.held())
            DeleteFileQuietly(PreviewBitmapPath());
        return;
    }
    // Without a working document there is nothing to preview or save: the run's error box
    // has said why, and the fields stay in front of the user.
    if (!outcome.workingDocument.isEmpty())
        handOver(outcome.workingDocument, outcome.pictureMade, std::move(outcome.documentLock));
    // The outcome's run lock goes here, after the hand-over has deleted the picture.
}

void Form1::handOver(const QString& wordFile, bool pictureMade, FileLock documentLock) {
    Trap trap{mServices.boxes, QStringLiteral("Form1"), QStringLiteral("PushButton6_Click")};
    QImage picture;
    // A picture that this run did not make is never shown: the preview stays empty instead of
    // showing an earlier newsletter or a file someone else left behind.
    if (pictureMade)
        trap.step(200, [&] {
            if (!picture.load(PreviewBitmapPath(), "BMP"))
                throw std::runtime_error(QStringLiteral("Cannot read the preview picture %1")
                                             .arg(PreviewBitmapPath())
                                             .toStdString());
        });
    trap.step(210, [&] {
        if (!mForm2)
            mForm2 = std::make_unique<Form2>(mServices, this);
        mForm2->takeOver(wordFile, std::move(documentLock), picture);
    });
    trap.step(220, [&] { mForm2->show(); });
    trap.step(230, [&] { hide(); });
    DeleteFileQuietly(PreviewBitmapPath());
}

void Form1::closeEvent(QCloseEvent* event) {
    event->accept();
    mServices.endProgram();
}

} // namespace brindlecast

#include "moc_Form1.cpp"
