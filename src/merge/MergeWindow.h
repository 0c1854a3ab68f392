#pragma once

#include "cli/MakeCommand.h"
#include "cli/SendCommand.h"

#include <QImage>
#include <QMainWindow>
#include <QThread>
#include <memory>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QToolButton;

namespace brindlecast::cli {
struct ListJob;
}

namespace brindlecast {

class MergeEngine;
class PreviewPane;
class RunDialog;
class RecipientFilter;
class RecipientTable;
enum class Step;

/// The mail merge window: a newsletter source, a recipient list shown as a table to tick,
/// filter and sort, each recipient's newsletter previewed beside it, and the list run's own
/// make and send on the ticked recipients.
class MergeWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MergeWindow(QWidget* parent = nullptr);
    ~MergeWindow() override;

    /// Opens the list at `path` (its first sheet), as Open List does.
    void openList(const QString& path);

    /// What a list run of the window's choices would be given: the source, the list, its sheet
    /// and the ticked recipients.
    cli::MakeOptions runOptions() const;

    /// Runs the command line's make with `options` in a dialog that shows its progress and
    /// account; the dialog goes when it is closed.
    RunDialog* startRun(const QString& title, const QString& folder, cli::MakeOptions options);
    /// Runs the command line's send with `options` in such a dialog; afterwards the table shows
    /// who has the newsletter.
    RunDialog* startSend(const QString& title, cli::SendOptions options);

signals:
    /// Asks the engine's thread to read the list and the template.
    void loadRequested(const brindlecast::cli::MakeOptions& options);
    void previewRequested(int index, int ticket);
    /// A preview was shown (or could not be): for those who wait on the window.
    void previewShown(int index);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildLayout();
    QWidget* buildSourceRow();
    QWidget* buildTableSide();
    QWidget* buildPreviewSide();
    QWidget* buildButtons();
    void buildKeys();

    void chooseSource(int index);
    void chooseList();
    void chooseSheet(int index);
    void reload();
    void takeJob(std::shared_ptr<const cli::ListJob> job);
    void showLoadFailure(const QString& message);
    void showFindings();
    void selectionChanged();
    void stepTo(Step step);
    void takePreview(int index, int ticket, const QImage& picture, const QString& problem);
    void updateCounts();
    void makeFiles();
    void makeCombined();
    void sendMail();
    /// Marks and unticks those the journal beside the list says have this newsletter.
    void showSent();
    QString journalPath() const;
    /// Beside the list, named after it.
    QString suggestedFolder() const;
    void rememberList(const QString& path);
    void fillRecent();
    std::optional<int> currentRecipient() const;
    QString recipientName(int index) const;

    QThread mEngineThread;
    MergeEngine* mEngine = nullptr;
    std::shared_ptr<const cli::ListJob> mJob;

    QString mListPath;
    QString mSheet;
    QString mLook = QStringLiteral("Classic");
    QString mTemplateFile;

    QComboBox* mSource = nullptr;
    QLineEdit* mListShown = nullptr;
    QPushButton* mOpenList = nullptr;
    QToolButton* mRecent = nullptr;
    QLabel* mSheetLabel = nullptr;
    QComboBox* mSheets = nullptr;
    QLabel* mFindings = nullptr;
    QLineEdit* mFilter = nullptr;
    QTableView* mTable = nullptr;
    RecipientTable* mModel = nullptr;
    RecipientFilter* mView = nullptr;
    QLabel* mCounts = nullptr;
    QLabel* mPreviewTitle = nullptr;
    PreviewPane* mPreview = nullptr;
    QPushButton* mMake = nullptr;
    QPushButton* mCombined = nullptr;
    QPushButton* mSend = nullptr;
};

} // namespace brindlecast
