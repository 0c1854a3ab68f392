#pragma once

#include "cli/SendCommand.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

namespace brindlecast {

/// What "Send…" asks before anything goes: the mail server and the login, the sender, the
/// subject and the text, the newsletter's format and the pace. "Send a Test to Me" and "Send"
/// both end it; what was typed is kept for the next time (the password only in the keyring).
class SendDialog : public QDialog {
    Q_OBJECT
public:
    enum Choice { Test = 2, Send = 3 };

    SendDialog(int recipients, QWidget* parent);

    /// The send's options for making `make`'s newsletters, in the format chosen.
    cli::SendOptions options(const cli::MakeOptions& make) const;
    /// Whether the test was asked for, once the dialog has ended with Test.
    bool test() const { return result() == Test; }

private:
    void finish(Choice choice);
    QString problem(Choice choice) const;
    QLineEdit* fileField(const QString& tip, const QString& filter);

    QLineEdit* mServer = nullptr;
    QLineEdit* mUser = nullptr;
    QLineEdit* mPassword = nullptr;
    QCheckBox* mKeep = nullptr;
    QLineEdit* mFrom = nullptr;
    QLineEdit* mSubject = nullptr;
    QLineEdit* mBody = nullptr;
    QLineEdit* mBodyHtml = nullptr;
    QComboBox* mAttach = nullptr;
    QSpinBox* mRate = nullptr;
    QLineEdit* mTestTo = nullptr;
    QLineEdit* mCaFile = nullptr;
};

} // namespace brindlecast
