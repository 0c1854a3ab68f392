#include "MakeFilesDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

namespace brindlecast {

MakeFilesDialog::MakeFilesDialog(const QString& folder, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Make Files"));
    auto* form = new QFormLayout(this);
    auto* where = new QHBoxLayout;
    mFolder = new QLineEdit(QDir::toNativeSeparators(folder), this);
    mFolder->setAccessibleName(QStringLiteral("Folder"));
    auto* browse = new QPushButton(QStringLiteral("&Browse…"), this);
    connect(browse, &QPushButton::clicked, this, &MakeFilesDialog::chooseFolder);
    where->addWidget(mFolder, 1);
    where->addWidget(browse);
    form->addRow(QStringLiteral("&Folder:"), where);
    mFormat = new QComboBox(this);
    mFormat->addItem(QStringLiteral("Word 97-2003 document (.doc)"), QStringLiteral("doc"));
    mFormat->addItem(QStringLiteral("Word document (.docx)"), QStringLiteral("docx"));
    mFormat->addItem(QStringLiteral("OpenDocument text (.odt)"), QStringLiteral("odt"));
    mFormat->addItem(QStringLiteral("PDF (.pdf)"), QStringLiteral("pdf"));
    form->addRow(QStringLiteral("F&ormat:"), mFormat);
    mFileName = new QLineEdit(this);
    mFileName->setPlaceholderText(QStringLiteral("e.g. [Name] - newsletter; empty: numbered"));
    mFileName->setToolTip(QStringLiteral("Each file's name from fields and columns in brackets"));
    form->addRow(QStringLiteral("File &names:"), mFileName);
    mExisting = new QComboBox(this);
    mExisting->addItem(QStringLiteral("Keep them and make the others"));
    mExisting->addItem(QStringLiteral("Replace them"));
    form->addRow(QStringLiteral("Files that &exist:"), mExisting);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&Make"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

QString MakeFilesDialog::folder() const {
    return QDir::fromNativeSeparators(mFolder->text().trimmed());
}

QString MakeFilesDialog::format() const {
    return mFormat->currentData().toString();
}

QString MakeFilesDialog::fileName() const {
    return mFileName->text().trimmed();
}

bool MakeFilesDialog::replace() const {
    return mExisting->currentIndex() == 1;
}

void MakeFilesDialog::chooseFolder() {
    const QString chosen = QFileDialog::getExistingDirectory(
        this, QStringLiteral("Folder for the Newsletters"), folder());
    if (!chosen.isEmpty())
        mFolder->setText(QDir::toNativeSeparators(chosen));
}

} // namespace brindlecast

#include "moc_MakeFilesDialog.cpp"
