#pragma once

#include "ListRun.h"
#include "MakeCommand.h"
#include "MakeValues.h"
#include "TemplateSource.h"
#include "engine/Engine.h"
#include "generate/TemplateCheck.h"
#include "newsletter/BlockMarkers.h"
#include "newsletter/MergeValues.h"
#include "newsletter/Recipients.h"

#include <QString>
#include <functional>
#include <optional>

// The steps "brindlecast make" shares between one newsletter and a list's. Internal to the
// command line.
namespace brindlecast::cli {

class Console;
struct EngineSlot;

/// What a run starts from: the template and the values, read as make reads them.
struct RunInputs {
    TemplateSource source;
    NewsletterValues values;
};

/// Reads the template and the values `options` name. Throws UsageError.
RunInputs ReadRunInputs(const MakeOptions& options);

/// Runs a command's `body` and says on `console` why it failed: a UsageError ends it with
/// BadUsage, any other exception with SomeFailed.
int ReportFailures(Console& console, const std::function<int()>& body);

/// The format asked for with --format, or the one of `path`'s extension, else .doc.
engine::SaveFormat FormatOf(const MakeOptions& options, const QString& path);

/// Refuses a field longer than a field may be; the recipient's fields only `withRecipient`.
void RefuseOverlong(const NewsletterValues& values, bool withRecipient);

/// Why the output at `path` may be neither replaced nor kept, whatever is asked (a link, or the
/// template); empty when it may.
QString RefusedOutput(const QString& path, const std::optional<FileId>& templateFile);

/// True when the existing output is to be kept and nothing made. Throws UsageError when it may
/// be neither kept nor replaced.
bool KeepExisting(const QString& path, engine::SaveFormat format, const TemplateSource& source,
                  const MakeOptions& options, Console& console);

/// Starts `slot`'s engine, or says why it cannot start and gives the exit code to end with.
std::optional<int> StartEngine(EngineSlot& slot, const QString& notMade, Console& console);

/// What a template of the user's own holds, read by `slot`'s engine before anything is made.
/// Throws UsageError for a template the engine cannot open or whose IF blocks are not whole,
/// std::runtime_error for a working folder that cannot be made.
TemplateReport InspectTemplate(EngineSlot& slot, const TemplateSource& source,
                               const MakeOptions& options);

/// How the "[IF …]" blocks of the template `report` describes read `values`: a field or a
/// column by its name in any letter case, any other name empty. None when it has no block, so
/// that a template without blocks is not read for them again.
ValueLookup BlockValues(const TemplateReport* report, const MergeValues& values);

/// Reads a recipient list as the other inputs are read: a pipe's writer is waited for, but a
/// named pipe or a device is refused at once. A workbook's sheet `sheet` (the first when empty)
/// is read by `engine`, which is then started. Throws RecipientListError, UsageError for
/// --sheet with a text list, and ListEngineFailure where no engine reads the workbook.
RecipientList ReadListFile(const QString& path, const QString& sheet, EngineSlot& engine);

/// A list run's recipients, settled before anything is made: the list read, the recipients at
/// --rows that meet every --where, each person once (unless --keep-duplicates), and the values
/// they start from. A workbook is read by `first`, which is then started. Throws UsageError,
/// and ListEngineFailure where no engine reads the workbook.
ListJob StartListJob(const MakeOptions& options, const NewsletterValues& values,
                     const TemplateSource& source, EngineSlot& first);

/// Names each chosen recipient's file from --file-name, when given, made distinct; otherwise
/// the files keep the list run's own names. Throws UsageError for a pattern with a name that is
/// neither a field nor a column.
void NameListFiles(ListJob& job, const MakeOptions& options);

/// Makes the newsletters of `job` (its folder or combined file settled): a template of the
/// user's own read first, then RunList; `first`, the slot StartListJob was given, makes
/// newsletters too. Returns the exit code.
int MakeListFiles(ListJob& job, const MakeOptions& options, const TemplateSource& source,
                  Console& console, EngineSlot& first);

/// The job a list run of `options` would make, for making its recipients' newsletters one at a
/// time (SingleNewsletters): its template and values read as make reads them, its list read (a
/// workbook's by `engine`), and a template of the user's own inspected by `engine`, which is
/// then started. Throws UsageError, ListEngineFailure and EngineError.
ListJob SettleListJob(const MakeOptions& options, EngineSlot& engine);

/// One newsletter per recipient of --recipients. Returns the exit code; throws UsageError.
int MakeList(const MakeOptions& options, const NewsletterValues& values,
             const TemplateSource& source, Console& console);

} // namespace brindlecast::cli
