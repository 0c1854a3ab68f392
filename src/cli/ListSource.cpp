#include "ListSource.h"

#include "EngineSlot.h"
#include "MakeCommand.h"
#include "MakeValues.h"
#include "app/ProgramEnd.h"
#include "engine/Workbook.h"
#include "generate/SpreadsheetList.h"

#include <QFileInfo>

namespace brindlecast::cli {

namespace {

// Where the office or Excel is missing, the list is still in reach: as a CSV file.
const QString CsvWayOut = QStringLiteral(
    "save the sheet as CSV (comma-separated values) in the program it was made with, and give "
    "that file to --recipients");

ListEngineFailure stopped() {
    return ListEngineFailure(QStringLiteral("stopped"), SomeFailed);
}

// A session of the engine's spreadsheet part; what keeps it from reading is said with the way
// round it.
std::unique_ptr<engine::Spreadsheets> spreadsheetsOf(EngineSlot& slot, const QString& path) {
    try {
        return slot.engine.createSpreadsheets();
    } catch (const engine::SpreadsheetsMissing& missing) {
        throw ListEngineFailure(QStringLiteral("%1 cannot be read: %2; %3")
                                    .arg(path, QString::fromStdString(missing.what()), CsvWayOut),
                                NoEngine);
    } catch (const std::exception& error) {
        if (ProgramEnding())
            throw stopped();
        const StartFailure failure = EngineStartFailure(QString::fromLocal8Bit(error.what()));
        if (failure.noRoom)
            throw ListEngineFailure(failure.message, SomeFailed);
        throw ListEngineFailure(
            QStringLiteral("%1 cannot be read: the workbook reader did not start (%2); %3")
                .arg(path, QString::fromLocal8Bit(error.what()), CsvWayOut),
            NoEngine);
    }
}

} // namespace

RecipientList ParseListFile(const QString& path, const QByteArray& bytes, const QString& sheet,
                            EngineSlot& engine) {
    std::optional<SpreadsheetKind> kind;
    try {
        kind = IdentifySpreadsheet(QFileInfo(path).fileName(), bytes);
    } catch (const SpreadsheetError& error) {
        throw RecipientListError(QString::fromStdString(error.what()));
    }
    if (!kind) {
        if (!sheet.isEmpty())
            throw UsageError(QStringLiteral("--sheet %1: %2 is no workbook (.xlsx, .xls, .ods), "
                                            "and only a workbook has sheets")
                                 .arg(sheet, path));
        return ParseRecipients(bytes, QFileInfo(path).fileName());
    }
    std::unique_ptr<engine::Spreadsheets> spreadsheets = spreadsheetsOf(engine, path);
    try {
        RecipientList list = ReadWorkbookList(*spreadsheets, {path, bytes, *kind, sheet});
        // Read is read: an engine that then fails to end its session is the run's to meet.
        engine::QuitQuietly(spreadsheets);
        return list;
    } catch (const SpreadsheetError& error) {
        engine::QuitQuietly(spreadsheets);
        throw RecipientListError(QString::fromStdString(error.what()));
    } catch (const RecipientListError&) {
        engine::QuitQuietly(spreadsheets);
        throw;
    } catch (const std::exception& error) {
        engine::QuitQuietly(spreadsheets);
        if (ProgramEnding())
            throw stopped();
        throw ListEngineFailure(QStringLiteral("%1 could not be read: %2")
                                    .arg(path, QString::fromLocal8Bit(error.what())),
                                SomeFailed);
    }
}

QString ListPlace(const QString& path, const RecipientList& list) {
    if (list.format != RecipientFormat::Spreadsheet)
        return path;
    return QStringLiteral("sheet %1 of %2").arg(list.sheet, path);
}

} // namespace brindlecast::cli
