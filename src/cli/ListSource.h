#pragma once

#include "newsletter/Recipients.h"

#include <QByteArray>
#include <QString>
#include <stdexcept>

namespace brindlecast::cli {

struct EngineSlot;

/// A list that could not be read for a reason of the engine's, not the list's: the message to
/// show (the caller says what was not done) and the exit code to end with.
class ListEngineFailure : public std::runtime_error {
public:
    ListEngineFailure(const QString& message, int exitCode)
        : std::runtime_error(message.toStdString())
        , mExitCode(exitCode) {}
    int exitCode() const { return mExitCode; }

private:
    int mExitCode;
};

/// The recipient list `bytes` read from `path`: a CSV, vCard or JSON list as ParseRecipients
/// reads it, or a workbook's sheet `sheet` (the first when empty) through `engine`'s spreadsheet
/// part, which starts its office for it; the caller goes on with that engine rather than start
/// a second. Which it is, the bytes tell. Throws RecipientListError for a list that cannot be
/// read (the caller names the file), UsageError for --sheet with a text list,
/// ListEngineFailure when no engine reads it.
RecipientList ParseListFile(const QString& path, const QByteArray& bytes, const QString& sheet,
                            EngineSlot& engine);

/// Where the list's recipients were read, for a person: the file, or "sheet NAME of FILE".
QString ListPlace(const QString& path, const RecipientList& list);

} // namespace brindlecast::cli
