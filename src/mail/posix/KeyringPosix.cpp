// The Secret Service (GNOME Keyring, KeePassXC, KWallet's) through QtKeychain, whose jobs report
// back through the event loop: a loop of their own waits for each.
#include "mail/Keyring.h"

#include <QEventLoop>
#include <qt6keychain/keychain.h>

namespace brindlecast::mail {

namespace {

const QString Service = QStringLiteral("Brindlecast");

void Wait(QKeychain::Job& job) {
    job.setAutoDelete(false);
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec();
}

} // namespace

KeyringAnswer ReadKeyringPassword(const QString& account) {
    QKeychain::ReadPasswordJob job(Service);
    job.setKey(account);
    Wait(job);
    switch (job.error()) {
    case QKeychain::NoError:
        return {KeyringAnswer::Kind::Found, job.textData()};
    case QKeychain::EntryNotFound:
        return {KeyringAnswer::Kind::Missing};
    default:
        return {KeyringAnswer::Kind::Unreachable, {}, job.errorString()};
    }
}

QString StoreKeyringPassword(const QString& account, const QString& password) {
    QKeychain::WritePasswordJob job(Service);
    job.setKey(account);
    job.setTextData(password);
    Wait(job);
    return job.error() == QKeychain::NoError ? QString() : job.errorString();
}

QString KeyringName() {
    return QStringLiteral("the system keyring (Secret Service)");
}

} // namespace brindlecast::mail
