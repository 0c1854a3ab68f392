#include "SendDialog.h"

#include "app/Settings.h"
#include "mail/Keyring.h"
#include "mail/MailSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>

namespace brindlecast {

namespace {

const QString Section = QStringLiteral("Brindlecast Mail Merge");

QString Kept(const QString& key) {
    return GetSetting(AppName, Section, key);
}

} // namespace

QLineEdit* SendDialog::fileField(const QString& tip, const QString& filter) {
    auto* field = new QLineEdit(this);
    field->setToolTip(tip);
    auto* browse = new QPushButton(QStringLiteral("Browse…"), this);
    browse->setAccessibleName(tip);
    connect(browse, &QPushButton::clicked, this, [this, field, filter] {
        const QString chosen = QFileDialog::getOpenFileName(this, QString(), field->text(), filter);
        if (!chosen.isEmpty())
            field->setText(QDir::toNativeSeparators(chosen));
    });
    field->setProperty("browse", QVariant::fromValue<QObject*>(browse));
    return field;
}

SendDialog::SendDialog(int recipients, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Send by E-mail"));
    const mail::MailSettings stored = mail::StoredMailSettings();
    auto* form = new QFormLayout(this);
    const auto row = [&](const QString& label, QLineEdit* field, const QString& text) {
        field->setText(text);
        field->setAccessibleName(QString(label).remove(QLatin1Char('&')).remove(QLatin1Char(':')));
        auto* browse = field->property("browse").value<QObject*>();
        if (!browse)
            return form->addRow(label, field);
        auto* line = new QHBoxLayout;
        line->addWidget(field, 1);
        line->addWidget(static_cast<QWidget*>(browse));
        form->addRow(label, line);
    };
    mServer = new QLineEdit(this);
    mServer->setPlaceholderText(QStringLiteral("smtp://mail.example.org:587"));
    row(QStringLiteral("Mail &server:"), mServer, stored.server);
    mUser = new QLineEdit(this);
    row(QStringLiteral("&User name:"), mUser, stored.user);
    mPassword = new QLineEdit(this);
    mPassword->setEchoMode(QLineEdit::Password);
    mPassword->setPlaceholderText(QStringLiteral("empty: the one kept in the keyring"));
    row(QStringLiteral("&Password:"), mPassword, QString());
    mKeep = new QCheckBox(QStringLiteral("&Keep it in %1").arg(mail::KeyringName()), this);
    mKeep->setChecked(true);
    form->addRow(QString(), mKeep);
    mFrom = new QLineEdit(this);
    mFrom->setPlaceholderText(QStringLiteral("Name <address@example.org>"));
    row(QStringLiteral("&From:"), mFrom, stored.from);
    mSubject = new QLineEdit(this);
    mSubject->setToolTip(QStringLiteral("Fields and columns in brackets are filled: [Name]"));
    row(QStringLiteral("Su&bject:"), mSubject, Kept(QStringLiteral("Subject")));
    mBody = fileField(QStringLiteral("The message's text, a UTF-8 file"),
                      QStringLiteral("Text (*.txt);;All files (*)"));
    row(QStringLiteral("&Text file:"), mBody, Kept(QStringLiteral("Body")));
    mBodyHtml = fileField(QStringLiteral("An HTML message, if you have one"),
                          QStringLiteral("HTML (*.html *.htm);;All files (*)"));
    row(QStringLiteral("&HTML file:"), mBodyHtml, Kept(QStringLiteral("BodyHtml")));
    mAttach = new QComboBox(this);
    for (const char* format : {"pdf", "docx", "odt", "doc"})
        mAttach->addItem(QString::fromLatin1(format).toUpper(), QString::fromLatin1(format));
    mAttach->setCurrentIndex(std::max(0, mAttach->findData(Kept(QStringLiteral("Attach")))));
    form->addRow(QStringLiteral("&Attach as:"), mAttach);
    mRate = new QSpinBox(this);
    mRate->setRange(0, 600);
    mRate->setSuffix(QStringLiteral(" a minute"));
    mRate->setSpecialValueText(QStringLiteral("No pause"));
    const QString rate = Kept(QStringLiteral("Rate"));
    mRate->setValue(rate.isEmpty() ? 20 : rate.toInt());
    form->addRow(QStringLiteral("&Messages:"), mRate);
    mTestTo = new QLineEdit(this);
    row(QStringLiteral("Test &to:"), mTestTo,
        Kept(QStringLiteral("TestTo")).isEmpty() ? stored.from : Kept(QStringLiteral("TestTo")));
    mCaFile = fileField(QStringLiteral("Certificates your organisation's server is signed with "
                                       "(PEM), if it asks for them"),
                        QStringLiteral("Certificates (*.pem *.crt);;All files (*)"));
    row(QStringLiteral("Also &trust:"), mCaFile, Kept(QStringLiteral("CaFile")));

    auto* buttons = new QDialogButtonBox(this);
    auto* test =
        buttons->addButton(QStringLiteral("Send a T&est to Me"), QDialogButtonBox::ActionRole);
    auto* send = buttons->addButton(QStringLiteral("Se&nd to %1").arg(recipients),
                                    QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    test->setDefault(true);
    connect(test, &QPushButton::clicked, this, [this] { finish(Test); });
    connect(send, &QPushButton::clicked, this, [this] { finish(Send); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

QString SendDialog::problem(Choice choice) const {
    if (mServer->text().trimmed().isEmpty() && mail::StoredMailSettings().server.isEmpty())
        return QStringLiteral("Give the mail server, such as smtp://mail.example.org:587.");
    if (mFrom->text().trimmed().isEmpty())
        return QStringLiteral("Give the sender: your name and address.");
    if (mSubject->text().trimmed().isEmpty())
        return QStringLiteral("Give a subject.");
    if (mBody->text().trimmed().isEmpty() && mBodyHtml->text().trimmed().isEmpty())
        return QStringLiteral("Choose the file with the message's text.");
    if (choice == Test && mTestTo->text().trimmed().isEmpty())
        return QStringLiteral("Give the address the test goes to.");
    return {};
}

void SendDialog::finish(Choice choice) {
    if (const QString why = problem(choice); !why.isEmpty()) {
        QMessageBox::information(this, windowTitle(), why);
        return;
    }
    for (const auto& [key, value] :
         {std::pair{QStringLiteral("Subject"), mSubject->text()},
          std::pair{QStringLiteral("Body"), mBody->text()},
          std::pair{QStringLiteral("BodyHtml"), mBodyHtml->text()},
          std::pair{QStringLiteral("Attach"), mAttach->currentData().toString()},
          std::pair{QStringLiteral("Rate"), QString::number(mRate->value())},
          std::pair{QStringLiteral("TestTo"), mTestTo->text()},
          std::pair{QStringLiteral("CaFile"), mCaFile->text()}})
        SaveSetting(AppName, Section, key, value);
    done(choice);
}

cli::SendOptions SendDialog::options(const cli::MakeOptions& make) const {
    cli::SendOptions options;
    options.make = make;
    options.make.format = mAttach->currentData().toString();
    options.smtp = mServer->text().trimmed();
    options.user = mUser->text().trimmed();
    if (!mPassword->text().isEmpty()) {
        options.password = mPassword->text();
        options.keepPassword = mKeep->isChecked();
    }
    options.from = mFrom->text().trimmed();
    options.subject = mSubject->text();
    options.body = QDir::fromNativeSeparators(mBody->text().trimmed());
    options.bodyHtml = QDir::fromNativeSeparators(mBodyHtml->text().trimmed());
    options.rate = QString::number(mRate->value());
    options.caFile = QDir::fromNativeSeparators(mCaFile->text().trimmed());
    if (result() == Test)
        options.testTo = mTestTo->text().trimmed();
    return options;
}

} // namespace brindlecast

#include "moc_SendDialog.cpp"
