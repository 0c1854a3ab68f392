#pragma once

#include "ListRun.h"
#include "MakeCommand.h"
#include "MakeValues.h"
#include "TemplateSource.h"
#include "engine/Engine.h"
#include "generate/TemplateCheck.h"
#include "newsletter/Recipients.h"

#include <QString>
#include <optional>

// The steps "brindlecast make" shares between one newsletter and a list's. Internal to the
// command line.
namespace brindlecast::cli {

class Console;
struct EngineSlot;

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

/// Reads a recipient list as the other inputs are read: a pipe's writer is waited for, but a
/// named pipe or a device is refused at once. Throws RecipientListError.
RecipientList ReadListFile(const QString& path);

/// A list run's recipients, settled before anything is made: the list read, the recipients at
/// --rows that meet every --where, each person once (unless --keep-duplicates), and the values
/// they start from. Throws UsageError.
ListJob StartListJob(const MakeOptions& options, const NewsletterValues& values,
                     const TemplateSource& source);

/// Names each chosen recipient's file from --file-name, when given, made distinct; otherwise
/// the files keep the list run's own names. Throws UsageError for a pattern with a name that is
/// neither a field nor a column.
void NameListFiles(ListJob& job, const MakeOptions& options);

/// Makes the newsletters of `job` (its folder or combined file settled): a template of the
/// user's own read first, then RunList. Returns the exit code.
int MakeListFiles(ListJob& job, const MakeOptions& options, const TemplateSource& source,
                  Console& console);

/// One newsletter per recipient of --recipients. Returns the exit code; throws UsageError.
int MakeList(const MakeOptions& options, const NewsletterValues& values,
             const TemplateSource& source, Console& console);

} // namespace brindlecast::cli
