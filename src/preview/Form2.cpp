#include "Form2.h"

#include "PictureBox.h"
#include "PreviewViewport.h"
#include "app/ErrorTrap.h"
#include "app/EventPumps.h"
#include "app/FileHelpers.h"
#include "app/Services.h"
#include "app/Theme.h"
#include "app/Twips.h"
#include "app/WindowPointer.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <utility>

namespace brindlecast {

namespace {

constexpr int ClientWidth = 9840;
constexpr int ClientHeight = 9390;

QScrollBar* makeBar(Qt::Orientation orientation, const char* name, QWidget* parent) {
    auto* bar = new QScrollBar(orientation, parent);
    bar->setObjectName(QLatin1String(name));
    bar->setRange(0, 0);
    bar->setSingleStep(1);
    bar->setPageStep(1);
    // Only a finished change moves the picture: dragging the thumb shows nothing until release.
    bar->setTracking(false);
    // Hovering a bar leaves the window's pointer alone.
    bar->setAttribute(Qt::WA_NoMousePropagation);
    return bar;
}

QPushButton* makeButton(const char* name, const QString& caption, QRect geometry, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAccessibleName(caption);
    button->setFont(ArialFont(11.25, true));
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    // A button ignores a plain move, which would otherwise reach its container and reset the
    // hand it has just shown.
    button->setAttribute(Qt::WA_NoMousePropagation);
    return button;
}

} // namespace

Form2::Form2(Services& services, QWidget* mainForm)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , mServices(services)
    , mMainForm(mainForm) {
    setObjectName(QStringLiteral("Form2"));
    buildLayout();
    Form_Load();
}

// The working document is the preview's until the program ends, however it ends.
Form2::~Form2() {
    if (mWordFileLock.held())
        DeleteFileQuietly(mWordFile);
}

void Form2::buildLayout() {
    setFont(ArialFont(9, true));
    setFixedSize(twipsRect(0, 0, ClientWidth, ClientHeight).size());

    Picture2 = new PreviewViewport(this);
    Picture2->setGeometry(twipsRect(120, 120, 9330, 7425));
    Picture1 = Picture2->picture();
    Picture1->installEventFilter(this);

    VScroll1 = makeBar(Qt::Vertical, "VScroll1", this);
    VScroll1->setGeometry(twipsRect(9450, 120, 255, 7425));
    VScroll1->setAccessibleName(QStringLiteral("Scroll Up and Down"));
    HScroll1 = makeBar(Qt::Horizontal, "HScroll1", this);
    HScroll1->setGeometry(twipsRect(120, 7545, 9330, 255));
    HScroll1->setAccessibleName(QStringLiteral("Scroll Left and Right"));
    connect(HScroll1, &QScrollBar::valueChanged, this, &Form2::HScroll1_Change);
    connect(VScroll1, &QScrollBar::valueChanged, this, &Form2::VScroll1_Change);

    Frame1 = new QGroupBox(QStringLiteral("Zoom:"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setAccessibleName(QStringLiteral("Zoom"));
    Frame1->setGeometry(twipsRect(120, 7860, 9600, 855));
    PushButton1 = makeButton("PushButton1", QStringLiteral("Zoom In"),
                             twipsRect(240, 300, 4440, 405), Frame1);
    PushButton2 = makeButton("PushButton2", QStringLiteral("Zoom Out"),
                             twipsRect(4800, 300, 4560, 405), Frame1);
    PushButton8 =
        makeButton("PushButton8", QStringLiteral("< Back"), twipsRect(120, 8850, 4680, 405), this);
    PushButton6 = makeButton("PushButton6", QStringLiteral("Save Results To Word File"),
                             twipsRect(4920, 8850, 4800, 405), this);
    // Said as a word, not as "less than".
    PushButton8->setAccessibleName(QStringLiteral("Back"));
    connect(PushButton1, &QPushButton::clicked, this, &Form2::PushButton1_Click);
    connect(PushButton2, &QPushButton::clicked, this, &Form2::PushButton2_Click);
    connect(PushButton6, &QPushButton::clicked, this, &Form2::PushButton6_Click);
    connect(PushButton8, &QPushButton::clicked, this, &Form2::PushButton8_Click);

    // Lies outside the client area and is never shown: it only holds the unscaled picture.
    Zoom_Ori = new PictureBox(this);
    Zoom_Ori->setObjectName(QStringLiteral("Zoom_Ori"));
    Zoom_Ori->setGeometry(twipsRect(10320, 480, 735, 375));
    Zoom_Ori->hide();

    mPointer = new WindowPointer(this);
    for (QPushButton* button : {PushButton1, PushButton2, PushButton6, PushButton8})
        mPointer->watchButton(button);
    mPointer->watchBackground(this);
    mPointer->watchBackground(Frame1);
    buildKeys();
}

void Form2::Form_Load() {
    Trap trap{mServices.boxes, QStringLiteral("Form2"), QStringLiteral("Form_Load")};
    trap.step(10, [&] { mFirstActivate = true; });
    trap.step(20, [&] { SetButtonFaceColors(this); });
    trap.step(30, [&] { setWindowTitle(QStringLiteral("Brindlecast")); });
    trap.step(40, [&] { setWindowIcon(QApplication::windowIcon()); });
    trap.step(50, [&] {
        mPointer->loadCustomImage(mServices.programFolder + QLatin1String(HandCursorFile));
    });
}

void Form2::takeOver(const QString& wordFile, FileLock wordFileLock, const QImage& picture) {
    mWordFile = wordFile;
    mWordFileLock = std::move(wordFileLock);
    Picture1->setPicture(picture);
    mFirstActivate = true;
}

void Form2::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!mPlaced) {
        mPlaced = true;
        CentreOnScreen(this, screen());
    }
    // Not every platform activates a window it shows (the offscreen one never does), so the
    // first of showing and activation initialises the preview.
    if (mFirstActivate)
        Form_Activate();
}

bool Form2::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    return QWidget::event(event);
}

void Form2::Form_Activate() {
    if (mFirstActivate) {
        Trap trap{mServices.boxes, QStringLiteral("Form2"), QStringLiteral("Form_Activate")};
        // Picture1 always keeps what is drawn on it and sizes itself to a picture it is given.
        trap.step(10, [&] { Picture1->show(); });
        trap.step(20, [&] {
            Zoom_Ori->hide();
            Zoom_Ori->setPicture(Picture1->picture());
            Zoom_Ori->resizeTwips(Picture1->twipsSize());
        });
        trap.step(30, [&] {
            mZoomState.reset(UnscaledSize(Zoom_Ori->twipsSize().width()),
                             UnscaledSize(Zoom_Ori->twipsSize().height()));
        });
        trap.step(60, [&] { RedrawImage(); });
        trap.step(70, [&] { SetupScrollbars(); });
    }
    mFirstActivate = false;
}

void Form2::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    // A hairline around the viewport and its bars: white on the light button face would
    // otherwise have no visible top and left edge.
    const QRect block =
        Picture2->geometry().united(VScroll1->geometry()).united(HScroll1->geometry());
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(block.adjusted(-1, -1, 0, 0));
}

void Form2::PushButton8_Click() {
    Trap trap{mServices.boxes, QStringLiteral("Form2"), QStringLiteral("PushButton8_Click")};
    trap.step(10, [&] {
        DeleteFileQuietly(mWordFile);
        mWordFileLock.release();
    });
    trap.step(20, [&] {
        if (mMainForm)
            mMainForm->show();
    });
    trap.step(30, [&] { hide(); });
    trap.step(40, [&] { mFirstActivate = true; });
}

void Form2::closeEvent(QCloseEvent* event) {
    Form_QueryUnload();
    event->accept();
    Form_Unload();
}

void Form2::Form_QueryUnload() {
    Trap trap{mServices.boxes, QStringLiteral("Form2"), QStringLiteral("Form_QueryUnload")};
    trap.step(10, [&] {
        DeleteFileQuietly(mWordFile);
        mWordFileLock.release();
    });
    // Twice, each a step of its own: what the first pass's events post runs in the second.
    trap.step(20, [&] { ProcessEventsBeforeClosing(); });
    trap.step(30, [&] { ProcessEventsBeforeClosing(); });
}

void Form2::Form_Unload() {
    if (mServices.endProgram)
        mServices.endProgram();
}

} // namespace brindlecast

#include "moc_Form2.cpp"
