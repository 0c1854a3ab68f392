#include "HeaderEncoding.h"

#include <QByteArrayList>

namespace brindlecast::mail {

namespace {

constexpr int MostLine = 78;
// "=?UTF-8?B?" and "?=" around the base64 of 45 bytes make 72 characters: with the blank that
// starts a folded line, an encoded word fits any line.
constexpr int MostWordBytes = 45;

bool IsPrintableAscii(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return false;
    return true;
}

// Where a UTF-8 sequence starts: a continuation byte never does.
bool StartsCharacter(char byte) {
    return (static_cast<unsigned char>(byte) & 0xc0) != 0x80;
}

} // namespace

QString OneLine(const QString& text) {
    QString line;
    line.reserve(text.size());
    for (const QChar c : text)
        line += c.unicode() < 0x20 || c.unicode() == 0x7f ? QLatin1Char(' ') : c;
    return line;
}

QByteArray EncodedWords(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    QByteArrayList words;
    qsizetype from = 0;
    while (from < utf8.size()) {
        qsizetype to = std::min(from + MostWordBytes, utf8.size());
        // A word holds whole characters only: a decoder may decode each on its own.
        while (to < utf8.size() && to > from + 1 && !StartsCharacter(utf8[to]))
            --to;
        words.append("=?UTF-8?B?" + utf8.mid(from, to - from).toBase64() + "?=");
        from = to;
    }
    return words.join("\r\n ");
}

QByteArray TextHeader(const QByteArray& name, const QString& text) {
    const QString line = OneLine(text);
    const QStringList words = line.split(QLatin1Char(' '));
    bool plain = IsPrintableAscii(line) && !line.contains(QLatin1String("=?"));
    for (const QString& word : words)
        plain = plain && word.size() + name.size() + 2 < MostLine;
    if (!plain)
        return name + ": " + EncodedWords(line) + "\r\n";
    // Folded at blanks: the blank that starts the next line is the one that was there.
    QByteArray header = name + ":";
    qsizetype lineLength = header.size();
    for (const QString& word : words) {
        if (lineLength + 1 + word.size() > MostLine) {
            header += "\r\n";
            lineLength = 0;
        }
        header += ' ' + word.toLatin1();
        lineLength += 1 + word.size();
    }
    return header + "\r\n";
}

QByteArray PhraseText(const QString& name) {
    const QString phrase = OneLine(name).simplified();
    if (phrase.isEmpty())
        return {};
    if (!IsPrintableAscii(phrase) || phrase.contains(QLatin1String("=?")))
        return EncodedWords(phrase);
    // The characters RFC 5322 does not allow in a plain phrase.
    static const QString specials = QStringLiteral("()<>[]:;@\\,.\"");
    for (const QChar c : phrase)
        if (specials.contains(c)) {
            QByteArray quoted = phrase.toLatin1();
            quoted.replace('\\', "\\\\").replace('"', "\\\"");
            return '"' + quoted + '"';
        }
    return phrase.toLatin1();
}

QByteArray ParameterText(const QByteArray& name, const QString& value) {
    if (IsPrintableAscii(value) && !value.contains(QLatin1Char('"')) &&
        !value.contains(QLatin1Char('\\')) && value.size() + name.size() < 60)
        return "; " + name + "=\"" + value.toLatin1() + '"';
    // Percent-encoded UTF-8, cut into numbered sections on whole escapes.
    const QByteArray encoded = value.toUtf8().toPercentEncoding("!#$&+-.^_`|~");
    QByteArray text;
    constexpr int MostSection = 60;
    int section = 0;
    for (qsizetype from = 0; from < encoded.size(); ++section) {
        qsizetype to = std::min(from + MostSection, encoded.size());
        if (to < encoded.size() && encoded[to - 1] == '%')
            to -= 1;
        else if (to < encoded.size() && encoded[to - 2] == '%')
            to -= 2;
        text += ";\r\n " + name + '*' + QByteArray::number(section) + '*' + '=' +
                (section == 0 ? "UTF-8''" : "") + encoded.mid(from, to - from);
        from = to;
    }
    return text;
}

} // namespace brindlecast::mail
