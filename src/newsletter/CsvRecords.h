#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// RFC 4180 records, before any column means anything. Internal to the newsletter library.
namespace brindlecast::recipients {

struct CsvRecord {
    QStringList cells; // as written, quotes removed, line breaks inside quotes as "\n"
    int line = 0;      // where the record starts
};

/// The delimiter of the record that starts at `from`: whichever of comma, semicolon and tab
/// occurs most often outside quotes (comma on a tie or when none does).
QChar DetectDelimiter(const QString& text, qsizetype from = 0);

/// Splits text into records from `from` on, which is on line `line`. A blank line is a record
/// with one empty cell. Throws RecipientListError at a quote that is never closed.
std::vector<CsvRecord> SplitCsv(const QString& text, QChar delimiter, qsizetype from = 0,
                                int line = 1);

} // namespace brindlecast::recipients
