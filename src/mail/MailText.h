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
/// text so that it shows as typed; before that, its IF blocks kept or removed for these values,
/// its lines taken as paragraphs. Brackets around anything else stay.
QString FillMailText(const QString& text, const MergeValues& values, TextKind kind);

/// The bracketed names in `text` that read as placeholders (they start with a letter) but that
/// `values` does not have: a misspelt column, which would reach every reader as it is.
QStringList UnknownNames(const QString& text, const MergeValues& values);

/// What is wrong with the first IF block of `text` that cannot be read ("[IF Member] (line 2)
/// is not closed by an [END IF]"); empty when every block is well formed.
QString BlockTrouble(const QString& text);

/// The plain text of an HTML body, for the alternative a reader without HTML sees: the tags'
/// line breaks and paragraphs kept, links shown by their address, characters decoded.
QString HtmlAsText(const QString& html);

} // namespace brindlecast::mail
