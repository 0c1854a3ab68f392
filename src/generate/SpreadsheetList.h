#pragma once

#include "SpreadsheetFile.h"
#include "newsletter/Recipients.h"

#include <QByteArray>
#include <QString>

namespace brindlecast {

namespace engine {
class Spreadsheets;
}

/// What a list in a workbook is read from.
struct WorkbookListSource {
    /// The file as the user named it, for messages.
    QString path;
    /// Its bytes, read already; the engine gets a copy of them.
    QByteArray bytes;
    SpreadsheetKind kind = SpreadsheetKind::Xlsx;
    /// The sheet to read, by name in any letter case; empty for the first.
    QString sheet;
};

/// The recipients of a sheet of a workbook, read in the spreadsheet session `spreadsheets` from a
/// copy in the temporary folder, which is closed again: the first row with anything in it is
/// the header, each cell counts as the sheet shows it, empty rows are left out; the list's
/// format is RecipientFormat::Spreadsheet and its `sheet` the sheet's name. Throws
/// SpreadsheetError when the workbook cannot be read (damaged, protected, too large, no such
/// sheet), RecipientListError when the sheet is no list, and what the engine throws otherwise.
RecipientList ReadWorkbookList(engine::Spreadsheets& spreadsheets,
                               const WorkbookListSource& source);

} // namespace brindlecast
