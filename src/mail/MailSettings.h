#pragma once

#include <QString>

// What a sending run keeps for the next: the server, the login name and the sender, in a section
// of the settings store of its own. The password never goes there (see Keyring.h).
namespace brindlecast::mail {

inline constexpr const char* MailSection = "Mail";

struct MailSettings {
    /// smtp://host:587 or smtps://host:465: the server and its port.
    QString server;
    QString user;
    /// "Name <address>".
    QString from;
};

/// The settings kept by the last run that sent a message; empty ones where none is kept.
MailSettings StoredMailSettings();

/// Keeps `settings`; false when the store cannot be written.
bool StoreMailSettings(const MailSettings& settings);

} // namespace brindlecast::mail
