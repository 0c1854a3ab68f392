#pragma once

#include "cli/Console.h"

#include <QDialog>
#include <QThread>
#include <atomic>
#include <functional>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace brindlecast {

/// What a list run says, handed to the window's thread: the run's threads call it.
class WindowConsole : public QObject, public cli::Console {
    Q_OBJECT
public:
    WindowConsole();
    void error(const QString& text) override;
    void remark(const QString& text) override;
    void summary(const QString& text) override;
    void note(const QString& text) override;
    void progress(int done, int total, std::chrono::steady_clock::duration elapsed,
                  const char* what) override;
    void endProgress() override {}

signals:
    /// A line for the run's account; `problem` for what went wrong.
    void said(const QString& text, bool problem);
    void advanced(int done, int total, const QString& timeLeft);
};

/// A list run of the command line's own code, on a thread of its own, shown with a progress bar,
/// the time left and a Cancel that stops after the newsletters in hand; then its account, each
/// recipient's trouble by name, and a button that opens the folder of what was made.
class RunDialog : public QDialog {
    Q_OBJECT
public:
    /// `run` gets the console to speak to and the flag Cancel sets; returns the exit code.
    using Run = std::function<int(cli::Console&, const std::atomic<bool>& stop)>;
    RunDialog(const QString& title, const QString& folder, Run run, QWidget* parent);
    ~RunDialog() override;

    /// The run's exit code, once it has ended; -1 before.
    int exitCode() const { return mExitCode; }
    /// Everything the run said, line by line.
    QString account() const;

    /// Cancel: the newsletters in hand are finished, nothing else is started; once the run
    /// has ended, closes the dialog.
    void reject() override;

signals:
    void ended(int exitCode);

private:
    void finish(int code);

    WindowConsole mConsole;
    std::atomic<bool> mStop{false};
    QThread* mThread = nullptr;
    int mExitCode = -1;
    QString mFolder;
    QLabel* mStatus = nullptr;
    QProgressBar* mBar = nullptr;
    QPlainTextEdit* mAccount = nullptr;
    QPushButton* mCancel = nullptr;
    QPushButton* mOpenFolder = nullptr;
    QPushButton* mClose = nullptr;
};

} // namespace brindlecast
