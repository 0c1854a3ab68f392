// What a server URL and a transfer's outcome mean, in words a user understands: which server,
// and whether the message was taken, put off, refused, or nothing can go there at all.
#include "SmtpTransport.h"

#include <QUrl>
#include <curl/curl.h>

namespace brindlecast::mail {

ServerUrl ParseServerUrl(const QString& text) {
    ServerUrl parsed;
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != "smtp" && scheme != "smtps") ||
        !url.userInfo().isEmpty() || (!url.path().isEmpty() && url.path() != "/") ||
        url.hasQuery() || url.hasFragment()) {
        parsed.error = QStringLiteral("--smtp %1: give the server as smtp://HOST:587 (STARTTLS) "
                                      "or smtps://HOST:465")
                           .arg(text);
        return parsed;
    }
    parsed.host = url.host(QUrl::EncodeUnicode);
    parsed.port = url.port(scheme == "smtps" ? 465 : 587);
    const QString host = parsed.host.contains(QLatin1Char(':'))
                             ? QLatin1Char('[') + parsed.host + QLatin1Char(']')
                             : parsed.host;
    parsed.url = QStringLiteral("%1://%2:%3").arg(scheme, host).arg(parsed.port);
    return parsed;
}

QString DescribeServer(const QString& url) {
    const ServerUrl parsed = ParseServerUrl(url);
    return parsed.error.isEmpty()
               ? QStringLiteral("the mail server %1 (port %2)").arg(parsed.host).arg(parsed.port)
               : url;
}

Delivery ClassifyTransfer(int result, long replyCode, const QString& reply,
                          const QString& description, const QString& server, bool checking) {
    const int code = int(replyCode);
    const QString said = reply.isEmpty() ? description : reply;
    switch (result) {
    case CURLE_OK:
        return {Delivery::Kind::Accepted, code, reply};
    case CURLE_LOGIN_DENIED:
    case CURLE_AUTH_ERROR:
        return {Delivery::Kind::Broken, code,
                QStringLiteral("%1 refused the user name or password (%2)").arg(server, said)};
    case CURLE_USE_SSL_FAILED:
        return {Delivery::Kind::Broken, code,
                QStringLiteral("%1 does not offer encryption (STARTTLS), so it was sent neither "
                               "the password nor any message; give its encrypted port instead, "
                               "such as smtps://HOST:465")
                    .arg(server)};
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_INVALIDCERTSTATUS:
        return {Delivery::Kind::Broken, code,
                QStringLiteral("the certificate of %1 is not trusted (%2), so it was sent "
                               "nothing; if it is a server of your own, --ca-file adds the "
                               "certificate of its authority")
                    .arg(server, description)};
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CERTPROBLEM:
        return {Delivery::Kind::Broken, code,
                QStringLiteral("no encrypted connection to %1 could be made (%2)")
                    .arg(server, description)};
    case CURLE_COULDNT_RESOLVE_HOST:
        return {checking ? Delivery::Kind::Broken : Delivery::Kind::Deferred, 0,
                QStringLiteral("%1 cannot be found: no such name is known (check --smtp and "
                               "the network)")
                    .arg(server)};
    case CURLE_COULDNT_CONNECT:
        return {checking ? Delivery::Kind::Broken : Delivery::Kind::Deferred, 0,
                QStringLiteral("%1 cannot be reached: it takes no connection (check --smtp and "
                               "the network)")
                    .arg(server)};
    default:
        break;
    }
    if (checking)
        return {Delivery::Kind::Broken, code, QStringLiteral("%1: %2").arg(server, said)};
    if (code >= 500)
        return {Delivery::Kind::Refused, code, said};
    if (code >= 400)
        return {Delivery::Kind::Deferred, code, said};
    return {Delivery::Kind::Deferred, 0,
            QStringLiteral("the connection to %1 failed (%2)").arg(server, description)};
}

} // namespace brindlecast::mail
