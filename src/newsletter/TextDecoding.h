#pragma once

#include <QByteArray>
#include <QString>

// How the recipient readers turn a file's bytes into text. Internal to the newsletter library.
namespace brindlecast::recipients {

struct DecodedText {
    QString text;
    QString encoding;
};

/// UTF-16 when the bytes start with its BOM; UTF-8 (BOM dropped) when they are valid UTF-8;
/// Windows-1252 otherwise, the form spreadsheet programs on Windows export.
DecodedText DecodeListText(const QByteArray& bytes);

/// Bytes in a named character set: Latin-1 and Windows-1252 by name, UTF-8 otherwise.
QString DecodeCharset(const QByteArray& bytes, const QString& charset);

} // namespace brindlecast::recipients
