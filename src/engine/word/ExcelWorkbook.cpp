// An Excel of our own, from its creation to its quit, and the workbooks it reads.
#include "ExcelWorkbook.h"

#include "ProcessWatch.h"

#include <QDir>
#include <optional>

namespace brindlecast::engine::word {

namespace {

// MsoAutomationSecurity's msoAutomationSecurityForceDisable: set again right before each Open,
// as the reference asks, since anything may have changed it meanwhile.
constexpr int MacrosForceDisabled = 3;
// XlCalculation's xlCalculationManual.
constexpr int CalculationManual = -4135;
// Workbooks.Open's UpdateLinks 0: external references (other workbooks, DDE) stay as stored.
constexpr int UpdateNoLinks = 0;
// Given so that a workbook protected by a password fails to open instead of asking for one,
// which a hidden Excel would wait on for ever; it opens no workbook anybody would protect.
const QString NoPassword = QStringLiteral("brindlecast: no password");

QString openFailure(const WordRefusal& refusal) {
    // Excel's words may name the file on a line of their own: the caller names it as the user
    // knows it.
    QString reason = QString::fromLocal8Bit(refusal.what()).section(QLatin1Char('\r'), 0, 0);
    reason = reason.section(QLatin1Char('\n'), 0, 0).trimmed();
    if (reason.contains(QLatin1String("password"), Qt::CaseInsensitive))
        return QStringLiteral("it is protected by a password");
    return reason.endsWith(QLatin1Char('.')) ? reason.chopped(1) : reason;
}

// What the cell at `row` and `column` (from 1) of a range's Value shows when it is text or
// empty; none for anything else (a number, a date, an error), whose shown text depends on its
// format. Value is a two-dimensional array, or the value itself for a range of one cell.
std::optional<QString> TextOf(const Variant& values, int row, int column) {
    const VARIANT& all = values.value();
    Variant cell;
    if (!(all.vt & VT_ARRAY)) {
        if (row != 1 || column != 1)
            return std::nullopt;
        cell = values;
    } else {
        SAFEARRAY* array = all.parray;
        LONG firstRow = 0, firstColumn = 0;
        if ((all.vt & VT_TYPEMASK) != VT_VARIANT || SafeArrayGetDim(array) != 2 ||
            FAILED(SafeArrayGetLBound(array, 1, &firstRow)) ||
            FAILED(SafeArrayGetLBound(array, 2, &firstColumn)))
            return std::nullopt;
        LONG at[2] = {firstRow + row - 1, firstColumn + column - 1};
        if (FAILED(SafeArrayGetElement(array, at, cell.get())))
            return std::nullopt;
    }
    if (cell.value().vt == VT_EMPTY)
        return QString();
    if (cell.value().vt == VT_BSTR)
        return cell.toString();
    return std::nullopt;
}

} // namespace

QStringList ExcelWorkbook::worksheetNames() {
    const Dispatch sheets = mWorkbook.object(L"Worksheets");
    QStringList names;
    const int count = sheets.get(L"Count").toInt();
    for (int i = 1; i <= count; ++i)
        names << sheets.object(L"Item", {Variant::int32(i)}).get(L"Name").toString();
    return names;
}

SheetTexts ExcelWorkbook::usedRangeTexts(int index) {
    const Dispatch sheet = mWorkbook.object(L"Worksheets").object(L"Item", {Variant::int32(index)});
    const Dispatch used = sheet.object(L"UsedRange");
    const qint64 rows = used.object(L"Rows").get(L"Count").toInt();
    const qint64 columns = used.object(L"Columns").get(L"Count").toInt();
    if (rows * columns > MostSheetCells)
        throw SheetTooLarge(QStringLiteral("uses %1 rows by %2 columns, more than the %3 "
                                           "cells a list may have")
                                .arg(rows)
                                .arg(columns)
                                .arg(MostSheetCells)
                                .toStdString());
    // Text is what the cell shows, and a column too narrow for a number or date shows "###":
    // the columns are shown and made as wide as their cells first, in this copy that is never
    // saved.
    used.object(L"EntireColumn").put(L"Hidden", Variant::boolean(false));
    used.object(L"Columns").call(L"AutoFit");
    // Every cell's value in one call: most of a list is text, which shows as it is; the others
    // (numbers, dates, errors) are asked for their text one by one.
    const Variant values = used.get(L"Value");
    SheetTexts texts;
    texts.firstRow = used.get(L"Row").toInt();
    for (int row = 1; row <= rows; ++row) {
        QStringList cells;
        for (int column = 1; column <= columns; ++column) {
            const std::optional<QString> text = TextOf(values, row, column);
            cells << (text ? *text
                           : used.object(L"Item", {Variant::int32(row), Variant::int32(column)})
                                 .get(L"Text")
                                 .toString());
        }
        texts.rows.push_back(cells);
    }
    return texts;
}

void ExcelWorkbook::close() {
    if (!mWorkbook)
        return;
    mWorkbook.call(L"Close", {}, {{L"SaveChanges", Variant::boolean(false)}});
    mWorkbook.reset();
}

ExcelSpreadsheets::ExcelSpreadsheets(Dispatch application, std::shared_ptr<ServerProcess> process)
    : mApplication(std::move(application))
    , mProcess(std::move(process)) {}

ExcelSpreadsheets::~ExcelSpreadsheets() {
    if (!mQuitTried) {
        try {
            quit();
        } catch (...) {
            // Ending it is all that is left to do, and quit() has seen to that.
        }
    }
    releaseAll();
}

// Before anything is opened: no question may wait for an answer nobody sees, no event runs a
// macro, and nothing is calculated again. Excel takes the calculation mode only with a
// workbook open, so a blank one comes first.
void ExcelSpreadsheets::prepare() {
    if (mBlank)
        return;
    mApplication.put(L"DisplayAlerts", Variant::boolean(false));
    mApplication.put(L"EnableEvents", Variant::boolean(false));
    mBlank = std::make_unique<ExcelWorkbook>(mApplication.object(L"Workbooks").callObject(L"Add"));
    mApplication.put(L"Calculation", Variant::int32(CalculationManual));
}

Workbook& ExcelSpreadsheets::open(const QString& path) {
    prepare();
    mApplication.put(L"AutomationSecurity", Variant::int32(MacrosForceDisabled));
    Dispatch workbook;
    try {
        workbook = mApplication.object(L"Workbooks")
                       .callObject(L"Open", {Variant::string(QDir::toNativeSeparators(path))},
                                   {{L"UpdateLinks", Variant::int32(UpdateNoLinks)},
                                    {L"ReadOnly", Variant::boolean(true)},
                                    {L"Password", Variant::string(NoPassword)},
                                    {L"IgnoreReadOnlyRecommended", Variant::boolean(true)},
                                    {L"Notify", Variant::boolean(false)},
                                    {L"AddToMru", Variant::boolean(false)}});
    } catch (const WordRefusal& refusal) {
        throw OpenError(path, openFailure(refusal));
    }
    mWorkbooks.push_back(std::make_unique<ExcelWorkbook>(std::move(workbook)));
    return *mWorkbooks.back();
}

void ExcelSpreadsheets::quit() {
    if (!mApplication)
        return;
    mQuitTried = true;
    try {
        int ours = mBlank ? 1 : 0;
        for (const auto& workbook : mWorkbooks)
            ours += workbook->isOpen() ? 1 : 0;
        // The user, starting Excel while this one ran hidden, may have been handed it.
        if (mApplication.object(L"Workbooks").get(L"Count").toInt() > ours)
            return leaveToUser();
        for (const auto& workbook : mWorkbooks)
            workbook->close();
        if (mBlank)
            mBlank->close();
        mApplication.call(L"Quit");
    } catch (...) {
        releaseAll();
        if (mProcess)
            mProcess->endUnlessGone();
        mProcess.reset();
        throw;
    }
    releaseAll();
    mProcess.reset();
}

// Only this session's workbooks go; Excel stays, shown, for the user.
void ExcelSpreadsheets::leaveToUser() {
    for (const auto& workbook : mWorkbooks)
        workbook->close();
    if (mBlank)
        mBlank->close();
    mApplication.put(L"Visible", Variant::boolean(true));
    releaseAll();
    if (mProcess)
        mProcess->leaveToUser();
    mProcess.reset();
}

void ExcelSpreadsheets::releaseAll() noexcept {
    for (const auto& workbook : mWorkbooks)
        workbook->release();
    if (mBlank)
        mBlank->release();
    mApplication.reset();
}

} // namespace brindlecast::engine::word
