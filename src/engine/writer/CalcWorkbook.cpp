#include "CalcWorkbook.h"

#include "OfficeProcess.h"
#include "OfficeSafety.h"
#include "UnoSupport.h"

#include <QFileInfo>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/XMultiComponentFactory.hpp>
#include <com/sun/star/sheet/XCalculatable.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XSheetCellCursor.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XUsedAreaCursor.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/text/XText.hpp>

namespace brindlecast::engine::writer {

using css::uno::Any;
using css::uno::Reference;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

namespace {

// A filter of the office's spreadsheet part, which the type detection lists only when that
// part is installed.
const char SpreadsheetFilter[] = "Calc MS Excel 2007 XML";

QString damaged() {
    return QStringLiteral("the document engine could not read it as a workbook (it may be "
                          "damaged)");
}

// Whether the office read `component` with one of its Excel 97-2003 (BIFF) filters.
bool isBiffWorkbook(const Reference<css::lang::XComponent>& component) {
    OUString filter;
    for (const css::beans::PropertyValue& argument :
         Reference<css::frame::XModel>(component, UNO_QUERY_THROW)->getArgs())
        if (argument.Name == "FilterName")
            argument.Value >>= filter;
    return filter.startsWith("MS Excel");
}

// The used range's cells as they show: a text as it is, anything else (a number, a date, a
// formula's number, an error) as the cell formats it.
QStringList shownRow(const Reference<css::table::XCellRange>& area, const Sequence<Any>& values,
                     sal_Int32 row) {
    QStringList shown;
    for (sal_Int32 column = 0; column < values.getLength(); ++column) {
        OUString text;
        if (!(values[column] >>= text))
            text =
                Reference<css::text::XText>(area->getCellByPosition(column, row), UNO_QUERY_THROW)
                    ->getString();
        shown << toQString(text);
    }
    return shown;
}

} // namespace

CalcWorkbook::CalcWorkbook(std::shared_ptr<OfficeProcess> office,
                           Reference<css::lang::XComponent> component, QString path,
                           FileGate::Pass pass)
    : mOffice(std::move(office))
    , mComponent(std::move(component))
    , mPath(std::move(path))
    , mPass(std::move(pass)) {}

CalcWorkbook::~CalcWorkbook() {
    closeQuietly();
}

EngineError CalcWorkbook::failure(const QString& what) const {
    return currentEngineError(what, [office = mOffice] { return office->alive(); });
}

QStringList CalcWorkbook::worksheetNames() {
    if (!mComponent.is())
        throw EngineError(QStringLiteral("The workbook %1 is closed.").arg(mPath).toStdString());
    try {
        QStringList names;
        const Reference<css::sheet::XSpreadsheetDocument> book(mComponent, UNO_QUERY_THROW);
        for (const OUString& name : book->getSheets()->getElementNames())
            names << toQString(name);
        return names;
    } catch (...) {
        throw failure(QStringLiteral("The sheets of %1 could not be read.").arg(mPath));
    }
}

SheetTexts CalcWorkbook::usedRangeTexts(int index) {
    if (!mComponent.is())
        throw EngineError(QStringLiteral("The workbook %1 is closed.").arg(mPath).toStdString());
    try {
        const Reference<css::sheet::XSpreadsheetDocument> book(mComponent, UNO_QUERY_THROW);
        const Reference<css::container::XIndexAccess> sheets(book->getSheets(), UNO_QUERY_THROW);
        if (index < 1 || index > sheets->getCount())
            throw EngineError(QStringLiteral("The workbook %1 has no sheet %2.")
                                  .arg(mPath)
                                  .arg(index)
                                  .toStdString());
        const Reference<css::sheet::XSpreadsheet> sheet(sheets->getByIndex(index - 1),
                                                        UNO_QUERY_THROW);
        const Reference<css::sheet::XSheetCellCursor> cursor = sheet->createCursor();
        const Reference<css::sheet::XUsedAreaCursor> used(cursor, UNO_QUERY_THROW);
        used->gotoStartOfUsedArea(false);
        used->gotoEndOfUsedArea(true);
        const css::table::CellRangeAddress area =
            Reference<css::sheet::XCellRangeAddressable>(cursor, UNO_QUERY_THROW)
                ->getRangeAddress();
        const qint64 rows = qint64(area.EndRow) - area.StartRow + 1;
        const qint64 columns = qint64(area.EndColumn) - area.StartColumn + 1;
        if (rows * columns > MostSheetCells)
            throw SheetTooLarge(QStringLiteral("uses %1 rows by %2 columns, more than the %3 "
                                               "cells a list may have")
                                    .arg(rows)
                                    .arg(columns)
                                    .arg(MostSheetCells)
                                    .toStdString());
        // One request for every cell's content: most of a list is text, which shows as it is.
        const Sequence<Sequence<Any>> values =
            Reference<css::sheet::XCellRangeData>(cursor, UNO_QUERY_THROW)->getDataArray();
        const Reference<css::table::XCellRange> cells(cursor, UNO_QUERY_THROW);
        SheetTexts texts;
        texts.firstRow = int(area.StartRow) + 1;
        for (sal_Int32 row = 0; row < values.getLength(); ++row)
            texts.rows.push_back(shownRow(cells, values[row], row));
        return texts;
    } catch (const EngineError&) {
        throw;
    } catch (...) {
        throw failure(QStringLiteral("The cells of %1 could not be read.").arg(mPath));
    }
}

void CalcWorkbook::close() {
    closeQuietly();
}

void CalcWorkbook::closeQuietly() noexcept {
    if (!mComponent.is())
        return;
    const Reference<css::lang::XComponent> component = std::move(mComponent);
    mComponent.clear();
    const FileGate::Pass pass = std::move(mPass);
    if (!mOffice->alive())
        return;
    closeComponent(component);
}

CalcSpreadsheets::CalcSpreadsheets(std::shared_ptr<OfficeProcess> office)
    : mOffice(std::move(office)) {
    bool present = false;
    try {
        const Reference<css::uno::XComponentContext>& context = mOffice->context();
        const Reference<css::container::XNameAccess> filters(
            context->getServiceManager()->createInstanceWithContext(
                OUString("com.sun.star.document.FilterFactory"), context),
            UNO_QUERY_THROW);
        present = filters->hasByName(OUString::createFromAscii(SpreadsheetFilter));
    } catch (...) {
        throw currentEngineError(
            QStringLiteral("The document engine could not tell whether it reads workbooks."),
            [office = mOffice] { return office->alive(); });
    }
    if (!present)
        throw SpreadsheetsMissing("the office has no spreadsheet part to read it with (on "
                                  "Debian the package libreoffice-calc-nogui)");
}

CalcSpreadsheets::~CalcSpreadsheets() {
    quit();
}

Workbook& CalcSpreadsheets::open(const QString& path) {
    if (!QFileInfo(path).isFile())
        throw OpenError(path, QStringLiteral("there is no such file"));
    const auto questions = std::make_shared<OpenQuestions>();
    Reference<css::lang::XComponent> component;
    FileGate::Pass pass;
    QString failure;
    try {
        pass = mOffice->allowFile(path);
        const Reference<css::frame::XComponentLoader> loader(mOffice->desktop(), UNO_QUERY_THROW);
        // Its links (other files, DDE, web queries) are never updated either. The office's
        // settings (OfficeSafety) keep it from calculating the formulas again as it loads.
        component = loader->loadComponentFromURL(fileUrl(path), OUString("_blank"), 0,
                                                 SafeLoadArguments(true, questions));
    } catch (...) {
        failure = mOffice->alive() ? damaged()
                                   : QStringLiteral("the document engine stopped while opening it");
    }
    auto workbook = std::make_unique<CalcWorkbook>(mOffice, component, path, std::move(pass));
    if (questions->password)
        throw OpenError(path, QStringLiteral("it is protected by a password"));
    if (!failure.isEmpty())
        throw OpenError(path, failure);
    const Reference<css::sheet::XSpreadsheetDocument> book(component, UNO_QUERY);
    if (!book.is())
        throw OpenError(path, damaged());
    try {
        // A formula that calculates whenever it is read (today's date, a random number, a
        // lookup elsewhere) keeps the result the file stored, as every other formula does. Not
        // so in an Excel 97-2003 file: the office keeps no text a formula there stored, and
        // calculates its formulas once instead, so that a name joined from two columns is no 0.
        if (!isBiffWorkbook(component))
            Reference<css::sheet::XCalculatable>(component, UNO_QUERY_THROW)
                ->enableAutomaticCalculation(false);
    } catch (...) {
        throw OpenError(path, damaged());
    }
    mWorkbooks.push_back(std::move(workbook));
    return *mWorkbooks.back();
}

void CalcSpreadsheets::quit() {
    for (const auto& workbook : mWorkbooks)
        workbook->closeQuietly();
}

} // namespace brindlecast::engine::writer
