#pragma once

#include "Engine.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// Reading a workbook the way a spreadsheet program shows it, through the engine's own
// spreadsheet part: the few calls of "Excel.Application" that reading a list takes.
namespace brindlecast::engine {

/// The engine has no spreadsheet part to read with: no Excel is installed for automation, or
/// the office lacks its spreadsheet component. what() says which, for a person.
class SpreadsheetsMissing : public EngineError {
public:
    using EngineError::EngineError;
};

/// A worksheet's used range holds more cells than a list may: MostSheetCells. what() says how
/// many, to follow the sheet's name ("uses 1000000 rows by 3 columns, more than ...").
class SheetTooLarge : public EngineError {
public:
    using EngineError::EngineError;
};

/// The most cells of one used range that are read: some hundred thousand recipients with a
/// handful of columns each, far more than a run is for.
inline constexpr qint64 MostSheetCells = 2'000'000;

/// What a worksheet's used range shows.
struct SheetTexts {
    /// Range.Row of Worksheet.UsedRange: the sheet's row (from 1) that rows[0] is.
    int firstRow = 1;
    /// Range.Text of each cell of Worksheet.UsedRange, row by row: the text the cell shows, in
    /// the number and date format the sheet gives it; a formula's result as the file stored it.
    std::vector<QStringList> rows;
};

/// A workbook open for reading. It goes with its session.
class Workbook {
public:
    virtual ~Workbook() = default;
    /// Worksheets(i).Name of each worksheet, in the workbook's order.
    virtual QStringList worksheetNames() = 0;
    /// Worksheets(index), from 1: the texts its used range shows. Throws SheetTooLarge for a
    /// used range of more than MostSheetCells cells, before reading it.
    virtual SheetTexts usedRangeTexts(int index) = 0;
    /// Close SaveChanges:=False.
    virtual void close() = 0;
};

/// One spreadsheet session ("Excel.Application"). Destroying it without quit() also ends it.
class Spreadsheets {
public:
    virtual ~Spreadsheets() = default;
    /// Workbooks.Open(FileName, UpdateLinks:=0, ReadOnly:=True, ...), as a file from anyone is
    /// opened: no macro runs, no link is updated and nothing is fetched, no formula is
    /// calculated again, no question waits for an answer. OpenError when the file cannot be
    /// read as a workbook (damaged, protected by a password, something else).
    virtual Workbook& open(const QString& path) = 0;
    /// Application.Quit: closes every workbook of this session.
    virtual void quit() = 0;
};

/// Ends a session whose work is over or failed; a session that is already gone is not news.
inline void QuitQuietly(std::unique_ptr<Spreadsheets>& spreadsheets) noexcept {
    if (!spreadsheets)
        return;
    try {
        spreadsheets->quit();
    } catch (...) {
    }
    spreadsheets.reset();
}

} // namespace brindlecast::engine
