#include "RunDialog.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace brindlecast {

WindowConsole::WindowConsole()
    : cli::Console(false) {}

void WindowConsole::error(const QString& text) {
    emit said(text, true);
}

void WindowConsole::remark(const QString& text) {
    emit said(text, false);
}

void WindowConsole::summary(const QString& text) {
    emit said(text, false);
}

void WindowConsole::note(const QString& text) {
    emit said(text, false);
}

void WindowConsole::progress(int done, int total, std::chrono::steady_clock::duration elapsed,
                             const char*) {
    emit advanced(done, total, cli::TimeLeftText(done, total, elapsed));
}

RunDialog::RunDialog(const QString& title, const QString& folder, Run run, QWidget* parent)
    : QDialog(parent)
    , mFolder(folder) {
    setWindowTitle(title);
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    mStatus = new QLabel(QStringLiteral("Starting…"), this);
    mStatus->setAccessibleName(QStringLiteral("Progress"));
    layout->addWidget(mStatus);
    mBar = new QProgressBar(this);
    mBar->setRange(0, 0);
    mBar->setAccessibleName(title);
    layout->addWidget(mBar);
    mAccount = new QPlainTextEdit(this);
    mAccount->setReadOnly(true);
    mAccount->setAccessibleName(QStringLiteral("What was done"));
    layout->addWidget(mAccount, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    mOpenFolder = new QPushButton(QStringLiteral("&Open Folder"), this);
    mOpenFolder->setVisible(false);
    connect(mOpenFolder, &QPushButton::clicked, this,
            [this] { QDesktopServices::openUrl(QUrl::fromLocalFile(mFolder)); });
    mCancel = new QPushButton(QStringLiteral("Cancel"), this);
    connect(mCancel, &QPushButton::clicked, this, &RunDialog::reject);
    mClose = new QPushButton(QStringLiteral("Close"), this);
    mClose->setVisible(false);
    connect(mClose, &QPushButton::clicked, this, &QDialog::accept);
    for (QPushButton* button : {mOpenFolder, mCancel, mClose})
        buttons->addWidget(button);
    layout->addLayout(buttons);
    resize(560, 360);

    connect(&mConsole, &WindowConsole::said, this, [this](const QString& text, bool problem) {
        mAccount->appendPlainText(problem ? QStringLiteral("Problem: %1").arg(text) : text);
    });
    connect(&mConsole, &WindowConsole::advanced, this,
            [this](int done, int total, const QString& left) {
                mBar->setRange(0, total);
                mBar->setValue(done);
                mStatus->setText(
                    QStringLiteral("%1 of %2 done, %3 left").arg(done).arg(total).arg(left));
            });
    mThread = QThread::create([this, run = std::move(run)] {
        const int code = run(mConsole, mStop);
        QMetaObject::invokeMethod(
            this, [this, code] { finish(code); }, Qt::QueuedConnection);
    });
    mThread->start();
}

RunDialog::~RunDialog() {
    mStop = true;
    mThread->wait();
    delete mThread;
}

QString RunDialog::account() const {
    return mAccount->toPlainText();
}

void RunDialog::reject() {
    if (mExitCode >= 0)
        return QDialog::reject();
    // The newsletters in hand are finished; nothing else is started.
    mStop = true;
    mCancel->setEnabled(false);
    mStatus->setText(QStringLiteral("Stopping after the newsletters in hand…"));
}

void RunDialog::finish(int code) {
    mExitCode = code;
    mBar->setRange(0, 1);
    mBar->setValue(1);
    mStatus->setText(code == 0 ? QStringLiteral("Done.")
                     : mStop   ? QStringLiteral("Stopped.")
                               : QStringLiteral("Done, with problems: see below."));
    mCancel->setVisible(false);
    mClose->setVisible(true);
    mClose->setDefault(true);
    mOpenFolder->setVisible(!mFolder.isEmpty());
    emit ended(code);
}

} // namespace brindlecast

#include "moc_RunDialog.cpp"
