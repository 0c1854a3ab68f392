#pragma once

#include "newsletter/MergeValues.h"

#include <QString>
#include <QStringList>

// A message's subject and body for one recipient: the placeholders a template has, filled from
// the same values as the newsletter.
namespace brindlecast::mail {

enum class TextKind { Plain, Html };

/// `text` for the recipient whose values are `values`: every bracketed name they have
/// ("[Salutation]", "[RecipientName]") replaced by its value as it is, HTML-escaped in an HTML
/// text so that it shows as typed. Brackets around anything else stay. This is where a
/// message's IF blocks are to be resolved, before the names are filled.
QString FillMailText(const QString& text, const MergeValues& values, TextKind kind);

/// The bracketed names in `text` that read as placeholders (they start with a letter) but that
/// `values` does not have: a misspelt column, which would reach every reader as it is.
QStringList UnknownNames(const QString& text, const MergeValues& values);

/// The plain text of an HTML body, for the alternative a reader without HTML sees: the tags'
/// line breaks and paragraphs kept, links shown by their address, characters decoded.
QString HtmlAsText(const QString& html);

} // namespace brindlecast::mail
