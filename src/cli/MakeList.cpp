// "brindlecast make --recipients": which recipients, which files, and what the template asks of
// the list, settled before the run makes anything.
#include "Console.h"
#include "EngineSlot.h"
#include "ListRun.h"
#include "ListSource.h"
#include "MakeSteps.h"
#include "app/FileHelpers.h"
#include "app/TerminationSignals.h"
#include "engine/SaveFormats.h"
#include "generate/TemplateNames.h"
#include "generate/WholeDocument.h"
#include "newsletter/RecipientFileName.h"
#include "newsletter/RecipientSelection.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>

namespace brindlecast::cli {

namespace {

// Two engines side by side pay for the second one's start once a list is this long.
constexpr int RecipientsPerExtraEngine = 40;
constexpr int MostEngines = 4;

int enginesFor(int recipients) {
    bool set = false;
    const int asked = qEnvironmentVariableIntValue("BRINDLECAST_ENGINES", &set);
    if (set && asked > 0)
        return std::min(asked, MostEngines);
    const int useful = 1 + recipients / RecipientsPerExtraEngine;
    return std::clamp(std::min(useful, QThread::idealThreadCount()), 1, MostEngines);
}

} // namespace

RecipientList ReadListFile(const QString& path, const QString& sheet, EngineSlot& engine) {
    InputFile input;
    {
        const EndAtOnceOnTerminationSignals atOnce;
        try {
            input = ReadInputFile(path, MaxListBytes);
        } catch (const InputFileError& error) {
            throw RecipientListError(QStringLiteral("cannot read %1: %2")
                                         .arg(path, QString::fromLocal8Bit(error.what())));
        }
    }
    if (input.tooLarge)
        throw RecipientListError(QStringLiteral("%1 is larger than a list may be (%2 MiB)")
                                     .arg(path)
                                     .arg(MaxListBytes >> 20));
    // Out of the wait above: a workbook's engine is ended the ordinary way on a signal.
    return ParseListFile(path, input.bytes, sheet, engine);
}

namespace {

// The recipients --rows, --where and the duplicates leave.
void choose(ListJob& job, const MakeOptions& options) {
    try {
        job.chosen = ChooseRecipients(job.list, options.rows, options.where);
    } catch (const SelectionError& error) {
        throw UsageError(
            QStringLiteral("%1; nothing was made").arg(QString::fromStdString(error.what())));
    }
    if (job.chosen.empty())
        throw UsageError(QStringLiteral("no recipient of %1 is at --rows and meets every --where; "
                                        "nothing was made")
                             .arg(options.recipients));
    if (!options.keepDuplicates) {
        job.duplicates = FindDuplicates(job.list, job.chosen);
        job.chosen = WithoutDuplicates(job.chosen, job.duplicates);
    }
}

} // namespace

// The names that cannot be filled refuse the pattern before anything is made.
void NameListFiles(ListJob& job, const MakeOptions& options) {
    if (options.fileName.isEmpty())
        return;
    const MergeValues sample = RecipientValues(job.base, job.list, job.chosen.front());
    for (const QString& name : PatternNames(options.fileName))
        if (!sample.value(name))
            throw UsageError(QStringLiteral("--file-name %1: [%2] is neither a field nor a column "
                                            "of %3; nothing was made")
                                 .arg(options.fileName, name, options.recipients));
    std::vector<QString> names;
    for (const int index : job.chosen) {
        const MergeValues values = RecipientValues(job.base, job.list, index);
        QString name = PatternFileName(
            options.fileName,
            [&](const QString& key) { return values.value(key).value_or(QString()); },
            engine::SaveExtension(job.format));
        // A pattern whose fields are all empty for this recipient names it as a list run does.
        if (name.isEmpty())
            name = RecipientFileName(index + 1, int(job.list.recipients.size()),
                                     job.list.recipients[size_t(index)].name(),
                                     engine::SaveExtension(job.format));
        names.push_back(name);
    }
    for (const RenamedFile& renamed : MakeDistinct(names))
        job.renamed.push_back({job.chosen[size_t(renamed.position)], renamed.wanted});
    job.fileNames.assign(job.list.recipients.size(), QString());
    for (size_t i = 0; i < job.chosen.size(); ++i)
        job.fileNames[size_t(job.chosen[i])] = names[i];
}

namespace {

// What each column fills, for the remark before the run and the summary after it.
void markColumnUses(ListJob& job) {
    for (ColumnUse& use : job.list.columns) {
        const auto field = FieldNamed(use.column.simplified());
        if (field && std::find(job.columnFields.begin(), job.columnFields.end(), *field) !=
                         job.columnFields.end())
            use.fills.append(QLatin1Char('[') + FieldPlaceholderName(*field) + QLatin1Char(']'));
        if (!job.templateReport)
            continue;
        for (const StrayWord& stray : job.templateReport->strays)
            if (!stray.broken && SameName(BracketedName(stray.text), use.column))
                use.fills.append(stray.text);
        // A column a block asks about is used even where nothing shows its value.
        for (const PlacedBlock& placed : job.templateReport->blocks)
            if (SameName(placed.block.condition.name, use.column) &&
                !use.fills.contains(placed.block.marker))
                use.fills.append(placed.block.marker);
    }
}

// Refuses what cannot be kept or replaced and finds what a run with --skip-existing keeps.
// Returns true when every file exists already.
bool sortOutExisting(ListJob& job, const MakeOptions& options, Console& console) {
    QStringList existing, notWhole;
    for (const int index : job.chosen) {
        const QString output = RecipientOutput(job, index);
        if (!FileExists(output))
            continue;
        existing << output;
        // What is refused is left to fail for its recipient, by name, with the reason.
        if (!RefusedOutput(output, job.templateFile).isEmpty())
            continue;
        if (options.skipExisting && !WhyNotWhole(output, job.format).isEmpty())
            notWhole << output;
        else
            job.kept.push_back(index);
    }
    if (!notWhole.isEmpty())
        console.remark(QStringLiteral("%1 of the files there are cut short or empty (%2%3): "
                                      "they are made again")
                           .arg(notWhole.size())
                           .arg(notWhole.first(), notWhole.size() > 1 ? ", ..." : ""));
    if (options.force)
        job.kept.clear();
    else if (!existing.isEmpty() && !options.skipExisting)
        throw UsageError(QStringLiteral("%1 of the files exist already (%2%3); nothing was "
                                        "made (--force replaces them, --skip-existing keeps "
                                        "them and makes the rest)")
                             .arg(existing.size())
                             .arg(existing.first(), existing.size() > 1 ? ", ..." : ""));
    if (job.kept.size() != job.chosen.size())
        return false;
    console.summary(QStringLiteral("Kept all %1 newsletters in %2: they exist already; "
                                   "nothing was made.")
                        .arg(job.kept.size())
                        .arg(job.folder));
    return true;
}

// Returns the exit code when nothing is to be made.
std::optional<int> prepareOutputs(ListJob& job, const MakeOptions& options,
                                  const TemplateSource& source, Console& console) {
    if (!options.combined.isEmpty()) {
        if (!options.fileName.isEmpty())
            throw UsageError(QStringLiteral("--file-name goes with --output: --combined makes one "
                                            "file"));
        if (FormatOf(options, options.combined) != engine::SaveFormat::Pdf)
            throw UsageError(QStringLiteral("--combined makes a PDF: %1").arg(options.combined));
        job.combined = options.combined;
        if (KeepExisting(job.combined, engine::SaveFormat::Pdf, source, options, console))
            return AllMade;
        if (!QFileInfo(QFileInfo(job.combined).absolutePath()).isDir())
            throw UsageError(QStringLiteral("the folder of %1 does not exist").arg(job.combined));
        // Found missing only at the end, it would cost the whole run.
        if (QStandardPaths::findExecutable(QStringLiteral("qpdf")).isEmpty()) {
            console.error(
                QStringLiteral("%1 cannot be made: joining the pages needs qpdf "
                               "(on Debian the package qpdf, on Windows qpdf.exe on the PATH); "
                               "nothing was made")
                    .arg(job.combined));
            return SomeFailed;
        }
        return std::nullopt;
    }
    job.folder = options.output;
    job.format = FormatOf(options, QString());
    if (FileExists(job.folder) && !QFileInfo(job.folder).isDir())
        throw UsageError(
            QStringLiteral("--output %1 is a file; with --recipients it names a folder")
                .arg(job.folder));
    NameListFiles(job, options);
    if (!QDir().mkpath(job.folder))
        throw UsageError(QStringLiteral("the folder %1 cannot be made").arg(job.folder));
    if (sortOutExisting(job, options, console))
        return AllMade;
    return std::nullopt;
}

} // namespace

ListJob StartListJob(const MakeOptions& options, const NewsletterValues& values,
                     const TemplateSource& source, EngineSlot& first) {
    ListJob job;
    try {
        job.list = ReadListFile(options.recipients, options.sheet, first);
    } catch (const RecipientListError& error) {
        throw UsageError(QStringLiteral("%1: %2; nothing was made")
                             .arg(options.recipients, QString::fromLocal8Bit(error.what())));
    }
    RefuseOverlong(values, false);
    choose(job, options);
    job.values = values;
    job.base = values.merged();
    job.columnFields = FieldsNamedByColumns(job.list);
    job.templateBytes = source.bytes;
    job.templateSuffix = source.suffix;
    job.templateName = options.templateFile;
    job.sharedFormat = source.kind;
    job.templateFile = source.file;
    job.stop = options.stop;
    return job;
}

int MakeListFiles(ListJob& job, const MakeOptions& options, const TemplateSource& source,
                  Console& console, EngineSlot& first) {
    job.engines = enginesFor(int(job.chosen.size() - job.kept.size()));
    // The engine that read a workbook makes newsletters too.
    bool started = job.list.format == RecipientFormat::Spreadsheet;
    // A template of the user's own is read before the run: what it holds decides what is filled.
    if (!options.templateFile.isEmpty()) {
        if (const auto failed = StartEngine(first, QStringLiteral("nothing was made"), console))
            return *failed;
        job.templateReport = InspectTemplate(first, source, options);
        started = true;
    }
    markColumnUses(job);
    const int count = int(job.list.recipients.size());
    console.remark(
        QStringLiteral("%1 recipients in %2 (%3)")
            .arg(int(job.chosen.size()) == count
                     ? QString::number(count)
                     : QStringLiteral("%1 of %2").arg(job.chosen.size()).arg(count))
            .arg(ListPlace(options.recipients, job.list), DescribeColumns(job.list.columns)));
    return RunList(job, console, started ? &first : nullptr);
}

ListJob SettleListJob(const MakeOptions& options, EngineSlot& engine) {
    const RunInputs inputs = ReadRunInputs(options);
    ListJob job = StartListJob(options, inputs.values, inputs.source, engine);
    if (!options.templateFile.isEmpty()) {
        engine.start();
        job.templateReport = InspectTemplate(engine, inputs.source, options);
    }
    return job;
}

int MakeList(const MakeOptions& options, const NewsletterValues& values,
             const TemplateSource& source, Console& console) {
    if (options.output.isEmpty() == options.combined.isEmpty())
        throw UsageError(QStringLiteral("with --recipients, give either --output (a folder for "
                                        "one file each) or --combined (one PDF)"));
    // The engine that reads a workbook or a template of the user's own makes newsletters too.
    EngineSlot first;
    ListJob job;
    try {
        job = StartListJob(options, values, source, first);
    } catch (const ListEngineFailure& failure) {
        console.error(
            QStringLiteral("%1; nothing was made").arg(QString::fromLocal8Bit(failure.what())));
        return failure.exitCode();
    }
    if (const auto code = prepareOutputs(job, options, source, console))
        return *code;
    return MakeListFiles(job, options, source, console, first);
}

} // namespace brindlecast::cli
