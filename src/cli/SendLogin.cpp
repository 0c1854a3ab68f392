// The mail server of "brindlecast send" and its password: from a file only the user may read, or
// from the system's keyring, asked for on a terminal when the keyring has none; never from the
// settings file. The server is logged in to before anything is made.
#include "Console.h"
#include "MakeValues.h"
#include "SendSteps.h"
#include "app/FileHelpers.h"
#include "app/Terminal.h"
#include "mail/Keyring.h"

namespace brindlecast::cli {

namespace {

struct Password {
    QString text;
    /// Kept in the keyring once the server has taken it.
    bool keep = false;
};

QString FromFile(const QString& path) {
    if (OthersMayRead(path))
        throw UsageError(QStringLiteral("--password-file %1 may be read by others; make it yours "
                                        "alone (chmod 600 %1) or use the keyring")
                             .arg(path));
    try {
        const InputFile input = ReadInputFile(path, 4096);
        if (input.tooLarge)
            throw UsageError(
                QStringLiteral("--password-file %1 holds more than a password").arg(path));
        QString text = QString::fromUtf8(input.bytes);
        // Only the line end an editor adds goes: blanks may be part of a password.
        while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r')))
            text.chop(1);
        return text;
    } catch (const InputFileError& error) {
        throw UsageError(QStringLiteral("--password-file: cannot read %1: %2")
                             .arg(path, QString::fromLocal8Bit(error.what())));
    }
}

Password Asked(const QString& account, bool keyringUsable) {
    const auto typed = AskOnTerminal(QStringLiteral("Password for %1: ").arg(account), true);
    if (!typed || typed->isEmpty())
        throw UsageError(QStringLiteral("no password was given; nothing was sent"));
    if (!keyringUsable)
        return {*typed, false};
    const auto answer = AskOnTerminal(
        QStringLiteral("Keep it in %1 for the next runs? [y/N] ").arg(mail::KeyringName()), false);
    return {*typed, answer && answer->trimmed().startsWith(QLatin1Char('y'), Qt::CaseInsensitive)};
}

Password FindPassword(const SendOptions& options, const QString& account, Console& console) {
    if (options.password)
        return {*options.password, options.keepPassword};
    if (!options.passwordFile.isEmpty())
        return {FromFile(options.passwordFile), false};
    const bool terminal = StandardInputIsTerminal();
    if (options.newPassword) {
        if (!terminal)
            throw UsageError(
                QStringLiteral("--new-password asks on a terminal, and there is none"));
        return Asked(account, true);
    }
    const mail::KeyringAnswer kept = mail::ReadKeyringPassword(account);
    if (kept.kind == mail::KeyringAnswer::Kind::Found)
        return {kept.password, false};
    if (kept.kind == mail::KeyringAnswer::Kind::Unreachable) {
        if (!terminal)
            throw UsageError(QStringLiteral("no password for %1: %2 cannot be reached (%3); give "
                                            "the password with --password-file FILE, a file "
                                            "only you may read")
                                 .arg(account, mail::KeyringName(), kept.reason));
        console.remark(QStringLiteral("%1 cannot be reached (%2): the password is asked for each "
                                      "time (or give --password-file FILE)")
                           .arg(mail::KeyringName(), kept.reason));
        return Asked(account, false);
    }
    if (!terminal)
        throw UsageError(QStringLiteral("no password for %1 is kept in %2, and there is no "
                                        "terminal to ask on: run the command once on a terminal "
                                        "to type it and keep it, or give --password-file FILE")
                             .arg(account, mail::KeyringName()));
    return Asked(account, true);
}

} // namespace

std::unique_ptr<mail::SmtpTransport> OpenServer(const SendOptions& options,
                                                mail::MailSettings& settings, Console& console) {
    const QString given = options.smtp.isEmpty() ? settings.server : options.smtp;
    if (given.isEmpty())
        throw UsageError(QStringLiteral("send needs --smtp: the mail server, such as "
                                        "smtp://mail.example.org:587 or "
                                        "smtps://mail.example.org:465 (kept for the next run)"));
    const mail::ServerUrl url = mail::ParseServerUrl(given);
    if (!url.error.isEmpty())
        throw UsageError(url.error);
    mail::SmtpServer server{url.url};
    server.user = options.user.isEmpty() ? settings.user : options.user;
    if (!options.caFile.isEmpty()) {
        try {
            server.extraCertificates = ReadInputFile(options.caFile, qint64(4) << 20).bytes;
        } catch (const InputFileError& error) {
            throw UsageError(QStringLiteral("--ca-file: cannot read %1: %2")
                                 .arg(options.caFile, QString::fromLocal8Bit(error.what())));
        }
        if (!server.extraCertificates.contains("-----BEGIN CERTIFICATE-----"))
            throw UsageError(QStringLiteral("--ca-file %1 holds no certificate (PEM, \"-----BEGIN "
                                            "CERTIFICATE-----\")")
                                 .arg(options.caFile));
    }
    const QString account = QStringLiteral("%1 at %2").arg(server.user, server.url);
    Password password;
    if (!server.user.isEmpty()) {
        password = FindPassword(options, account, console);
        server.password = password.text;
    }
    auto transport = std::make_unique<mail::SmtpTransport>(server);
    const mail::Delivery checked = transport->check();
    if (checked.kind != mail::Delivery::Kind::Accepted)
        throw UsageError(QStringLiteral("%1; nothing was sent").arg(checked.words));
    if (password.keep) {
        if (const QString trouble = mail::StoreKeyringPassword(account, password.text);
            !trouble.isEmpty())
            console.error(QStringLiteral("the password could not be kept in %1: %2")
                              .arg(mail::KeyringName(), trouble));
    }
    settings.server = server.url;
    settings.user = server.user;
    return transport;
}

} // namespace brindlecast::cli
