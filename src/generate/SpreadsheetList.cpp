#include "SpreadsheetList.h"

#include "app/FileHelpers.h"
#include "engine/Workbook.h"
#include "newsletter/RecipientReaders.h"

#include <QTemporaryDir>

namespace brindlecast {

namespace {

int SheetIndex(const QStringList& names, const QString& wanted) {
    if (names.isEmpty())
        throw SpreadsheetError(QStringLiteral("it has no worksheet"));
    if (wanted.isEmpty())
        return 1;
    for (int i = 0; i < names.size(); ++i)
        if (names[i].compare(wanted, Qt::CaseInsensitive) == 0)
            return i + 1;
    throw SpreadsheetError(QStringLiteral("it has no sheet named \"%1\"; its sheets are: %2")
                               .arg(wanted, names.join(QStringLiteral(", "))));
}

void CloseQuietly(engine::Workbook* book) noexcept {
    try {
        if (book)
            book->close();
    } catch (...) {
    }
}

bool IsBlank(const QStringList& cells) {
    for (const QString& cell : cells)
        if (!cell.trimmed().isEmpty())
            return false;
    return true;
}

engine::SheetTexts ReadSheet(engine::Spreadsheets& spreadsheets, const QString& copy,
                             const QString& wanted, QString& name, QStringList& names) {
    engine::Workbook* book = nullptr;
    try {
        book = &spreadsheets.open(copy);
        names = book->worksheetNames();
        const int index = SheetIndex(names, wanted);
        name = names[index - 1];
        engine::SheetTexts texts = book->usedRangeTexts(index);
        book->close();
        return texts;
    } catch (const engine::OpenError& error) {
        throw SpreadsheetError(error.reason());
    } catch (const engine::SheetTooLarge& error) {
        CloseQuietly(book);
        throw SpreadsheetError(
            QStringLiteral("its sheet %1 %2").arg(name, QString::fromStdString(error.what())));
    } catch (...) {
        CloseQuietly(book);
        throw;
    }
}

} // namespace

RecipientList ReadWorkbookList(engine::Spreadsheets& spreadsheets,
                               const WorkbookListSource& source) {
    const QTemporaryDir scratch(TempFolder() + QStringLiteral("/brindlecast-list-XXXXXX"));
    if (!scratch.isValid())
        throw std::runtime_error(
            QStringLiteral("no working folder can be made in %1").arg(TempFolder()).toStdString());
    const QString copy = scratch.filePath(QStringLiteral("list") + SpreadsheetSuffix(source.kind));
    WriteFreshFile(copy, source.bytes);
    QString sheet;
    QStringList sheets;
    const engine::SheetTexts texts = ReadSheet(spreadsheets, copy, source.sheet, sheet, sheets);

    std::vector<recipients::CsvRecord> rows;
    for (size_t i = 0; i < texts.rows.size(); ++i)
        if (!IsBlank(texts.rows[i]) || !rows.empty())
            rows.push_back({texts.rows[i], texts.firstRow + int(i)});
    if (rows.empty())
        throw RecipientListError(QStringLiteral("its sheet %1 is empty").arg(sheet));
    const int headerRow = rows.front().line;
    RecipientList list = recipients::ReadTable(
        rows.front().cells, std::vector<recipients::CsvRecord>(rows.begin() + 1, rows.end()),
        QStringLiteral("the header at row %1 of sheet %2").arg(headerRow).arg(sheet), headerRow);
    if (list.recipients.empty())
        throw RecipientListError(
            QStringLiteral("its sheet %1 has no recipient below its header at row %2")
                .arg(sheet)
                .arg(headerRow),
            headerRow);
    list.format = RecipientFormat::Spreadsheet;
    list.sheet = sheet;
    list.sheets = sheets;
    return list;
}

} // namespace brindlecast
