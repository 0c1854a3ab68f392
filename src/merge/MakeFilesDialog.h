#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;

namespace brindlecast {

/// Where "Make Files…" puts the newsletters, in which format, under which names, and what
/// becomes of files that are there already.
class MakeFilesDialog : public QDialog {
    Q_OBJECT
public:
    MakeFilesDialog(const QString& folder, QWidget* parent);

    QString folder() const;
    /// "doc", "docx", "odt" or "pdf", as --format takes it.
    QString format() const;
    /// The pattern of --file-name; empty for the list run's own names.
    QString fileName() const;
    /// Files that exist are replaced (otherwise kept, and the others made).
    bool replace() const;

private:
    void chooseFolder();

    QLineEdit* mFolder = nullptr;
    QComboBox* mFormat = nullptr;
    QLineEdit* mFileName = nullptr;
    QComboBox* mExisting = nullptr;
};

} // namespace brindlecast
