// The system's keyring as sending keeps a mail server's password in it: Windows' Credential
// Manager (Wine's, in the tests), or the Secret Service of a session bus of the test's own
// (gnome-keyring-daemon, started by keyring-session.sh), never the user's.
#include "mail/Keyring.h"

#include <QUuid>
#include <gtest/gtest.h>

namespace brindlecast::mail {
namespace {

TEST(Keyring, APasswordKeptIsReadBackAndReplacedAndNoOtherAccountHasIt) {
    const QString account =
        QStringLiteral("dana at smtps://127.0.0.1:465 %1").arg(QUuid::createUuid().toString());
    EXPECT_EQ(ReadKeyringPassword(account).kind, KeyringAnswer::Kind::Missing);
    EXPECT_EQ(StoreKeyringPassword(account, QString::fromUtf8("s3cret \xC3\xBC ")), QString());
    const KeyringAnswer found = ReadKeyringPassword(account);
    ASSERT_EQ(found.kind, KeyringAnswer::Kind::Found) << found.reason.toStdString();
    EXPECT_EQ(found.password, QString::fromUtf8("s3cret \xC3\xBC "));
    EXPECT_EQ(StoreKeyringPassword(account, QStringLiteral("new")), QString());
    EXPECT_EQ(ReadKeyringPassword(account).password, QStringLiteral("new"));
    EXPECT_EQ(ReadKeyringPassword(account + QLatin1Char('x')).kind, KeyringAnswer::Kind::Missing);
}

} // namespace
} // namespace brindlecast::mail
