// The certificates the system trusts, from the bundle libcurl was built to read.
#include "mail/SmtpTransport.h"

#include <QFile>
#include <curl/curl.h>

namespace brindlecast::mail {

QByteArray SystemCertificates() {
    QByteArray path = "/etc/ssl/certs/ca-certificates.crt";
    if (CURL* curl = curl_easy_init()) {
        char* bundle = nullptr;
        if (curl_easy_getinfo(curl, CURLINFO_CAINFO, &bundle) == CURLE_OK && bundle)
            path = bundle;
        curl_easy_cleanup(curl);
    }
    QFile file(QFile::decodeName(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace brindlecast::mail
