#include "Control.h"
#include "Dispatch.h"
#include "ExcelObjects.h"

#include <algorithm>

namespace standin::excel {

namespace {

constexpr long LastRow = 1048576;

enum class Kind { Cells, Rows, Columns, EntireColumns };

class Range final : public DispatchObject {
public:
    Range(BookPtr book, size_t sheet, long row, long column, long lastRow, long lastColumn,
          Kind kind)
        : DispatchObject(L"Range", members())
        , mBook(std::move(book))
        , mSheet(sheet)
        , mRow(row)
        , mColumn(column)
        , mLastRow(lastRow)
        , mLastColumn(lastColumn)
        , mKind(kind) {}

private:
    enum : DISPID {
        Item = 0,
        Row,
        Column,
        Count,
        Rows,
        Columns,
        EntireColumn,
        Text,
        Value,
        AutoFit,
        Hidden
    };
    static const std::vector<Member>& members() {
        static const std::vector<Member> table = {
            {Item, L"Item", Get | Call, 1, {L"RowIndex", L"ColumnIndex"}},
            {Row, L"Row", Get},
            {Column, L"Column", Get},
            {Count, L"Count", Get},
            {Rows, L"Rows", Get},
            {Columns, L"Columns", Get},
            {EntireColumn, L"EntireColumn", Get},
            {Text, L"Text", Get},
            {Value, L"Value", Get},
            {AutoFit, L"AutoFit", Call},
            {Hidden, L"Hidden", Get | Put}};
        return table;
    }

    Sheet& sheet() const { return mBook->sheets[mSheet]; }
    long rows() const { return mLastRow - mRow + 1; }
    long columns() const { return mLastColumn - mColumn + 1; }
    IDispatch* range(long row, long column, long lastRow, long lastColumn, Kind kind) const {
        return new Range(mBook, mSheet, row, column, lastRow, lastColumn, kind);
    }

    void invoke(const Member& member, Access access, Args& args, VARIANT& result) override {
        requireOpen(*mBook);
        switch (member.id) {
        case Item:
            return setObject(result, item(args));
        case Row:
            return setLong(result, mRow);
        case Column:
            return setLong(result, mColumn);
        case Count:
            return setLong(result, mKind == Kind::Rows    ? rows()
                                   : mKind == Kind::Cells ? rows() * columns()
                                                          : columns());
        case Rows:
            return setObject(result, range(mRow, mColumn, mLastRow, mLastColumn, Kind::Rows));
        case Columns:
            return setObject(result, range(mRow, mColumn, mLastRow, mLastColumn, Kind::Columns));
        case EntireColumn:
            return setObject(result, range(1, mColumn, LastRow, mLastColumn, Kind::EntireColumns));
        case Text:
            return text(result);
        case Value:
            return value(result);
        case AutoFit:
            return autoFit();
        case Hidden:
            return hidden(access, args, result);
        }
    }

    // Relative to the range's first cell, as Excel's Range.Item is; one index alone counts
    // columns of a range of columns and cells (row by row) of any other.
    IDispatch* item(Args& args) const {
        long row = args.number(0);
        long column = args.has(1) ? args.number(1) : 1;
        if (!args.has(1) && mKind == Kind::Columns)
            return range(mRow, mColumn + row - 1, mLastRow, mColumn + row - 1, Kind::Columns);
        if (!args.has(1)) {
            column = (row - 1) % columns() + 1;
            row = (row - 1) / columns() + 1;
        }
        if (row < 1 || column < 1)
            fail(1004, L"Application-defined or object-defined error");
        const long r = mRow + row - 1;
        const long c = mColumn + column - 1;
        return range(r, c, r, c, Kind::Cells);
    }

    // Excel gives Null for several cells unless they all show the same.
    void text(VARIANT& result) const {
        const std::wstring first = sheet().text(mRow, mColumn);
        for (long r = mRow; r <= mLastRow && r < sheet().firstRow + sheet().rows(); ++r)
            for (long c = mColumn; c <= mLastColumn; ++c)
                if (sheet().text(r, c) != first) {
                    result.vt = VT_NULL;
                    return;
                }
        setString(result, first);
    }

    static void valueOf(const Cell& cell, VARIANT& result) {
        if (cell.number) {
            result.vt = VT_R8;
            result.dblVal = cell.value;
        } else if (!cell.shown.empty()) {
            setString(result, cell.shown);
        }
    }

    // One cell's value, or an array of them, rows first, from 1 as Excel's are.
    void value(VARIANT& result) const {
        if (rows() == 1 && columns() == 1)
            return valueOf(sheet().at(mRow, mColumn), result);
        SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(rows()), 1},
                                    {static_cast<ULONG>(columns()), 1}};
        SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 2, bounds);
        for (long r = 0; r < rows(); ++r)
            for (long c = 0; c < columns(); ++c) {
                VARIANT cell;
                VariantInit(&cell);
                valueOf(sheet().at(mRow + r, mColumn + c), cell);
                LONG at[2] = {r + 1, c + 1};
                SafeArrayPutElement(array, at, &cell);
                VariantClear(&cell);
            }
        result.vt = VT_ARRAY | VT_VARIANT;
        result.parray = array;
    }

    // Only whole rows or columns fit themselves, to the cells of the range.
    void autoFit() {
        if (mKind == Kind::Cells)
            fail(1004, L"AutoFit method of Range class failed");
        if (mKind == Kind::Rows)
            return;
        Sheet& s = sheet();
        for (long c = std::max(mColumn, s.firstColumn);
             c <= mLastColumn && c < s.firstColumn + s.columns(); ++c) {
            long widest = 0;
            for (long r = std::max(mRow, s.firstRow); r <= mLastRow && r < s.firstRow + s.rows();
                 ++r)
                widest = std::max(widest, static_cast<long>(s.at(r, c).shown.size()));
            if (widest > 0)
                s.widths[static_cast<size_t>(c - s.firstColumn)] = widest;
        }
        mBook->saved = false;
    }

    void hidden(Access access, Args& args, VARIANT& result) {
        Sheet& s = sheet();
        const auto index = [&](long c) { return static_cast<size_t>(c - s.firstColumn); };
        const auto inUse = [&](long c) {
            return c >= s.firstColumn && c < s.firstColumn + s.columns();
        };
        if (access == Get)
            return setBool(result, inUse(mColumn) && s.hidden[index(mColumn)]);
        if (mKind != Kind::EntireColumns)
            fail(1004, L"Unable to set the Hidden property of the Range class");
        const bool hide = args.flag(args.value());
        for (long c = mColumn; c <= mLastColumn; ++c)
            if (inUse(c))
                s.hidden[index(c)] = hide;
        mBook->saved = false;
    }

    BookPtr mBook;
    size_t mSheet;
    long mRow, mColumn, mLastRow, mLastColumn;
    Kind mKind;
};

} // namespace

IDispatch* newUsedRange(BookPtr book, size_t sheet) {
    const Sheet& used = book->sheets[sheet];
    return new Range(book, sheet, used.firstRow, used.firstColumn, used.firstRow + used.rows() - 1,
                     used.firstColumn + used.columns() - 1, Kind::Cells);
}

} // namespace standin::excel
