#pragma once

#include "MailAddress.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

namespace brindlecast::mail {

/// A file that goes with a message.
struct Attachment {
    QString fileName;
    QByteArray mimeType;
    QByteArray bytes;
};

/// One message as its reader sees it.
struct MailMessage {
    Mailbox from;
    std::vector<Mailbox> to;
    std::vector<Mailbox> cc = {};
    std::optional<Mailbox> replyTo = std::nullopt;
    QString subject;
    /// The text, or, beside an HTML body, its plain-text alternative.
    QString text;
    /// An HTML body; none when empty.
    QString html = {};
    std::vector<Attachment> attachments = {};
    /// A URL or mailto: address where the reader unsubscribes; none when empty.
    QString listUnsubscribe = {};
    /// With its angle brackets, as NewMessageId gives it.
    QByteArray messageId;
    QDateTime date;
};

/// The message as RFC 5322 and MIME have it, lines ending in CRLF: the bytes a mail program
/// reads from an .eml file and a server is sent. Texts are UTF-8 in quoted-printable,
/// attachments base64; with attachments the message is multipart/mixed, an HTML body goes in a
/// multipart/alternative after its plain text. `boundary` is what the parts' boundaries are made
/// from: any letters and digits (NewMessageId's random part will do).
QByteArray MessageBytes(const MailMessage& message, const QByteArray& boundary);

/// A new Message-ID, "<random.time@domain>", random enough that no other message has it.
QByteArray NewMessageId(const QString& domain);

/// The date as a Date header has it: "Tue, 07 May 2024 10:00:00 +0200", in English whatever the
/// language of the system.
QByteArray MailDate(const QDateTime& date);

/// The MIME type of a file the newsletter is saved as, by its extension ("pdf", ".docx").
QByteArray SaveFormatMimeType(const QString& extension);

} // namespace brindlecast::mail
