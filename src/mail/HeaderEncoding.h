#pragma once

#include <QByteArray>
#include <QString>

// The small encodings of mail headers that the transport library does not make: text beyond
// ASCII in a header (RFC 2047), a file name in a MIME parameter (RFC 2231), and folding.
namespace brindlecast::mail {

/// The header field `name: text`, ending in CRLF, for a text header such as Subject: plain when
/// `text` is printable ASCII, otherwise as UTF-8 encoded words; folded so that no line is longer
/// than 78 characters. Line breaks in `text` become blanks: a header is one line.
QByteArray TextHeader(const QByteArray& name, const QString& text);

/// A display name as the phrase before an address: plain ASCII words as they are, a quoted
/// string when it holds characters that mean something in an address, encoded words when it holds
/// anything beyond printable ASCII. Empty for an empty name.
QByteArray PhraseText(const QString& name);

/// A MIME parameter such as a file name, starting with "; ": `name="value"` for a printable
/// ASCII value, otherwise `name*0*=UTF-8''...` percent-encoded and cut into lines of a mail's
/// length. Quotes, backslashes and controls never pass unencoded.
QByteArray ParameterText(const QByteArray& name, const QString& value);

/// `text` as encoded words of at most 75 characters each (RFC 2047, UTF-8, base64), separated by
/// CRLF and a blank, so that each may stand on a line of its own.
QByteArray EncodedWords(const QString& text);

/// `text` without line breaks and other controls, which a header must not hold.
QString OneLine(const QString& text);

} // namespace brindlecast::mail
