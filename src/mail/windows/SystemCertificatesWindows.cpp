// The certificates Windows trusts: its root store, as PEM, for a bundle that adds to it.
#include "mail/SmtpTransport.h"

#include <windows.h>
// After windows.h, whose types it uses.
#include <wincrypt.h>

namespace brindlecast::mail {

QByteArray SystemCertificates() {
    QByteArray pem;
    HCERTSTORE store = CertOpenSystemStoreW(0, L"ROOT");
    if (!store)
        return pem;
    for (PCCERT_CONTEXT certificate = CertEnumCertificatesInStore(store, nullptr); certificate;
         certificate = CertEnumCertificatesInStore(store, certificate)) {
        const QByteArray der(reinterpret_cast<const char*>(certificate->pbCertEncoded),
                             qsizetype(certificate->cbCertEncoded));
        pem += "-----BEGIN CERTIFICATE-----\n";
        const QByteArray base64 = der.toBase64();
        for (qsizetype from = 0; from < base64.size(); from += 64)
            pem += base64.mid(from, 64) + '\n';
        pem += "-----END CERTIFICATE-----\n";
    }
    CertCloseStore(store, 0);
    return pem;
}

} // namespace brindlecast::mail
