// The window's controls, laid out by Qt's layouts so that it resizes and follows the desktop's
// look and font size, each with a name a screen reader reads and the keys people expect.
#include "MergeEngine.h"
#include "MergeWindow.h"
#include "PreviewPane.h"
#include "RecipientFilter.h"
#include "RecipientTable.h"
#include "app/Settings.h"
#include "newsletter/ListFileNames.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace brindlecast {

namespace {

const QStringList Looks{QStringLiteral("Classic"), QStringLiteral("Executive"),
                        QStringLiteral("Professional"), QStringLiteral("Elegant")};
const QString OwnTemplate = QStringLiteral("Your own template…");
// The window's own keys, apart from the main window's.
const QString RecentSection = QStringLiteral("Brindlecast Mail Merge");
constexpr int RecentLists = 5;

QPushButton* Button(const QString& text, const QString& tip, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setToolTip(tip);
    return button;
}

} // namespace

void MergeWindow::buildLayout() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(buildSourceRow());
    mFindings = new QLabel(QStringLiteral("Open a recipient list: a CSV, vCard or JSON file, or "
                                          "a workbook (.xlsx, .xls, .ods)."),
                           central);
    mFindings->setWordWrap(true);
    mFindings->setTextInteractionFlags(Qt::TextSelectableByMouse);
    mFindings->setAccessibleName(QStringLiteral("Findings"));
    layout->addWidget(mFindings);
    auto* split = new QSplitter(Qt::Horizontal, central);
    split->addWidget(buildTableSide());
    split->addWidget(buildPreviewSide());
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    layout->addWidget(split, 1);
    layout->addWidget(buildButtons());
    setCentralWidget(central);
    statusBar();
    resize(1100, 720);
}

QWidget* MergeWindow::buildSourceRow() {
    auto* row = new QWidget(this);
    auto* form = new QFormLayout(row);
    form->setContentsMargins(0, 0, 0, 0);
    mSource = new QComboBox(row);
    mSource->addItems(Looks);
    mSource->addItem(OwnTemplate);
    connect(mSource, &QComboBox::activated, this, &MergeWindow::chooseSource);
    auto* sourceLabel = new QLabel(QStringLiteral("&Newsletter:"), row);
    sourceLabel->setBuddy(mSource);
    form->addRow(sourceLabel, mSource);

    auto* list = new QWidget(row);
    auto* line = new QHBoxLayout(list);
    line->setContentsMargins(0, 0, 0, 0);
    mListShown = new QLineEdit(list);
    mListShown->setReadOnly(true);
    mListShown->setPlaceholderText(QStringLiteral("No list open"));
    mListShown->setAccessibleName(QStringLiteral("Recipient list"));
    mOpenList = Button(QStringLiteral("&Open List…"),
                       QStringLiteral("Open a recipient list (Ctrl+O)"), list);
    connect(mOpenList, &QPushButton::clicked, this, &MergeWindow::chooseList);
    mRecent = new QToolButton(list);
    mRecent->setText(QStringLiteral("&Recent"));
    mRecent->setAccessibleName(QStringLiteral("Recent lists"));
    mRecent->setPopupMode(QToolButton::InstantPopup);
    mRecent->setMenu(new QMenu(mRecent));
    mSheetLabel = new QLabel(QStringLiteral("S&heet:"), list);
    mSheets = new QComboBox(list);
    mSheetLabel->setBuddy(mSheets);
    connect(mSheets, &QComboBox::activated, this, &MergeWindow::chooseSheet);
    mSheetLabel->hide();
    mSheets->hide();
    for (QWidget* widget : {static_cast<QWidget*>(mListShown), static_cast<QWidget*>(mOpenList),
                            static_cast<QWidget*>(mRecent), static_cast<QWidget*>(mSheetLabel),
                            static_cast<QWidget*>(mSheets)})
        line->addWidget(widget, widget == mListShown ? 1 : 0);
    auto* listLabel = new QLabel(QStringLiteral("Recipient &list:"), row);
    listLabel->setBuddy(mListShown);
    form->addRow(listLabel, list);
    return row;
}

QWidget* MergeWindow::buildTableSide() {
    auto* side = new QWidget(this);
    auto* layout = new QVBoxLayout(side);
    layout->setContentsMargins(0, 0, 0, 0);
    mFilter = new QLineEdit(side);
    mFilter->setPlaceholderText(QStringLiteral("Filter: search every column (Ctrl+F)"));
    mFilter->setAccessibleName(QStringLiteral("Filter"));
    mFilter->setObjectName(QStringLiteral("filter"));
    mFilter->setClearButtonEnabled(true);
    layout->addWidget(mFilter);
    mModel = new RecipientTable(this);
    mModel->setMarkIcon(style()->standardIcon(QStyle::SP_MessageBoxWarning));
    mView = new RecipientFilter(this);
    mView->setSourceModel(mModel);
    connect(mFilter, &QLineEdit::textChanged, mView, &RecipientFilter::setFilterText);
    mTable = new QTableView(side);
    mTable->setModel(mView);
    mTable->setAccessibleName(QStringLiteral("Recipients"));
    mTable->setObjectName(QStringLiteral("recipients"));
    mTable->setSortingEnabled(true);
    mTable->sortByColumn(0, Qt::AscendingOrder);
    mTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    mTable->setSelectionMode(QAbstractItemView::SingleSelection);
    mTable->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    mTable->horizontalHeader()->setStretchLastSection(true);
    mTable->verticalHeader()->hide();
    connect(mTable->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &MergeWindow::selectionChanged);
    connect(mModel, &RecipientTable::tickedChanged, this, &MergeWindow::updateCounts);
    layout->addWidget(mTable, 1);
    auto* counts = new QHBoxLayout;
    mCounts = new QLabel(side);
    mCounts->setAccessibleName(QStringLiteral("Ticked recipients"));
    mCounts->setObjectName(QStringLiteral("counts"));
    counts->addWidget(mCounts, 1);
    auto* tickShown = Button(QStringLiteral("&Tick Shown"),
                             QStringLiteral("Tick every recipient the filter shows"), side);
    auto* untickShown = Button(QStringLiteral("&Untick Shown"),
                               QStringLiteral("Untick every recipient the filter shows"), side);
    connect(tickShown, &QPushButton::clicked, this,
            [this] { mModel->tickAll(mView->shownRows(), true); });
    connect(untickShown, &QPushButton::clicked, this,
            [this] { mModel->tickAll(mView->shownRows(), false); });
    counts->addWidget(tickShown);
    counts->addWidget(untickShown);
    layout->addLayout(counts);
    return side;
}

QWidget* MergeWindow::buildPreviewSide() {
    auto* side = new QWidget(this);
    auto* layout = new QVBoxLayout(side);
    layout->setContentsMargins(0, 0, 0, 0);
    mPreviewTitle = new QLabel(QStringLiteral("Preview"), side);
    layout->addWidget(mPreviewTitle);
    mPreview = new PreviewPane(side);
    mPreview->setAccessibleName(QStringLiteral("Preview"));
    mPreview->setObjectName(QStringLiteral("preview"));
    layout->addWidget(mPreview, 1);
    auto* steps = new QHBoxLayout;
    const auto stepButton = [&](const QString& text, const QString& tip, Step step) {
        auto* button = Button(text, tip, side);
        connect(button, &QPushButton::clicked, this, [this, step] { stepTo(step); });
        steps->addWidget(button);
    };
    stepButton(QStringLiteral("&First"), QStringLiteral("First ticked recipient (Alt+Home)"),
               Step::First);
    stepButton(QStringLiteral("Pre&vious"), QStringLiteral("Previous ticked recipient (Alt+Left)"),
               Step::Previous);
    stepButton(QStringLiteral("Ne&xt"), QStringLiteral("Next ticked recipient (Alt+Right)"),
               Step::Next);
    stepButton(QStringLiteral("L&ast"), QStringLiteral("Last ticked recipient (Alt+End)"),
               Step::Last);
    steps->addStretch(1);
    const auto zoomButton = [&](const QString& text, const QString& tip, auto slot) {
        auto* button = Button(text, tip, side);
        connect(button, &QPushButton::clicked, mPreview, slot);
        steps->addWidget(button);
    };
    zoomButton(QStringLiteral("Zoom Out"), QStringLiteral("Zoom out (Ctrl+-)"),
               &PreviewPane::zoomOut);
    zoomButton(QStringLiteral("Zoom In"), QStringLiteral("Zoom in (Ctrl++)"), &PreviewPane::zoomIn);
    zoomButton(QStringLiteral("Fit"), QStringLiteral("Fit the page's width (Ctrl+0)"),
               &PreviewPane::fitWidth);
    layout->addLayout(steps);
    return side;
}

QWidget* MergeWindow::buildButtons() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addStretch(1);
    mMake = Button(QStringLiteral("&Make Files…"),
                   QStringLiteral("A newsletter file for each ticked recipient (Ctrl+Enter)"), row);
    mCombined = Button(QStringLiteral("&Combined PDF…"),
                       QStringLiteral("One PDF of the ticked recipients' newsletters"), row);
    mSend = Button(QStringLiteral("&Send…"),
                   QStringLiteral("Each ticked recipient their newsletter by e-mail"), row);
    connect(mMake, &QPushButton::clicked, this, &MergeWindow::makeFiles);
    connect(mCombined, &QPushButton::clicked, this, &MergeWindow::makeCombined);
    connect(mSend, &QPushButton::clicked, this, &MergeWindow::sendMail);
    for (QPushButton* button : {mMake, mCombined, mSend}) {
        button->setEnabled(false);
        layout->addWidget(button);
    }
    return row;
}

void MergeWindow::buildKeys() {
    const auto on = [this](const QKeySequence& keys, auto handler) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this, handler);
    };
    on(QKeySequence::Open, &MergeWindow::chooseList);
    on(QKeySequence::Find, [this] {
        mFilter->setFocus();
        mFilter->selectAll();
    });
    on(QKeySequence(Qt::CTRL | Qt::Key_Return), &MergeWindow::makeFiles);
    on(QKeySequence(Qt::CTRL | Qt::Key_Enter), &MergeWindow::makeFiles);
    on(QKeySequence(Qt::CTRL | Qt::Key_Plus), [this] { mPreview->zoomIn(); });
    on(QKeySequence(Qt::CTRL | Qt::Key_Equal), [this] { mPreview->zoomIn(); });
    on(QKeySequence(Qt::CTRL | Qt::Key_Minus), [this] { mPreview->zoomOut(); });
    on(QKeySequence(Qt::CTRL | Qt::Key_0), [this] { mPreview->fitWidth(); });
    on(QKeySequence(Qt::ALT | Qt::Key_Home), [this] { stepTo(Step::First); });
    on(QKeySequence(Qt::ALT | Qt::Key_Left), [this] { stepTo(Step::Previous); });
    on(QKeySequence(Qt::ALT | Qt::Key_Right), [this] { stepTo(Step::Next); });
    on(QKeySequence(Qt::ALT | Qt::Key_End), [this] { stepTo(Step::Last); });
}

void MergeWindow::chooseSource(int index) {
    if (index < Looks.size()) {
        mLook = Looks[index];
        mTemplateFile.clear();
        return reload();
    }
    const QString chosen = QFileDialog::getOpenFileName(
        this, QStringLiteral("Your Own Template"), QFileInfo(mTemplateFile).absolutePath(),
        QStringLiteral("Templates (*.dot *.doc *.dotx *.docx *.ott *.odt);;All files (*)"));
    if (chosen.isEmpty()) {
        // Nothing chosen: the source stays what it was.
        mSource->setCurrentIndex(mTemplateFile.isEmpty() ? int(Looks.indexOf(mLook))
                                                         : int(Looks.size()));
        return;
    }
    mTemplateFile = chosen;
    mSource->setItemText(int(Looks.size()), QFileInfo(chosen).fileName());
    reload();
}

void MergeWindow::chooseList() {
    const QString chosen = QFileDialog::getOpenFileName(
        this, QStringLiteral("Open Recipient List"), QFileInfo(mListPath).absolutePath(),
        QStringLiteral("Recipient lists (*.%1);;All files (*)")
            .arg(ListFileSuffixes().join(QStringLiteral(" *."))));
    if (!chosen.isEmpty())
        openList(chosen);
}

void MergeWindow::chooseSheet(int index) {
    mSheet = mSheets->itemText(index);
    reload();
}

void MergeWindow::rememberList(const QString& path) {
    QStringList recent{path};
    for (int i = 1; i <= RecentLists; ++i) {
        const QString known = GetSetting(AppName, RecentSection, QStringLiteral("List%1").arg(i));
        if (!known.isEmpty() && !recent.contains(known) && recent.size() < RecentLists)
            recent << known;
    }
    // The recent lists are a convenience: a store that cannot be written costs nothing else.
    for (int i = 0; i < recent.size(); ++i)
        SaveSetting(AppName, RecentSection, QStringLiteral("List%1").arg(i + 1), recent[i]);
    fillRecent();
}

void MergeWindow::fillRecent() {
    QMenu* menu = mRecent->menu();
    menu->clear();
    for (int i = 1; i <= RecentLists; ++i) {
        const QString path = GetSetting(AppName, RecentSection, QStringLiteral("List%1").arg(i));
        if (path.isEmpty())
            continue;
        menu->addAction(QStringLiteral("&%1 %2").arg(i).arg(QDir::toNativeSeparators(path)), this,
                        [this, path] { openList(path); });
    }
    mRecent->setEnabled(!menu->isEmpty());
}

} // namespace brindlecast
