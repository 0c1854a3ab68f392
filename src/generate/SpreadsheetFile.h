#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <stdexcept>

namespace brindlecast {

/// The kinds of workbook a recipient list may be kept in, told apart by what the file holds.
enum class SpreadsheetKind { Xlsx, Xlsm, Xls, Ods };

/// Why a file cannot be read as a workbook; what() is a reason for a person, to follow the
/// file's name in a message.
class SpreadsheetError : public std::runtime_error {
public:
    explicit SpreadsheetError(const QString& reason)
        : std::runtime_error(reason.toStdString()) {}
};

/// What the recipient list `bytes` is, by what they hold: a workbook of a kind the engine
/// reads, or none for a text list (CSV, vCard, JSON), whatever the file is named. Throws
/// SpreadsheetError for a ZIP or OLE file that is not such a workbook (a document, a damaged
/// file, an .xlsb) and for a workbook protected by a password; `fileName` only words the
/// message.
std::optional<SpreadsheetKind> IdentifySpreadsheet(const QString& fileName,
                                                   const QByteArray& bytes);

/// The extension the kind's files have, with its dot: ".xlsx", ".xlsm", ".xls" or ".ods". The
/// engine is given a copy under this name: a spreadsheet program goes by it, and refuses a
/// workbook with macros named as one without.
QString SpreadsheetSuffix(SpreadsheetKind kind);

} // namespace brindlecast
