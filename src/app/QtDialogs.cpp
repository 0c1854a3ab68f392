#include "QtDialogs.h"

#include "ProgramEnd.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace brindlecast {

MsgAnswer QtMessageBoxes::MsgBox(const QString& prompt, MsgStyle style, const QString& title) {
    // A program on its way out asks nothing more: the safe answer is taken.
    if (ProgramEnding())
        return MsgButtons(style) == MsgStyle::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
    QMessageBox box(QApplication::activeWindow());
    // Names and values are shown as they are, never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setWindowTitle(title.isEmpty() ? ProgramTitle() : title);
    // Boxes were written with CR LF and lone CR line ends; Qt breaks lines on LF only.
    QString text = prompt;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    box.setText(text);
    if (MsgIcon(style) == MsgStyle::Exclamation)
        box.setIcon(QMessageBox::Warning);
    if (MsgButtons(style) == MsgStyle::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    const int result = box.exec();
    if (result == QMessageBox::Yes)
        return MsgAnswer::Yes;
    if (result == QMessageBox::No)
        return MsgAnswer::No;
    return MsgAnswer::Ok;
}

void QtSaveDialog::ShowSave() {
    // "description|pattern" pairs become "description (pattern)" entries; Qt reads the pattern
    // from the brackets, and our descriptions already end with them.
    const QStringList parts = Filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i];
    QFileDialog dialog(QApplication::activeWindow(), DialogTitle, QString(),
                       filters.join(QStringLiteral(";;")));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setDefaultSuffix(QString());
    if (FilterIndex >= 1 && FilterIndex <= filters.size())
        dialog.selectNameFilter(filters[FilterIndex - 1]);
    if (!FileName.isEmpty())
        dialog.selectFile(FileName);
    const bool accepted = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    FileName = accepted ? dialog.selectedFiles().constFirst() : QString();
    if (accepted && filters.contains(dialog.selectedNameFilter()))
        FilterIndex = int(filters.indexOf(dialog.selectedNameFilter())) + 1;
}

} // namespace brindlecast
