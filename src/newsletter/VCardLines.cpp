#include "VCardLines.h"

#include "TextDecoding.h"

namespace brindlecast::recipients {

namespace {

// The colon ends the property's name and parameters; it is looked for only in text not yet
// searched, so that a long folded line costs time in proportion to its length.
struct ContentLine {
    QString text;
    int line;
    qsizetype colon = -1;
    bool quotedPrintable = false;

    void append(const QString& more) {
        const qsizetype searched = text.size();
        text += more;
        findColon(searched);
    }
    void findColon(qsizetype from) {
        if (colon >= 0)
            return;
        colon = text.indexOf(QLatin1Char(':'), from);
        quotedPrintable = colon > 0 && QStringView(text).left(colon).contains(
                                           QLatin1String("QUOTED-PRINTABLE"), Qt::CaseInsensitive);
    }
};

// A line starting with a blank or tab continues the one before (RFC 6350 folding). vCard 2.1's
// quoted-printable values instead end a line with "=" and go on at the start of the next.
std::vector<ContentLine> Unfold(const QString& text) {
    std::vector<ContentLine> lines;
    int number = 0;
    for (qsizetype pos = 0; pos < text.size();) {
        qsizetype end = pos;
        while (end < text.size() && text[end] != QLatin1Char('\n') &&
               text[end] != QLatin1Char('\r'))
            ++end;
        const QString physical = text.mid(pos, end - pos);
        ++number;
        pos = end + (text.mid(end, 2) == QLatin1String("\r\n") ? 2 : 1);
        ContentLine* last = lines.empty() ? nullptr : &lines.back();
        if (last && last->quotedPrintable && last->text.endsWith(QLatin1Char('='))) {
            last->text.chop(1);
            last->append(physical);
        } else if (last && (physical.startsWith(QLatin1Char(' ')) ||
                            physical.startsWith(QLatin1Char('\t')))) {
            last->append(physical.mid(1));
        } else {
            lines.push_back({physical, number});
            lines.back().findColon(0);
        }
    }
    return lines;
}

// Splits at `separator` where it is outside double quotes (parameter values may be quoted).
QStringList SplitOutsideQuotes(const QString& text, QChar separator) {
    QStringList parts{QString()};
    bool quoted = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        if (c == separator && !quoted)
            parts.append(QString());
        else
            parts.last() += c;
    }
    return parts;
}

QString Unquoted(QString text) {
    text = text.trimmed();
    if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"')))
        return text.mid(1, text.size() - 2);
    return text;
}

QByteArray FromQuotedPrintable(const QString& text) {
    const QByteArray coded = text.toUtf8();
    QByteArray bytes;
    for (qsizetype i = 0; i < coded.size(); ++i) {
        bool ok = false;
        const int byte = coded[i] == '=' ? coded.mid(i + 1, 2).toInt(&ok, 16) : 0;
        bytes += ok ? char(byte) : coded[i];
        i += ok ? 2 : 0;
    }
    return bytes;
}

} // namespace

QStringList VCardProperty::types() const {
    QStringList types;
    for (const auto& [name, value] : params)
        if (name == QLatin1String("TYPE"))
            for (const QString& type : value.split(QLatin1Char(',')))
                types.append(Unquoted(type).toLower());
    return types;
}

QStringList VCardProperty::components() const {
    QString text = value;
    bool quotedPrintable = false;
    QString charset;
    for (const auto& [name, param] : params) {
        quotedPrintable |=
            param.compare(QLatin1String("QUOTED-PRINTABLE"), Qt::CaseInsensitive) == 0;
        charset = name == QLatin1String("CHARSET") ? param : charset;
    }
    if (quotedPrintable)
        text = DecodeCharset(FromQuotedPrintable(text), charset);
    QStringList parts{QString()};
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('\\') && i + 1 < text.size()) {
            const QChar next = text[++i];
            parts.last() +=
                next == QLatin1Char('n') || next == QLatin1Char('N') ? QChar('\n') : next;
        } else if (text[i] == QLatin1Char(';')) {
            parts.append(QString());
        } else {
            parts.last() += text[i];
        }
    }
    return parts;
}

std::vector<VCardProperty> ReadProperties(const QString& text) {
    std::vector<VCardProperty> properties;
    for (const ContentLine& line : Unfold(text)) {
        const QStringList head = SplitOutsideQuotes(line.text, QLatin1Char(':'));
        if (head.size() < 2)
            continue;
        VCardProperty property;
        property.value = line.text.mid(head[0].size() + 1);
        property.line = line.line;
        const QStringList parts = SplitOutsideQuotes(head[0], QLatin1Char(';'));
        const QString name = parts[0].trimmed();
        property.name = name.mid(name.lastIndexOf(QLatin1Char('.')) + 1).toUpper();
        for (qsizetype i = 1; i < parts.size(); ++i) {
            const qsizetype equals = parts[i].indexOf(QLatin1Char('='));
            if (equals < 0) // vCard 2.1 writes bare type values
                property.params.push_back({QStringLiteral("TYPE"), Unquoted(parts[i])});
            else
                property.params.push_back({parts[i].left(equals).trimmed().toUpper(),
                                           Unquoted(parts[i].mid(equals + 1))});
        }
        properties.push_back(property);
    }
    return properties;
}

} // namespace brindlecast::recipients
