#pragma once

#include <memory>
#include <string>
#include <vector>

// The workbooks the calls read: sheets of cells, each with the text it shows, the column widths
// that decide whether a number fits, and the session's settings that decide how a workbook
// opens.
namespace standin::excel {

struct Cell {
    /// What the cell shows in a column wide enough, in its number or date format.
    std::wstring shown;
    /// A formula's result once recalculated, where it differs from the stored one shown.
    std::wstring recalculated = {};
    /// Numbers and dates show "#" in a column too narrow for them; texts show whole.
    bool number = false;
    /// A number's or date's value, as Range.Value gives it.
    double value = 0;
};

struct Sheet {
    std::wstring name;
    /// The used range's first row and column, from 1.
    long firstRow = 1;
    long firstColumn = 1;
    /// The used range, row by row, every row as wide as the range.
    std::vector<std::vector<Cell>> cells;
    /// Each used column's width in characters; 0 for a hidden column.
    std::vector<long> widths;
    std::vector<bool> hidden;

    long rows() const { return static_cast<long>(cells.size()); }
    long columns() const { return static_cast<long>(widths.size()); }
    /// The cell at the sheet's row and column; an empty one outside the used range.
    const Cell& at(long row, long column) const;
    /// Range.Text of one cell: "#" as wide as the column for a number that does not fit.
    std::wstring text(long row, long column) const;
};

struct Book {
    std::wstring path;
    std::vector<Sheet> sheets;
    bool closed = false;
    /// No change since it was opened: a close that does not say SaveChanges asks otherwise.
    bool saved = true;
    /// It refers to cells of other workbooks, which Open's UpdateLinks decides about.
    bool hasLinks = false;
    /// Its Workbook_Open macro, which runs unless automation security disables macros.
    bool hasOpenMacro = false;

    std::wstring name() const;
    /// Every formula shows its result calculated afresh instead of the stored one.
    void recalculate();

    /// The built-in workbook any real workbook file opens as (see README.md).
    static std::shared_ptr<Book> builtIn(const std::wstring& path);
    /// Workbooks.Add's "Book<n>": one empty sheet.
    static std::shared_ptr<Book> blank(int number);
};

/// What makes a file a workbook Excel opens, by its content and its extension together; the
/// error text otherwise (Excel refuses a file whose extension does not match its content).
std::wstring refusalToOpen(const std::wstring& path);

/// The full form of a path as Excel records it.
std::wstring fullPath(const std::wstring& path);

} // namespace standin::excel
