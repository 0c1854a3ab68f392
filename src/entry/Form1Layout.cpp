// The main window's controls, frame by frame, and its keyboard order.
#include "Form1.h"
#include "app/Theme.h"
#include "app/Twips.h"
#include "app/WindowPointer.h"
#include "newsletter/DateTexts.h"

#include <QDateTimeEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

namespace brindlecast {

namespace {

// Tab leaves the picker, as it leaves every other field, instead of walking its sections.
class IssueDatePicker final : public QDateTimeEdit {
public:
    using QDateTimeEdit::QDateTimeEdit;

protected:
    bool focusNextPrevChild(bool next) override { return QWidget::focusNextPrevChild(next); }
};

} // namespace

void Form1::buildForm() {
    setUpWindow();
    buildButtons();
    buildLookFrame();
    buildHeaderFrame();
    buildSenderFrame();
    buildRecipientFrame();
    setKeyboardOrder();
    // List files may be dropped anywhere. The fields take every other drop as text; the event
    // filter that each field has takes a list first.
    setAcceptDrops(true);
}

void Form1::setUpWindow() {
    setFont(ArialFont(9, true));
    setFixedSize(twipsToPixels(8040), twipsToPixels(9240));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    SetWhiteBackground(this);
    mPointer = new WindowPointer(this);
    mPointer->watchBackground(this);
}

QPushButton* Form1::makeButton(const char* name, const char* caption, QRect twips) {
    auto* button = new QPushButton(QString::fromLatin1(caption), this);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(button->text());
    button->setFont(ArialFont(11.25, true));
    button->setGeometry(twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    button->setAutoDefault(false);
    mPointer->watchButton(button);
    return button;
}

QGroupBox* Form1::makeFrame(const char* name, const char* caption, QRect twips) {
    auto* frame = new QGroupBox(QString::fromLatin1(caption), this);
    frame->setObjectName(QString::fromLatin1(name));
    frame->setGeometry(twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    mPointer->watchBackground(frame);
    return frame;
}

void Form1::makeLabel(QWidget* frame, const char* name, const char* caption, int left, int top,
                      int width) {
    auto* label = new QLabel(QString::fromLatin1(caption), frame);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(twipsRect(left, top, width, 225));
}

void Form1::buildButtons() {
    mPushButton6 = makeButton("PushButton6", "Start Creating Template", {120, 120, 7800, 405});
    mPushButton2 = makeButton("PushButton2", "Clear/Reset Data", {120, 630, 3840, 405});
    mPushButton3 = makeButton("PushButton3", "Load Sample/Example Data", {4080, 630, 3840, 405});
    connect(mPushButton6, &QPushButton::clicked, this, &Form1::PushButton6_Click);
    connect(mPushButton2, &QPushButton::clicked, this, &Form1::PushButton2_Click);
    connect(mPushButton3, &QPushButton::clicked, this, &Form1::PushButton3_Click);
    // Enter in a field only ends the typing there: a run starts with Control and either Enter
    // key, wherever the focus is.
    const QKeySequence start(Qt::CTRL | Qt::Key_Enter);
    for (const QKeySequence& keys : {start, QKeySequence(Qt::CTRL | Qt::Key_Return)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, &Form1::PushButton6_Click);
    mPushButton6->setToolTip(QStringLiteral("%1 (%2)").arg(
        mPushButton6->text(), start.toString(QKeySequence::NativeText)));
}

void Form1::buildLookFrame() {
    QGroupBox* frame = makeFrame("Frame1", "Newsletter Look", {120, 1110, 7800, 675});
    static const char* const looks[] = {"Classic", "Executive", "Professional", "Elegant"};
    static const int lookLefts[] = {240, 2040, 4080, 6240};
    for (int i = 0; i < 4; ++i) {
        auto* option = new QRadioButton(QString::fromLatin1(looks[i]), frame);
        option->setObjectName(QStringLiteral("Option%1").arg(i + 1));
        option->setAccessibleName(option->text());
        option->setGeometry(twipsRect(lookLefts[i], 300, 1695, 285));
        // The group is one stop in the keyboard order: only the chosen look takes Tab.
        connect(option, &QRadioButton::toggled, option, [option](bool on) {
            option->setFocusPolicy(on ? Qt::StrongFocus : Qt::ClickFocus);
        });
        option->setFocusPolicy(Qt::ClickFocus);
        option->installEventFilter(this);
        mOptions[size_t(i)] = option;
    }
    mOptions[0]->setChecked(true);
}

void Form1::buildHeaderFrame() {
    QGroupBox* frame = makeFrame("Frame2", "Header", {120, 1860, 7800, 1755});
    buildFields(FieldFrame::Header, frame);
    makeLabel(frame, "Label1_2", "Issue Date:", 240, 1275, 1290);

    mDateTimePicker1 = new IssueDatePicker(QDateTime::currentDateTime(), frame);
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
}

void Form1::buildSenderFrame() {
    buildFields(FieldFrame::Sender, makeFrame("Frame3", "Sender", {120, 3690, 7800, 3165}));
}

void Form1::buildRecipientFrame() {
    QGroupBox* frame = makeFrame("Frame4", "Recepient", {120, 6930, 7800, 2205});
    // The caption keeps its spelling on screen; a screen reader should still say the word.
    frame->setAccessibleName(QStringLiteral("Recipient"));
    buildFields(FieldFrame::Recipient, frame);
}

void Form1::buildFields(FieldFrame which, QGroupBox* frame) {
    for (int i = 0; i < FieldCount; ++i) {
        if (Fields()[size_t(i)].frame == which)
            makeField(i, frame);
    }
}

void Form1::makeField(int index, QGroupBox* frame) {
    const FieldSpec& entry = Fields()[size_t(index)];
    auto* field = new QLineEdit(frame);
    field->setObjectName(QStringLiteral("Text1_%1").arg(index));
    field->setGeometry(
        twipsRect(entry.twips.x(), entry.twips.y(), entry.twips.width(), entry.twips.height()));
    field->setFont(ArialFont(9, false));
    // Fields take text of any length; a line edit would otherwise cut it at 32767.
    field->setMaxLength(std::numeric_limits<int>::max());
    field->setProperty("Tag", QString::fromLatin1(entry.tag));
    field->installEventFilter(this);
    connect(field, &QLineEdit::textChanged, this, [this, index] { Text1_Change(index); });
    mText1[size_t(index)] = field;
    if (!entry.label) {
        field->setVisible(false);
        field->setFocusPolicy(Qt::NoFocus);
        return;
    }
    // A screen reader says the label's words, without the colon and padding there for the eye.
    field->setAccessibleName(FieldName(index));
    makeLabel(frame, entry.labelName, entry.label, entry.labelLeft, entry.labelTop,
              entry.twips.x() - entry.labelLeft - 30);
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

} // namespace brindlecast
