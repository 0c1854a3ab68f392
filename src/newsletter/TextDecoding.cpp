#include "TextDecoding.h"

#include <QStringDecoder>

namespace brindlecast::recipients {

namespace {

// Windows-1252 differs from Latin-1 only in 0x80-0x9F; its five unassigned bytes stay as the
// C1 controls Latin-1 gives them.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString FromWindows1252(const QByteArray& bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        text[i] = byte >= 0x80 && byte < 0xA0 ? QChar(Cp1252High[byte - 0x80]) : QChar(byte);
    }
    return text;
}

bool StartsWith(const QByteArray& bytes, const char* prefix) {
    return bytes.startsWith(QByteArray(prefix));
}

} // namespace

DecodedText DecodeListText(const QByteArray& bytes) {
    if (StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF")) {
        const auto form =
            bytes[0] == '\xFF' ? QStringConverter::Utf16LE : QStringConverter::Utf16BE;
        QStringDecoder decoder(form, QStringConverter::Flag::ConvertInvalidToNull);
        return {decoder.decode(bytes.mid(2)), QStringLiteral("UTF-16")};
    }
    const QByteArray body = StartsWith(bytes, "\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(body);
    if (!utf8.hasError())
        return {text, QStringLiteral("UTF-8")};
    return {FromWindows1252(body), QStringLiteral("Windows-1252")};
}

QString DecodeCharset(const QByteArray& bytes, const QString& charset) {
    const QString name = charset.toLower();
    if (name == QLatin1String("windows-1252") || name == QLatin1String("cp1252") ||
        name == QLatin1String("iso-8859-1") || name == QLatin1String("latin1"))
        return FromWindows1252(bytes);
    return QString::fromUtf8(bytes);
}

} // namespace brindlecast::recipients
