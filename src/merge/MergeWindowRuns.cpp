// Making what the ticked recipients get: the command line's own list run, on a thread of its
// own, shown in a dialog with its progress and account.
#include "MakeFilesDialog.h"
#include "MergeWindow.h"
#include "RecipientTable.h"
#include "RunDialog.h"
#include "SendDialog.h"
#include "cli/ListRun.h"
#include "cli/SendSteps.h"
#include "mail/SendJournal.h"
#include "newsletter/RecipientSelection.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QPushButton>
#include <QStandardPaths>
#include <QStatusBar>

namespace brindlecast {

RunDialog* MergeWindow::startRun(const QString& title, const QString& folder,
                                 cli::MakeOptions options) {
    auto* dialog = new RunDialog(
        title, folder,
        [options](cli::Console& console, const std::atomic<bool>& stop) mutable {
            options.stop = &stop;
            return cli::RunMake(options, console);
        },
        this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
    return dialog;
}

QString MergeWindow::suggestedFolder() const {
    const QFileInfo list(mListPath);
    return list.absolutePath() + QLatin1Char('/') + list.completeBaseName() +
           QStringLiteral(" newsletters");
}

void MergeWindow::makeFiles() {
    if (!mMake->isEnabled())
        return;
    MakeFilesDialog choice(suggestedFolder(), this);
    if (choice.exec() != QDialog::Accepted || choice.folder().isEmpty())
        return;
    cli::MakeOptions options = runOptions();
    options.output = choice.folder();
    options.format = choice.format();
    options.fileName = choice.fileName();
    options.force = choice.replace();
    options.skipExisting = !choice.replace();
    startRun(QStringLiteral("Making Newsletters"), options.output, options);
}

void MergeWindow::makeCombined() {
    if (!mCombined->isEnabled())
        return;
    QString target = QFileDialog::getSaveFileName(this, QStringLiteral("Combined PDF"),
                                                  suggestedFolder() + QStringLiteral(".pdf"),
                                                  QStringLiteral("PDF (*.pdf)"));
    if (target.isEmpty())
        return;
    if (!target.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        target += QStringLiteral(".pdf");
    cli::MakeOptions options = runOptions();
    options.combined = target;
    // The save dialog has asked whether an existing file is to be replaced.
    options.force = true;
    startRun(QStringLiteral("Making a Combined PDF"), QFileInfo(target).absolutePath(), options);
}

RunDialog* MergeWindow::startSend(const QString& title, cli::SendOptions options) {
    auto* dialog = new RunDialog(
        title, QString(),
        [options](cli::Console& console, const std::atomic<bool>& stop) mutable {
            options.make.stop = &stop;
            return cli::RunSend(options, console);
        },
        this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &RunDialog::ended, this, &MergeWindow::showSent);
    dialog->open();
    return dialog;
}

void MergeWindow::sendMail() {
    if (!mSend->isEnabled())
        return;
    SendDialog choice(int(mModel->ticked().size()), this);
    const int chosen = choice.exec();
    if (chosen != SendDialog::Test && chosen != SendDialog::Send)
        return;
    startSend(chosen == SendDialog::Test ? QStringLiteral("Sending a Test")
                                         : QStringLiteral("Sending the Newsletters"),
              choice.options(runOptions()));
}

QString MergeWindow::journalPath() const {
    const QFileInfo list(mListPath);
    return list.absoluteDir().filePath(list.completeBaseName() + QStringLiteral(".sent.txt"));
}

void MergeWindow::showSent() {
    if (!mJob)
        return;
    const auto column = EmailColumn(mJob->list);
    std::vector<mail::JournalEntry> entries;
    try {
        entries = mail::SendJournal::Read(journalPath());
    } catch (const mail::JournalError& error) {
        statusBar()->showMessage(QString::fromLocal8Bit(error.what()));
        return;
    }
    if (!column || entries.empty())
        return;
    const QString issue = cli::IssueOf(*mJob);
    std::vector<int> sent;
    for (int index = 0; index < int(mJob->list.recipients.size()); ++index)
        if (mail::WasSent(entries, issue, mJob->list.cell(index, *column).trimmed(), index + 1))
            sent.push_back(index);
    // Those who have this newsletter already are not sent it again: the run would skip them.
    mModel->setSent(sent);
}

} // namespace brindlecast
