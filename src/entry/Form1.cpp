#include "Form1.h"

#include "app/ErrorTrap.h"
#include "app/FileHelpers.h"
#include "app/MessageBoxes.h"
#include "app/Platform.h"
#include "app/ProgramIcon.h"
#include "app/Services.h"
#include "app/Settings.h"
#include "app/Theme.h"
#include "app/Twips.h"
#include "app/WindowPointer.h"
#include "generate/Generation.h"
#include "generate/WorkingFiles.h"
#include "newsletter/DateTexts.h"
#include "preview/Form2.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <limits>
#include <stdexcept>
#include <utility>
#include <vector>

namespace brindlecast {

namespace {

const QString ProductName = QStringLiteral("Brindlecast");
const QString VendorPage = QStringLiteral("https://www.quillmark.example/");
constexpr int VendorDraw = 7;

// Frames that hold fields, by FieldFrame.
constexpr int HeaderFrame = 1, SenderFrame = 2, RecipientFrame = 3;

// What a screen reader says for a field: its label's words, without the colon and the padding
// that are there for the eye.
QString spokenLabel(const char* caption) {
    QString name = QString::fromLatin1(caption).trimmed();
    if (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    return name;
}

// Tab leaves the picker, as it leaves every other field, instead of walking its sections.
class IssueDatePicker final : public QDateTimeEdit {
public:
    using QDateTimeEdit::QDateTimeEdit;

protected:
    bool focusNextPrevChild(bool next) override { return QWidget::focusNextPrevChild(next); }
};

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

QGroupBox* Form1::makeFrame(const char* name, const char* caption, int left, int top, int width,
                            int height) {
    auto* frame = new QGroupBox(QString::fromLatin1(caption), this);
    frame->setObjectName(QString::fromLatin1(name));
    frame->setGeometry(twipsRect(left, top, width, height));
    return frame;
}

void Form1::makeLabel(QWidget* frame, const char* name, const char* caption, int left, int top,
                      int width) {
    auto* label = new QLabel(QString::fromLatin1(caption), frame);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(twipsRect(left, top, width, 225));
}

void Form1::buildForm() {
    setFont(ArialFont(9, true));
    setFixedSize(twipsToPixels(8040), twipsToPixels(9240));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    SetWhiteBackground(this);
    mPointer = new WindowPointer(this);

    const auto button = [this](const char* name, const char* caption, QRect twips) {
        auto* push = new QPushButton(QString::fromLatin1(caption), this);
        push->setObjectName(QString::fromLatin1(name));
        push->setAccessibleName(push->text());
        push->setFont(ArialFont(11.25, true));
        push->setGeometry(twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
        push->setAutoDefault(false);
        mPointer->watchButton(push);
        return push;
    };
    mPushButton6 = button("PushButton6", "Start Creating Template", {120, 120, 7800, 405});
    mPushButton2 = button("PushButton2", "Clear/Reset Data", {120, 630, 3840, 405});
    mPushButton3 = button("PushButton3", "Load Sample/Example Data", {4080, 630, 3840, 405});
    connect(mPushButton6, &QPushButton::clicked, this, &Form1::PushButton6_Click);
    connect(mPushButton2, &QPushButton::clicked, this, &Form1::PushButton2_Click);
    connect(mPushButton3, &QPushButton::clicked, this, &Form1::PushButton3_Click);

    mFrames[0] = makeFrame("Frame1", "Newsletter Look", 120, 1110, 7800, 675);
    mFrames[HeaderFrame] = makeFrame("Frame2", "Header", 120, 1860, 7800, 1755);
    mFrames[SenderFrame] = makeFrame("Frame3", "Sender", 120, 3690, 7800, 3165);
    mFrames[RecipientFrame] = makeFrame("Frame4", "Recepient", 120, 6930, 7800, 2205);
    // The caption keeps its spelling on screen; a screen reader should still say the word.
    mFrames[RecipientFrame]->setAccessibleName(QStringLiteral("Recipient"));
    mPointer->watchBackground(this);
    for (QGroupBox* frame : mFrames)
        mPointer->watchBackground(frame);

    static const char* const looks[] = {"Classic", "Executive", "Professional", "Elegant"};
    static const int lookLefts[] = {240, 2040, 4080, 6240};
    for (int i = 0; i < 4; ++i) {
        auto* option = new QRadioButton(QString::fromLatin1(looks[i]), mFrames[0]);
        option->setObjectName(QStringLiteral("Option%1").arg(i + 1));
        option->setAccessibleName(option->text());
        option->setGeometry(twipsRect(lookLefts[i], 300, 1695, 285));
        // The group is one stop in the keyboard order: only the chosen look takes Tab.
        connect(option, &QRadioButton::toggled, option, [option](bool on) {
            option->setFocusPolicy(on ? Qt::StrongFocus : Qt::ClickFocus);
        });
        option->setFocusPolicy(Qt::ClickFocus);
        mOptions[size_t(i)] = option;
    }
    mOptions[0]->setChecked(true);

    for (int i = 0; i < FieldCount; ++i) {
        const FieldSpec& entry = Fields()[size_t(i)];
        QWidget* frame = mFrames[size_t(entry.frame == FieldFrame::Header   ? HeaderFrame
                                        : entry.frame == FieldFrame::Sender ? SenderFrame
                                                                            : RecipientFrame)];
        auto* field = new QLineEdit(frame);
        field->setObjectName(QStringLiteral("Text1_%1").arg(i));
        field->setGeometry(
            twipsRect(entry.twips.x(), entry.twips.y(), entry.twips.width(), entry.twips.height()));
        field->setFont(ArialFont(9, false));
        // Fields take text of any length; a line edit would otherwise cut it at 32767.
        field->setMaxLength(std::numeric_limits<int>::max());
        field->setProperty("Tag", QString::fromLatin1(entry.tag));
        field->installEventFilter(this);
        connect(field, &QLineEdit::textChanged, this, [this, i] { Text1_Change(i); });
        mText1[size_t(i)] = field;
        if (!entry.label) {
            field->setVisible(false);
            field->setFocusPolicy(Qt::NoFocus);
            continue;
        }
        field->setAccessibleName(spokenLabel(entry.label));
        makeLabel(frame, entry.labelName, entry.label, entry.labelLeft, entry.labelTop,
                  entry.twips.x() - entry.labelLeft - 30);
    }
    makeLabel(mFrames[HeaderFrame], "Label1_2", "Issue Date:", 240, 1275, 1290);

    mDateTimePicker1 = new IssueDatePicker(QDateTime::currentDateTime(), mFrames[HeaderFrame]);
    mDateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
    mDateTimePicker1->setAccessibleName(QStringLiteral("Issue Date"));
    mDateTimePicker1->setProperty("Tag", QStringLiteral("[ISSUEDATE]"));
    mDateTimePicker1->setGeometry(twipsRect(1560, 1200, 1455, 375));
    mDateTimePicker1->setFont(ArialFont(9, false));
    mDateTimePicker1->setCalendarPopup(true);
    mDateTimePicker1->setDateTimeRange(QDateTime(QDate(1601, 1, 1), QTime(0, 0)),
                                       QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59, 999)));
    mDateTimePicker1->setDisplayFormat(ShortDateFormat());
    connect(mDateTimePicker1, &QDateTimeEdit::dateTimeChanged, this,
            &Form1::DateTimePicker1_Change);

    setKeyboardOrder();
}

void Form1::setKeyboardOrder() {
    std::vector<std::pair<int, QWidget*>> places{{IssueDateFocusOrder, mDateTimePicker1}};
    for (int i = 0; i < FieldCount; ++i) {
        if (const int place = Fields()[size_t(i)].focusOrder; place > 0)
            places.emplace_back(place, mText1[size_t(i)]);
    }
    std::stable_sort(places.begin(), places.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QList<QWidget*> order;
    for (const auto& [place, widget] : places)
        order << widget;
    // The buttons and the looks come after every field.
    order << mPushButton6 << mOptions[0] << mOptions[1] << mOptions[2] << mOptions[3]
          << mPushButton2 << mPushButton3;
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
}

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
        QStringLiteral("Your entries cannot be remembered: the settings file %1 cannot be "
                       "written.\r\n\r\nEverything you type stays in this window and can be made "
                       "into a newsletter, but it will not be there the next time you start %2.")
            .arg(SettingsFilePath(QLatin1String(AppName)), ProductName),
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
    if (event->type() == QEvent::FocusIn) {
        if (auto* field = qobject_cast<QLineEdit*>(watched))
            field->selectAll();
    }
    return QWidget::eventFilter(watched, event);
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
                              QCoreApplication::processEvents();
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
        mForm2->setPicture(picture);
        mForm2->mWordFile = wordFile;
        mForm2->mWordFileLock = std::move(documentLock);
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
