#include "MergeWindow.h"

#include "MergeEngine.h"
#include "PreviewPane.h"
#include "RecipientFilter.h"
#include "RecipientMarks.h"
#include "RecipientTable.h"
#include "cli/ListRun.h"
#include "cli/ListSource.h"
#include "generate/TemplateNames.h"
#include "newsletter/ListFileNames.h"
#include "newsletter/RecipientSelection.h"

#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTableView>

namespace brindlecast {

namespace {

// Positions (1-based) as --rows takes them, runs of neighbours joined: "1-3,7".
QString RowsText(const std::vector<int>& indexes) {
    QStringList parts;
    for (size_t i = 0; i < indexes.size();) {
        size_t end = i;
        while (end + 1 < indexes.size() && indexes[end + 1] == indexes[end] + 1)
            ++end;
        parts << (end == i ? QString::number(indexes[i] + 1)
                           : QStringLiteral("%1-%2").arg(indexes[i] + 1).arg(indexes[end] + 1));
        i = end + 1;
    }
    return parts.join(QLatin1Char(','));
}

} // namespace

MergeWindow::MergeWindow(QWidget* parent)
    : QMainWindow(parent)
    , mEngine(new MergeEngine) {
    qRegisterMetaType<cli::MakeOptions>();
    qRegisterMetaType<std::shared_ptr<const cli::ListJob>>();
    mEngine->moveToThread(&mEngineThread);
    connect(&mEngineThread, &QThread::finished, mEngine, &QObject::deleteLater);
    connect(this, &MergeWindow::loadRequested, mEngine, &MergeEngine::load);
    connect(this, &MergeWindow::previewRequested, mEngine, &MergeEngine::preview);
    connect(mEngine, &MergeEngine::loaded, this, &MergeWindow::takeJob);
    connect(mEngine, &MergeEngine::loadFailed, this, &MergeWindow::showLoadFailure);
    connect(mEngine, &MergeEngine::previewed, this, &MergeWindow::takePreview);
    mEngineThread.start();
    setWindowTitle(QStringLiteral("Brindlecast Mail Merge"));
    setAcceptDrops(true);
    buildLayout();
    buildKeys();
    fillRecent();
}

MergeWindow::~MergeWindow() {
    // Waiting previews are let go; one under way is given a moment, then its office is ended.
    mEngine->nextTicket();
    mEngineThread.quit();
    if (!mEngineThread.wait(1000)) {
        mEngine->stopNow();
        mEngineThread.wait();
    }
}

void MergeWindow::openList(const QString& path) {
    mListPath = QFileInfo(path).absoluteFilePath();
    mSheet.clear();
    mListShown->setText(QDir::toNativeSeparators(mListPath));
    rememberList(mListPath);
    reload();
}

cli::MakeOptions MergeWindow::runOptions() const {
    cli::MakeOptions options;
    if (mTemplateFile.isEmpty())
        options.look = mLook;
    options.templateFile = mTemplateFile;
    options.recipients = mListPath;
    options.sheet = mSheet;
    // The person decides who gets one: a duplicate they ticked is theirs to send twice.
    options.keepDuplicates = true;
    if (mModel && mModel->rowCount() > 0)
        options.rows = RowsText(mModel->ticked());
    return options;
}

void MergeWindow::reload() {
    if (mListPath.isEmpty())
        return;
    mJob.reset();
    mEngine->nextTicket();
    mModel->setList({});
    mFindings->setText(QStringLiteral("Reading %1…").arg(QFileInfo(mListPath).fileName()));
    mPreview->showText(QString());
    cli::MakeOptions options = runOptions();
    options.rows.clear();
    emit loadRequested(options);
}

void MergeWindow::takeJob(std::shared_ptr<const cli::ListJob> job) {
    mJob = std::move(job);
    mModel->setList(mJob->list);
    mModel->setMarks(MarkRecipients(
        mJob->list, mJob->templateReport ? &*mJob->templateReport : nullptr, mJob->base));
    const bool workbook = !mJob->list.sheets.isEmpty();
    mSheets->blockSignals(true);
    mSheets->clear();
    mSheets->addItems(mJob->list.sheets);
    mSheets->setCurrentText(mJob->list.sheet);
    mSheets->blockSignals(false);
    mSheetLabel->setVisible(workbook);
    mSheets->setVisible(workbook);
    showFindings();
    showSent();
    updateCounts();
    stepTo(Step::First);
}

void MergeWindow::showLoadFailure(const QString& message) {
    mFindings->setText(message);
    updateCounts();
}

void MergeWindow::showFindings() {
    QStringList lines;
    if (!EmailColumn(mJob->list))
        lines << QStringLiteral("The list has no e-mail column: its newsletters can be made, "
                                "not sent.");
    if (const auto& report = mJob->templateReport) {
        for (const StrayWord& stray : report->strays)
            if (stray.broken || !mJob->list.columnNamed(BracketedName(stray.text)))
                lines << QStringLiteral("%1 is neither a field nor a column: it stays as it is.")
                             .arg(stray.text);
        for (const PlacedBlockProblem& problem : report->blockProblems)
            lines << problem.text();
        const QStringList empty = LeftEmptyForEveryone(mJob->list, *report, mJob->base);
        if (!empty.isEmpty())
            lines << QStringLiteral("%1 stays empty in every newsletter: the list has no such "
                                    "column and no value is kept for it.")
                         .arg(empty.join(QStringLiteral(", ")));
    }
    mFindings->setText(lines.isEmpty() ? QStringLiteral("%1 recipients in %2.")
                                             .arg(mJob->list.recipients.size())
                                             .arg(cli::ListPlace(mListPath, mJob->list))
                                       : lines.join(QLatin1Char('\n')));
}

std::optional<int> MergeWindow::currentRecipient() const {
    const QModelIndex current = mTable->currentIndex();
    if (!current.isValid())
        return std::nullopt;
    return mView->mapToSource(current).row();
}

QString MergeWindow::recipientName(int index) const {
    const QString name = mJob->list.recipients[size_t(index)].name();
    return name.isEmpty() ? QStringLiteral("recipient %1").arg(index + 1) : name;
}

void MergeWindow::selectionChanged() {
    const auto index = currentRecipient();
    if (!index || !mJob)
        return;
    mPreviewTitle->setText(QStringLiteral("Newsletter for %1").arg(recipientName(*index)));
    mPreview->showText(QStringLiteral("Making the newsletter for %1…").arg(recipientName(*index)));
    emit previewRequested(*index, mEngine->nextTicket());
}

void MergeWindow::takePreview(int index, int ticket, const QImage& picture,
                              const QString& problem) {
    // A newer selection's preview is on its way: this one would only flash past.
    if (ticket != mEngine->newestTicket())
        return;
    if (picture.isNull())
        mPreview->showText(QStringLiteral("The newsletter for %1 cannot be made: %2")
                               .arg(recipientName(index), problem));
    else
        mPreview->showPicture(picture,
                              QStringLiteral("Newsletter for %1").arg(recipientName(index)));
    emit previewShown(index);
}

void MergeWindow::stepTo(Step step) {
    const auto next = StepTicked(*mView, *mModel, currentRecipient(), step);
    if (!next)
        return;
    const QModelIndex shown = mView->mapFromSource(mModel->index(*next, 0));
    mTable->setCurrentIndex(shown);
    mTable->scrollTo(shown);
}

void MergeWindow::updateCounts() {
    const bool ready = mJob && mModel->rowCount() > 0;
    mCounts->setText(ready ? mModel->tickedText() : QString());
    const bool any = ready && !mModel->ticked().empty();
    mMake->setEnabled(any);
    mCombined->setEnabled(any);
    mSend->setEnabled(any && EmailColumn(mJob->list).has_value());
}

void MergeWindow::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    // Taken as a copy: a move would have the file manager delete the list.
    if (urls.size() == 1 && urls.front().isLocalFile() &&
        IsListFileName(urls.front().toLocalFile()) && (event->possibleActions() & Qt::CopyAction)) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }
}

void MergeWindow::dropEvent(QDropEvent* event) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
    openList(event->mimeData()->urls().front().toLocalFile());
}

} // namespace brindlecast

#include "moc_MergeWindow.cpp"
