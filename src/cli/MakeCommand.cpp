#include "MakeCommand.h"

#include "Console.h"
#include "EngineSlot.h"
#include "ListRun.h"
#include "ListSource.h"
#include "MakeValues.h"
#include "TemplateSource.h"
#include "app/FileHelpers.h"
#include "app/ProgramEnd.h"
#include "app/TerminationSignals.h"
#include "engine/SaveFormats.h"
#include "generate/Generation.h"
#include "generate/ListFolders.h"
#include "generate/MakeNewsletter.h"
#include "generate/SaveCopy.h"
#include "generate/WholeDocument.h"
#include "newsletter/DateTexts.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

namespace brindlecast::cli {

namespace {

// Two engines side by side pay for the second one's start once a list is this long.
constexpr int RecipientsPerExtraEngine = 40;
constexpr int MostEngines = 4;

engine::SaveFormat formatOf(const MakeOptions& options, const QString& path) {
    if (!options.format.isEmpty()) {
        if (const auto named = engine::SaveFormatNamed(options.format))
            return *named;
        throw UsageError(QStringLiteral("--format %1: the formats are doc, docx, odt and pdf")
                             .arg(options.format));
    }
    return engine::SaveFormatOfPath(path).value_or(engine::SaveFormat::Doc);
}

void refuseOverlong(const NewsletterValues& values, bool withRecipient) {
    const auto typed = [&](int index) {
        const bool recipients =
            index >= FirstRecipientField && index < FirstRecipientField + RecipientFieldCount;
        return recipients && !withRecipient ? QString() : values.fields[size_t(index)];
    };
    if (const auto field = OverlongField(typed))
        throw UsageError(
            OverlongValueMessage(*field, int(typed(*field).size())).replace("\r\n\r\n", " "));
}

// Why the output at `path` may be neither replaced nor kept, whatever is asked: it is a link
// (replacing one would write where it leads, keeping one keeps another file), or the template.
QString refusedOutput(const QString& path, const std::optional<FileId>& templateFile) {
    if (IsLink(path))
        return QStringLiteral("%1 is a symbolic link, and no output is written in place of a link "
                              "or through it")
            .arg(path);
    if (templateFile && FileIdOf(path) == templateFile)
        return QStringLiteral("%1 is the template, which is never changed").arg(path);
    return {};
}

// True when the existing output is to be kept and nothing made.
bool keepExisting(const QString& path, engine::SaveFormat format, const TemplateSource& source,
                  const MakeOptions& options, Console& console) {
    if (const QString refused = refusedOutput(path, source.file); !refused.isEmpty())
        throw UsageError(QStringLiteral("%1; nothing was made").arg(refused));
    if (!FileExists(path) || options.force)
        return false;
    if (!options.skipExisting)
        throw UsageError(QStringLiteral("%1 exists; nothing was made (--force replaces it, "
                                        "--skip-existing keeps it)")
                             .arg(path));
    // Kept only as a run finished it: a file cut short or empty (by a full disk, or by an
    // earlier program that wrote in place) is made again.
    if (const QString why = WhyNotWhole(path, format); !why.isEmpty()) {
        console.remark(QStringLiteral("%1 is made again: %2").arg(path, why));
        return false;
    }
    console.summary(QStringLiteral("Kept %1: it exists already; nothing was made.").arg(path));
    return true;
}

int enginesFor(int recipients) {
    bool set = false;
    const int asked = qEnvironmentVariableIntValue("BRINDLECAST_ENGINES", &set);
    if (set && asked > 0)
        return std::min(asked, MostEngines);
    const int useful = 1 + recipients / RecipientsPerExtraEngine;
    return std::clamp(std::min(useful, QThread::idealThreadCount()), 1, MostEngines);
}

// The recipient list, read as the other inputs are: a pipe's writer is waited for, but a named
// pipe or a device is refused at once. A workbook is read by an engine, which is kept in
// `engine` for the run.
RecipientList readList(const QString& path, const QString& sheet,
                       std::shared_ptr<EngineSlot>& engine) {
    const EndAtOnceOnTerminationSignals atOnce;
    InputFile input;
    try {
        input = ReadInputFile(path, MaxListBytes);
    } catch (const InputFileError& error) {
        throw RecipientListError(
            QStringLiteral("cannot read %1: %2").arg(path, QString::fromLocal8Bit(error.what())));
    }
    if (input.tooLarge)
        throw RecipientListError(QStringLiteral("%1 is larger than a list may be (%2 MiB)")
                                     .arg(path)
                                     .arg(MaxListBytes >> 20));
    return ParseListFile(path, input.bytes, sheet, engine);
}

int makeOne(const MakeOptions& options, const NewsletterValues& values,
            const TemplateSource& source, Console& console) {
    if (options.output.isEmpty())
        throw UsageError(QStringLiteral("make needs --output: the file to make"));
    if (!options.combined.isEmpty())
        throw UsageError(QStringLiteral("--combined goes with --recipients"));
    if (!options.sheet.isEmpty())
        throw UsageError(QStringLiteral("--sheet goes with --recipients"));
    const engine::SaveFormat format = formatOf(options, options.output);
    if (keepExisting(options.output, format, source, options, console))
        return AllMade;
    refuseOverlong(values, true);

    EngineSlot slot;
    try {
        slot.start();
    } catch (const std::exception& error) {
        if (ProgramEnding()) {
            console.error(QStringLiteral("stopped; %1 was not made").arg(options.output));
            return SomeFailed;
        }
        const StartFailure failure = EngineStartFailure(QString::fromLocal8Bit(error.what()));
        if (failure.noRoom) {
            console.error(QStringLiteral("%1; nothing was made").arg(failure.message));
            return SomeFailed;
        }
        console.error(failure.message);
        return NoEngine;
    }
    const QTemporaryDir scratch(TempFolder() + QStringLiteral("/brindlecast-make-XXXXXX"));
    const auto value = [&](int index) { return DocumentValue(values.fields[size_t(index)]); };
    try {
        if (!scratch.isValid())
            throw std::runtime_error(QStringLiteral("no working folder can be made in %1")
                                         .arg(TempFolder())
                                         .toStdString());
        const QString templatePath = scratch.filePath(QStringLiteral("template") + source.suffix);
        WriteFreshFile(templatePath, source.bytes);
        const QString made =
            scratch.filePath(QStringLiteral("newsletter") + engine::SaveExtension(format));
        MakeNewsletterFile(
            slot.engine,
            {templatePath, FieldSpan{}, value, IssueDateText(values.issueDate.date()),
             value(TitleField), made, format, [&](const QString& reason) {
                 console.error(
                     QStringLiteral("%1 is made without a title: %2").arg(options.output, reason));
             }});
        SaveCopy(made, options.output, source.file);
    } catch (const engine::OpenError& error) {
        // The engine names the copy it was given; the user knows the template by its own name.
        if (!options.templateFile.isEmpty()) {
            console.error(QStringLiteral("%1 cannot be opened: %2; nothing was made")
                              .arg(options.templateFile, error.reason()));
            return BadUsage;
        }
        console.error(QStringLiteral("%1 was not made: %2")
                          .arg(options.output, QString::fromLocal8Bit(error.what())));
        return SomeFailed;
    } catch (const std::exception& error) {
        console.error(QStringLiteral("%1 was not made: %2")
                          .arg(options.output, QString::fromLocal8Bit(error.what())));
        return SomeFailed;
    }
    console.summary(QStringLiteral("Made %1.").arg(options.output));
    return AllMade;
}

int makeList(const MakeOptions& options, const NewsletterValues& values,
             const TemplateSource& source, Console& console) {
    // Before the list is read: reading a workbook starts the engine.
    if (options.output.isEmpty() == options.combined.isEmpty())
        throw UsageError(QStringLiteral("with --recipients, give either --output (a folder for "
                                        "one file each) or --combined (one PDF)"));
    ListJob job;
    try {
        job.list = readList(options.recipients, options.sheet, job.warmEngine);
    } catch (const RecipientListError& error) {
        throw UsageError(QStringLiteral("%1: %2; nothing was made")
                             .arg(options.recipients, QString::fromLocal8Bit(error.what())));
    } catch (const ListEngineFailure& failure) {
        console.error(QString::fromLocal8Bit(failure.what()));
        return failure.exitCode();
    }
    refuseOverlong(values, false);
    job.values = values;
    job.templateBytes = source.bytes;
    job.templateSuffix = source.suffix;
    job.templateName = options.templateFile;
    job.sharedFormat = source.kind;
    job.templateFile = source.file;
    job.engines = enginesFor(int(job.list.recipients.size()));
    if (!options.combined.isEmpty()) {
        if (formatOf(options, options.combined) != engine::SaveFormat::Pdf)
            throw UsageError(QStringLiteral("--combined makes a PDF: %1").arg(options.combined));
        job.combined = options.combined;
        if (keepExisting(job.combined, engine::SaveFormat::Pdf, source, options, console))
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
    } else {
        job.folder = options.output;
        job.format = formatOf(options, QString());
        if (FileExists(job.folder) && !QFileInfo(job.folder).isDir())
            throw UsageError(
                QStringLiteral("--output %1 is a file; with --recipients it names a folder")
                    .arg(job.folder));
        if (!QDir().mkpath(job.folder))
            throw UsageError(QStringLiteral("the folder %1 cannot be made").arg(job.folder));
        QStringList existing, notWhole;
        for (int index = 0; index < int(job.list.recipients.size()); ++index) {
            const QString output = RecipientOutput(job, index);
            if (!FileExists(output))
                continue;
            existing << output;
            // What is refused is left to fail for its recipient, by name, with the reason.
            if (!refusedOutput(output, job.templateFile).isEmpty())
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
        if (job.kept.size() == job.list.recipients.size()) {
            console.summary(QStringLiteral("Kept all %1 newsletters in %2: they exist already; "
                                           "nothing was made.")
                                .arg(job.kept.size())
                                .arg(job.folder));
            return AllMade;
        }
    }
    console.remark(
        QStringLiteral("%1 recipients in %2 (%3)")
            .arg(job.list.recipients.size())
            .arg(ListPlace(options.recipients, job.list), DescribeColumns(job.list.columns)));
    return RunList(job, console);
}

} // namespace

int RunMake(const MakeOptions& options) {
    Console console(options.quiet);
    // What runs of killed programs left; never a live run's.
    RemoveDeadListFolders(TempFolder());
    try {
        if (options.force && options.skipExisting)
            throw UsageError(QStringLiteral("--force replaces what exists and --skip-existing "
                                            "keeps it: give one of them"));
        std::optional<TemplateSource> read;
        std::optional<NewsletterValues> typed;
        {
            // A pipe may keep its reader waiting for ever; nothing is made yet to clean up.
            const EndAtOnceOnTerminationSignals atOnce;
            read = TemplateFor(options);
            typed = MakeValues(!options.noStored, options.sets, options.values);
        }
        const TemplateSource& source = *read;
        const NewsletterValues& values = *typed;
        if (options.recipients.isEmpty())
            return makeOne(options, values, source, console);
        return makeList(options, values, source, console);
    } catch (const UsageError& error) {
        console.error(QString::fromLocal8Bit(error.what()));
        return BadUsage;
    } catch (const std::exception& error) {
        console.error(QString::fromLocal8Bit(error.what()));
        return SomeFailed;
    }
}

} // namespace brindlecast::cli
