#include "MailMessage.h"

#include "HeaderEncoding.h"

#include <QRandomGenerator>
#include <QTimeZone>

namespace brindlecast::mail {

namespace {

// Neither quoted-printable nor base64 ever writes "=_", so a boundary with it cannot turn up
// inside a part.
QByteArray Boundary(const QByteArray& seed, const char* kind) {
    return "=_bc_" + QByteArray(kind) + '_' + seed;
}

QByteArray Base64Lines(const QByteArray& bytes) {
    const QByteArray encoded = bytes.toBase64();
    QByteArray lines;
    lines.reserve(encoded.size() + encoded.size() / 38 + 2);
    for (qsizetype from = 0; from < encoded.size(); from += 76)
        lines += encoded.mid(from, 76) + "\r\n";
    return lines;
}

bool IsPlainQuoted(unsigned char byte) {
    return byte >= 33 && byte <= 126 && byte != '=';
}

// One line of text (without its break) in quoted-printable, soft breaks keeping lines at 76.
QByteArray QuotedPrintableLine(const QByteArray& line) {
    static const char hex[] = "0123456789ABCDEF";
    QByteArray out;
    int length = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const auto byte = static_cast<unsigned char>(line[i]);
        const bool last = i + 1 == line.size();
        // A blank at a line's end would be lost on the way; "From " starting a line is changed
        // by mailbox files; a dot alone may end the transfer on some servers.
        const bool plain = IsPlainQuoted(byte)
                               ? !(i == 0 && (line.startsWith("From ") || (byte == '.' && last)))
                               : (byte == ' ' || byte == '\t') && !last;
        const char escaped[] = {'=', hex[byte >> 4], hex[byte & 15]};
        const QByteArray piece = plain ? QByteArray(1, char(byte)) : QByteArray(escaped, 3);
        if (length + piece.size() > 75) {
            out += "=\r\n";
            length = 0;
        }
        out += piece;
        length += int(piece.size());
    }
    return out + "\r\n";
}

QByteArray QuotedPrintable(const QString& text) {
    QString normal = text;
    normal.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), '\n');
    // The line end that ends the text ends its last line; it starts no line of its own.
    if (normal.endsWith(QLatin1Char('\n')))
        normal.chop(1);
    QByteArray out;
    for (const QString& line : normal.split(QLatin1Char('\n')))
        out += QuotedPrintableLine(line.toUtf8());
    return out;
}

QByteArray TextPart(const QString& text, const char* subtype) {
    return "Content-Type: text/" + QByteArray(subtype) +
           "; charset=UTF-8\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n" +
           QuotedPrintable(text);
}

QByteArray AttachmentPart(const Attachment& attachment) {
    const QByteArray type =
        attachment.mimeType.isEmpty() ? "application/octet-stream" : attachment.mimeType;
    return "Content-Type: " + type + ParameterText("name", attachment.fileName) +
           "\r\nContent-Disposition: attachment" + ParameterText("filename", attachment.fileName) +
           "\r\nContent-Transfer-Encoding: base64\r\n\r\n" + Base64Lines(attachment.bytes);
}

QByteArray Multipart(const char* subtype, const QByteArray& boundary,
                     const std::vector<QByteArray>& parts) {
    QByteArray out = "Content-Type: multipart/" + QByteArray(subtype) + "; boundary=\"" + boundary +
                     "\"\r\n\r\n";
    for (const QByteArray& part : parts)
        out += "--" + boundary + "\r\n" + part + "\r\n";
    return out + "--" + boundary + "--\r\n";
}

QByteArray Body(const MailMessage& message, const QByteArray& seed) {
    QByteArray body =
        message.html.isEmpty()
            ? TextPart(message.text, "plain")
            : Multipart("alternative", Boundary(seed, "alt"),
                        {TextPart(message.text, "plain"), TextPart(message.html, "html")});
    if (message.attachments.empty())
        return body;
    std::vector<QByteArray> parts{body};
    for (const Attachment& attachment : message.attachments)
        parts.push_back(AttachmentPart(attachment));
    return Multipart("mixed", Boundary(seed, "mix"), parts);
}

} // namespace

QByteArray MessageBytes(const MailMessage& message, const QByteArray& boundary) {
    QByteArray head = AddressHeader("From", {message.from});
    head += AddressHeader("To", message.to);
    if (!message.cc.empty())
        head += AddressHeader("Cc", message.cc);
    if (message.replyTo)
        head += AddressHeader("Reply-To", {*message.replyTo});
    head += TextHeader("Subject", message.subject);
    head += "Date: " + MailDate(message.date) + "\r\n";
    head += "Message-ID: " + message.messageId + "\r\n";
    if (!message.listUnsubscribe.isEmpty())
        head += "List-Unsubscribe: <" + OneLine(message.listUnsubscribe).toUtf8() + ">\r\n";
    head += "MIME-Version: 1.0\r\n";
    return head + Body(message, boundary);
}

QByteArray NewMessageId(const QString& domain) {
    quint64 random[2];
    QRandomGenerator::system()->fillRange(random);
    const QByteArray unique = QByteArray(reinterpret_cast<const char*>(random), sizeof random);
    return '<' + unique.toHex() + '.' +
           QByteArray::number(QDateTime::currentMSecsSinceEpoch(), 36) + '@' + domain.toLatin1() +
           '>';
}

QByteArray MailDate(const QDateTime& date) {
    static const char* const days[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const int offset = date.offsetFromUtc() / 60;
    const QDate day = date.date();
    return QStringLiteral("%1, %2 %3 %4 %5 %6%7%8")
        .arg(QLatin1String(days[day.dayOfWeek() - 1]))
        .arg(day.day(), 2, 10, QLatin1Char('0'))
        .arg(QLatin1String(months[day.month() - 1]))
        .arg(day.year())
        .arg(date.time().toString(QStringLiteral("HH:mm:ss")))
        .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(std::abs(offset) / 60, 2, 10, QLatin1Char('0'))
        .arg(std::abs(offset) % 60, 2, 10, QLatin1Char('0'))
        .toLatin1();
}

QByteArray SaveFormatMimeType(const QString& extension) {
    const QString bare = extension.startsWith(QLatin1Char('.')) ? extension.mid(1) : extension;
    if (bare.compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0)
        return "application/pdf";
    if (bare.compare(QLatin1String("docx"), Qt::CaseInsensitive) == 0)
        return "application/vnd.openxmlformats-officedocument.wordprocessingml.document";
    if (bare.compare(QLatin1String("odt"), Qt::CaseInsensitive) == 0)
        return "application/vnd.oasis.opendocument.text";
    if (bare.compare(QLatin1String("doc"), Qt::CaseInsensitive) == 0)
        return "application/msword";
    return "application/octet-stream";
}

} // namespace brindlecast::mail
