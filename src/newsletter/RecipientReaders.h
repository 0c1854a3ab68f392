#pragma once

#include "Recipients.h"

// The two list formats, each from decoded text. Internal to the newsletter library; callers use
// ReadRecipients. Both leave `encoding` to the caller and throw RecipientListError.
namespace brindlecast::recipients {

/// A CSV list with a header row; its delimiter is detected unless a first line "sep=X", as
/// spreadsheet programs write it, names one.
RecipientList ReadCsv(const QString& text);

/// Every vCard (2.1, 3.0 or 4.0) of the text.
RecipientList ReadVCards(const QString& text);

/// The parts that are not empty, joined with `separator`.
QString JoinFilled(const QStringList& parts, const QString& separator);

} // namespace brindlecast::recipients
