#include "SmtpTransport.h"

#include <curl/curl.h>
#include <stdexcept>

namespace brindlecast::mail {

struct SmtpTransport::Session {
    CURL* curl = nullptr;
    SmtpServer server;
    QString described;
    char error[CURL_ERROR_SIZE] = {};
    QByteArray pending;        // a reply line not yet whole
    QList<QByteArray> replies; // the last line of each of the server's replies
    const QByteArray* upload = nullptr;
    qsizetype uploaded = 0;
    QByteArray certificates;

    ~Session() {
        if (curl)
            curl_easy_cleanup(curl);
    }
};

namespace {

size_t ReadUpload(char* buffer, size_t size, size_t count, void* user) {
    auto* session = static_cast<SmtpTransport::Session*>(user);
    const qsizetype room = qsizetype(size * count);
    const qsizetype left = session->upload->size() - session->uploaded;
    const qsizetype n = std::min(room, left);
    std::memcpy(buffer, session->upload->constData() + session->uploaded, size_t(n));
    session->uploaded += n;
    return size_t(n);
}

size_t Discard(char*, size_t size, size_t count, void*) {
    return size * count;
}

// What the server says, kept for a person to read: the last line of its last reply. Only what
// comes in is looked at; what goes out holds the password.
int Watch(CURL*, curl_infotype type, char* data, size_t size, void* user) {
    if (type != CURLINFO_HEADER_IN)
        return 0;
    auto* session = static_cast<SmtpTransport::Session*>(user);
    session->pending.append(data, qsizetype(size));
    for (qsizetype end; (end = session->pending.indexOf('\n')) >= 0;) {
        const QByteArray line = session->pending.left(end).trimmed();
        session->pending.remove(0, end + 1);
        if (line.size() == 3 || (line.size() > 3 && line[3] == ' '))
            session->replies.append(line);
    }
    return 0;
}

template <typename T> void Set(CURL* curl, CURLoption option, T value) {
    if (curl_easy_setopt(curl, option, value) != CURLE_OK)
        throw std::runtime_error("the mail library lacks a feature it needs");
}

} // namespace

SmtpTransport::SmtpTransport(const SmtpServer& server)
    : mSession(std::make_unique<Session>()) {
    static const CURLcode initialised = curl_global_init(CURL_GLOBAL_DEFAULT);
    Session& s = *mSession;
    s.server = server;
    s.described = DescribeServer(server.url);
    s.curl = curl_easy_init();
    if (initialised != CURLE_OK || !s.curl)
        throw std::runtime_error("the mail library cannot be started");
    CURL* curl = s.curl;
    Set(curl, CURLOPT_URL, server.url.toUtf8().constData());
    Set(curl, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    // STARTTLS or nothing: libcurl stops before the login when the server does not offer it.
    Set(curl, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
    Set(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    Set(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    Set(curl, CURLOPT_SSLVERSION, long(CURL_SSLVERSION_TLSv1_2));
    // Windows' TLS also asks for revocation lists, which a network may keep out of reach: a
    // certificate listed as revoked still stops the run, one whose list cannot be had does not.
    Set(curl, CURLOPT_SSL_OPTIONS, long(CURLSSLOPT_REVOKE_BEST_EFFORT));
    if (!server.extraCertificates.isEmpty()) {
        // A bundle of its own would replace the system's store: the system's come along.
        s.certificates = SystemCertificates() + '\n' + server.extraCertificates;
        curl_blob blob{s.certificates.data(), size_t(s.certificates.size()), CURL_BLOB_NOCOPY};
        Set(curl, CURLOPT_CAINFO_BLOB, &blob);
    }
    if (!server.user.isEmpty()) {
        Set(curl, CURLOPT_USERNAME, server.user.toUtf8().constData());
        Set(curl, CURLOPT_PASSWORD, server.password.toUtf8().constData());
    }
    Set(curl, CURLOPT_NOSIGNAL, 1L);
    Set(curl, CURLOPT_CONNECTTIMEOUT, 30L);
    Set(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    Set(curl, CURLOPT_LOW_SPEED_TIME, 120L);
    Set(curl, CURLOPT_TCP_KEEPALIVE, 1L);
    Set(curl, CURLOPT_ERRORBUFFER, s.error);
    Set(curl, CURLOPT_WRITEFUNCTION, Discard);
    Set(curl, CURLOPT_READFUNCTION, ReadUpload);
    Set(curl, CURLOPT_READDATA, &s);
    Set(curl, CURLOPT_DEBUGFUNCTION, Watch);
    Set(curl, CURLOPT_DEBUGDATA, &s);
    Set(curl, CURLOPT_VERBOSE, 1L);
}

SmtpTransport::~SmtpTransport() = default;

namespace {

Delivery Perform(SmtpTransport::Session& s, bool checking) {
    s.error[0] = 0;
    s.replies.clear();
    s.pending.clear();
    s.uploaded = 0;
    const CURLcode result = curl_easy_perform(s.curl);
    long code = 0;
    curl_easy_getinfo(s.curl, CURLINFO_RESPONSE_CODE, &code);
    const QString description =
        QString::fromUtf8(s.error[0] ? s.error : curl_easy_strerror(result)).trimmed();
    // The reply that decided, not the goodbye to the QUIT that follows a failure.
    QByteArray reply;
    for (const QByteArray& line : s.replies)
        if (line.startsWith(QByteArray::number(code)))
            reply = line;
    return ClassifyTransfer(result, code, QString::fromUtf8(reply), description, s.described,
                            checking);
}

} // namespace

Delivery SmtpTransport::check() {
    Session& s = *mSession;
    Set(s.curl, CURLOPT_UPLOAD, 0L);
    Set(s.curl, CURLOPT_MAIL_RCPT, static_cast<curl_slist*>(nullptr));
    Set(s.curl, CURLOPT_CUSTOMREQUEST, "NOOP");
    const Delivery delivery = Perform(s, true);
    Set(s.curl, CURLOPT_CUSTOMREQUEST, static_cast<const char*>(nullptr));
    return delivery;
}

Delivery SmtpTransport::send(const QString& from, const QStringList& recipients,
                             const QByteArray& message) {
    Session& s = *mSession;
    curl_slist* list = nullptr;
    for (const QString& recipient : recipients)
        list = curl_slist_append(list, ('<' + recipient.toUtf8() + '>').constData());
    const QByteArray sender = '<' + from.toUtf8() + '>';
    Set(s.curl, CURLOPT_MAIL_FROM, sender.constData());
    Set(s.curl, CURLOPT_MAIL_RCPT, list);
    Set(s.curl, CURLOPT_UPLOAD, 1L);
    Set(s.curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(message.size()));
    s.upload = &message;
    Delivery delivery = Perform(s, false);
    long fresh = 0;
    curl_easy_getinfo(s.curl, CURLINFO_NUM_CONNECTS, &fresh);
    // A kept connection the server has closed meanwhile fails at once: once more on a new one.
    if (delivery.kind == Delivery::Kind::Deferred && delivery.code == 0 && fresh == 0)
        delivery = Perform(s, false);
    Set(s.curl, CURLOPT_MAIL_RCPT, static_cast<curl_slist*>(nullptr));
    curl_slist_free_all(list);
    s.upload = nullptr;
    return delivery;
}

} // namespace brindlecast::mail
