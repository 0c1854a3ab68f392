#pragma once

#include "CsvRecords.h"
#include "Recipients.h"

// The two list formats, each from decoded text. Internal to the newsletter library; callers use
// ReadRecipients. Both leave `encoding` to the caller and throw RecipientListError.
namespace brindlecast::recipients {

/// A CSV list with a header row; its delimiter is detected unless a first line "sep=X", as
/// spreadsheet programs write it, names one.
RecipientList ReadCsv(const QString& text);

/// Every vCard (2.1, 3.0 or 4.0) of the text.
RecipientList ReadVCards(const QString& text);

/// A JSON array of objects, one per recipient, whose keys are the names a CSV header takes.
RecipientList ReadJsonList(const QByteArray& utf8);

/// The recipients of rows under a header (a CSV list's, or a JSON list's keys); `headerWhere`
/// names the header in a message ("the header at line 1"). Blank rows are skipped.
RecipientList ReadTable(const QStringList& header, const std::vector<CsvRecord>& rows,
                        const QString& headerWhere, int headerLine);

/// The parts that are not empty, joined with `separator`.
QString JoinFilled(const QStringList& parts, const QString& separator);

} // namespace brindlecast::recipients
