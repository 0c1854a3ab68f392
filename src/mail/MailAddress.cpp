#include "MailAddress.h"

#include "HeaderEncoding.h"

#include <QUrl>

namespace brindlecast::mail {

namespace {

// What may stand before the "@" unquoted (RFC 5322's atext and dots); quoted local parts are
// left out: no list holds them on purpose.
bool IsLocalCharacter(QChar c) {
    static const QString others = QStringLiteral("!#$%&'*+-/=?^_`{|}~.");
    return c.unicode() < 0x80 && (c.isLetterOrNumber() || others.contains(c));
}

bool IsDomainLabel(const QString& label) {
    if (label.isEmpty() || label.size() > 63 || label.startsWith(QLatin1Char('-')) ||
        label.endsWith(QLatin1Char('-')))
        return false;
    for (const QChar c : label)
        if (c.unicode() >= 0x80 || !(c.isLetterOrNumber() || c == QLatin1Char('-')))
            return false;
    return true;
}

std::optional<QString> CheckedAddress(const QString& text) {
    const qsizetype at = text.lastIndexOf(QLatin1Char('@'));
    if (at <= 0 || text.indexOf(QLatin1Char('@')) != at)
        return std::nullopt;
    const QString local = text.left(at);
    if (local.startsWith(QLatin1Char('.')) || local.endsWith(QLatin1Char('.')) ||
        local.contains(QLatin1String("..")) || local.size() > 64)
        return std::nullopt;
    for (const QChar c : local)
        if (!IsLocalCharacter(c))
            return std::nullopt;
    const QString domain = QString::fromLatin1(QUrl::toAce(text.mid(at + 1))).toLower();
    if (domain.isEmpty() || domain.size() > 253)
        return std::nullopt;
    for (const QString& label : domain.split(QLatin1Char('.')))
        if (!IsDomainLabel(label))
            return std::nullopt;
    return local + QLatin1Char('@') + domain;
}

} // namespace

std::optional<Mailbox> ParseMailbox(const QString& text) {
    const QString trimmed = text.trimmed();
    Mailbox mailbox;
    QString address = trimmed;
    if (const qsizetype open = trimmed.lastIndexOf(QLatin1Char('<')); open >= 0) {
        if (!trimmed.endsWith(QLatin1Char('>')))
            return std::nullopt;
        address = trimmed.mid(open + 1).chopped(1).trimmed();
        QString name = trimmed.left(open).trimmed();
        if (name.size() >= 2 && name.startsWith(QLatin1Char('"')) &&
            name.endsWith(QLatin1Char('"')))
            name = name.mid(1).chopped(1).replace(QLatin1String("\\\""), QLatin1String("\""));
        mailbox.name = OneLine(name).simplified();
    }
    const auto checked = CheckedAddress(address);
    if (!checked)
        return std::nullopt;
    mailbox.address = *checked;
    return mailbox;
}

QString DomainOf(const Mailbox& mailbox) {
    return mailbox.address.mid(mailbox.address.lastIndexOf(QLatin1Char('@')) + 1);
}

QByteArray MailboxText(const Mailbox& mailbox) {
    const QByteArray phrase = PhraseText(mailbox.name);
    if (phrase.isEmpty())
        return mailbox.address.toLatin1();
    return phrase + " <" + mailbox.address.toLatin1() + '>';
}

QByteArray AddressHeader(const QByteArray& name, const std::vector<Mailbox>& mailboxes) {
    QByteArray header = name + ": ";
    for (size_t i = 0; i < mailboxes.size(); ++i)
        header += (i ? ",\r\n " : "") + MailboxText(mailboxes[i]);
    return header + "\r\n";
}

} // namespace brindlecast::mail
