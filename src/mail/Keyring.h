#pragma once

#include <QString>

// The system's keyring, where a mail server's password is kept: the Secret Service on Linux
// (through QtKeychain), the Credential Manager on Windows. Never the settings file.
namespace brindlecast::mail {

struct KeyringAnswer {
    enum class Kind { Found, Missing, Unreachable };
    Kind kind = Kind::Missing;
    QString password = {};
    /// Why the keyring cannot be used, for a message.
    QString reason = {};
};

/// The password kept for `account` ("user at smtp://host:port").
KeyringAnswer ReadKeyringPassword(const QString& account);

/// Keeps `password` for `account`; empty when it is kept, otherwise why not.
QString StoreKeyringPassword(const QString& account, const QString& password);

/// The keyring as a person knows it: "the system keyring (Secret Service)".
QString KeyringName();

} // namespace brindlecast::mail
