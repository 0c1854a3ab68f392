#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace brindlecast::mail {

/// One address of a message, with the name shown for it.
struct Mailbox {
    QString name;
    /// As the server is given it: ASCII, the domain in its ASCII form.
    QString address;
};

/// "Dana Hollis <dana@example.org>", "<dana@example.org>" or "dana@example.org". None when it is
/// not one address a mail server takes: blanks or controls in it, no "@" or two, several
/// addresses, letters beyond ASCII before the "@" (a domain in any script is written in its ASCII
/// form).
std::optional<Mailbox> ParseMailbox(const QString& text);

/// The domain of an address, after its "@".
QString DomainOf(const Mailbox& mailbox);

/// The mailbox as a header holds it: the name as a phrase (encoded where it needs to be), then
/// the address in angle brackets; the address alone when there is no name.
QByteArray MailboxText(const Mailbox& mailbox);

/// The header field `name: mailbox, mailbox`, one mailbox a line, ending in CRLF.
QByteArray AddressHeader(const QByteArray& name, const std::vector<Mailbox>& mailboxes);

} // namespace brindlecast::mail
