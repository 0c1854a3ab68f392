#pragma once

#include "SendRun.h"

#include <QByteArray>
#include <QString>
#include <memory>

namespace brindlecast::mail {

/// The SMTP server a run sends through, and how it is logged in to.
struct SmtpServer {
    /// smtp://host:587 (STARTTLS, required) or smtps://host:465 (TLS from the start).
    QString url;
    /// Empty: no login.
    QString user = {};
    QString password = {};
    /// Certificates (PEM) trusted beside the system's own, for a server whose authority the
    /// system does not know.
    QByteArray extraCertificates = {};
};

/// "smtp://host:port" with the port the scheme implies when none is given (587, 465); an
/// error message instead when `text` is not such a URL.
struct ServerUrl {
    QString url;
    QString host;
    int port = 0;
    QString error;
};
ServerUrl ParseServerUrl(const QString& text);

/// The server as a person knows it, for messages: "mail.example.org (port 587)".
QString DescribeServer(const QString& url);

/// Sends through libcurl: one connection for the run, kept open from message to message; TLS
/// always (STARTTLS required on smtp://, so that a server that does not offer it is never sent
/// a password), the server's certificate checked against the system's store and the extra
/// certificates; nothing turns the check off.
class SmtpTransport final : public MailTransport {
public:
    explicit SmtpTransport(const SmtpServer& server);
    ~SmtpTransport() override;
    SmtpTransport(const SmtpTransport&) = delete;
    SmtpTransport& operator=(const SmtpTransport&) = delete;

    /// Connects and logs in without sending a message, so that a wrong password, a server out of
    /// reach or a refused certificate show before anything is made or sent. Accepted when all is
    /// well, otherwise Broken with words that name the server.
    Delivery check();
    Delivery send(const QString& from, const QStringList& recipients,
                  const QByteArray& message) override;

    struct Session;

private:
    std::unique_ptr<Session> mSession;
};

/// How a transfer's result reads: libcurl's `result` code, the server's last reply code and
/// line, libcurl's own description, for the server described as `server`. Pure, for tests.
Delivery ClassifyTransfer(int result, long replyCode, const QString& reply,
                          const QString& description, const QString& server, bool checking);

/// The certificates the system trusts, as PEM, to which --ca-file adds its own: libcurl's
/// bundle on POSIX systems, the Windows root store on Windows.
QByteArray SystemCertificates();

} // namespace brindlecast::mail
