#include "MakeCommand.h"

#include "Console.h"
#include "EngineSlot.h"
#include "MakeSteps.h"
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
#include "generate/TemplateNames.h"
#include "generate/WholeDocument.h"
#include "newsletter/DateTexts.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

namespace brindlecast::cli {

RunInputs ReadRunInputs(const MakeOptions& options) {
    return {TemplateFor(options), MakeValues(!options.noStored, options.sets, options.values,
                                             !options.templateFile.isEmpty())};
}

int ReportFailures(Console& console, const std::function<int()>& body) {
    try {
        return body();
    } catch (const UsageError& error) {
        console.error(QString::fromLocal8Bit(error.what()));
        return BadUsage;
    } catch (const std::exception& error) {
        console.error(QString::fromLocal8Bit(error.what()));
        return SomeFailed;
    }
}

engine::SaveFormat FormatOf(const MakeOptions& options, const QString& path) {
    if (!options.format.isEmpty()) {
        if (const auto named = engine::SaveFormatNamed(options.format))
            return *named;
        throw UsageError(QStringLiteral("--format %1: the formats are doc, docx, odt and pdf")
                             .arg(options.format));
    }
    return engine::SaveFormatOfPath(path).value_or(engine::SaveFormat::Doc);
}

void RefuseOverlong(const NewsletterValues& values, bool withRecipient) {
    const auto typed = [&](int index) {
        const bool recipients =
            index >= FirstRecipientField && index < FirstRecipientField + RecipientFieldCount;
        return recipients && !withRecipient ? QString() : values.fields[size_t(index)];
    };
    if (const auto field = OverlongField(typed))
        throw UsageError(
            OverlongValueMessage(*field, int(typed(*field).size())).replace("\r\n\r\n", " "));
    for (const NamedValue& named : values.named)
        if (named.value.size() > MaxValueLength)
            throw UsageError(OverlongNamedValueMessage(named.name, int(named.value.size())));
}

QString RefusedOutput(const QString& path, const std::optional<FileId>& templateFile) {
    // A link: replacing one would write where it leads, keeping one keeps another file.
    if (IsLink(path))
        return QStringLiteral("%1 is a symbolic link, and no output is written in place of a link "
                              "or through it")
            .arg(path);
    if (templateFile && FileIdOf(path) == templateFile)
        return QStringLiteral("%1 is the template, which is never changed").arg(path);
    return {};
}

bool KeepExisting(const QString& path, engine::SaveFormat format, const TemplateSource& source,
                  const MakeOptions& options, Console& console) {
    if (const QString refused = RefusedOutput(path, source.file); !refused.isEmpty())
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

std::optional<int> StartEngine(EngineSlot& slot, const QString& notMade, Console& console) {
    try {
        slot.start();
        return std::nullopt;
    } catch (const std::exception& error) {
        if (ProgramEnding()) {
            console.error(QStringLiteral("stopped; %1").arg(notMade));
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
}

TemplateReport InspectTemplate(EngineSlot& slot, const TemplateSource& source,
                               const MakeOptions& options) {
    const QTemporaryDir scratch(TempFolder() + QStringLiteral("/brindlecast-make-XXXXXX"));
    if (!scratch.isValid())
        throw std::runtime_error(
            QStringLiteral("no working folder can be made in %1").arg(TempFolder()).toStdString());
    const QString copy = scratch.filePath(QStringLiteral("template") + source.suffix);
    WriteFreshFile(copy, source.bytes);
    TemplateReport report;
    try {
        report = ReadTemplateReport(slot.engine, copy);
    } catch (const engine::OpenError& error) {
        throw UsageError(QStringLiteral("%1 cannot be opened: %2; nothing was made")
                             .arg(options.templateFile, error.reason()));
    }
    // Found before anything is made: half a run of newsletters with markers left in them is
    // worse than none.
    if (!report.blockProblems.empty()) {
        QString first = report.blockProblems.front().text();
        first.chop(1);
        const int more = int(report.blockProblems.size()) - 1;
        throw UsageError(
            QStringLiteral("%1 has an IF block that cannot be used: %2%3; nothing "
                           "was made (check-template shows every one)")
                .arg(options.templateFile, first,
                     more > 0 ? QStringLiteral(" (and %1 more)").arg(more) : QString()));
    }
    return report;
}

ValueLookup BlockValues(const TemplateReport* report, const MergeValues& values) {
    if (!report || report->blocks.empty())
        return {};
    return [values](const QString& name) { return values.value(name); };
}

namespace {

int makeOne(const MakeOptions& options, const NewsletterValues& values,
            const TemplateSource& source, Console& console) {
    if (options.output.isEmpty())
        throw UsageError(QStringLiteral("make needs --output: the file to make"));
    for (const auto& [given, option] : {std::pair{!options.combined.isEmpty(), "--combined"},
                                        std::pair{!options.sheet.isEmpty(), "--sheet"},
                                        std::pair{!options.fileName.isEmpty(), "--file-name"},
                                        std::pair{!options.rows.isEmpty(), "--rows"},
                                        std::pair{!options.where.isEmpty(), "--where"},
                                        std::pair{options.keepDuplicates, "--keep-duplicates"}})
        if (given)
            throw UsageError(QStringLiteral("%1 goes with --recipients").arg(option));
    const engine::SaveFormat format = FormatOf(options, options.output);
    if (KeepExisting(options.output, format, source, options, console))
        return AllMade;
    RefuseOverlong(values, true);

    EngineSlot slot;
    if (const auto failed =
            StartEngine(slot, QStringLiteral("%1 was not made").arg(options.output), console))
        return *failed;
    const MergeValues merged = values.merged();
    std::vector<NamedFill> named;
    std::optional<TemplateReport> report;
    if (!options.templateFile.isEmpty()) {
        report = InspectTemplate(slot, source, options);
        named = NamedFills(*report, merged);
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
            {templatePath, FieldSpan{}, value, merged.issueDate, value(TitleField), made, format,
             [&](const QString& reason) {
                 console.error(
                     QStringLiteral("%1 is made without a title: %2").arg(options.output, reason));
             },
             named, BlockValues(report ? &*report : nullptr, merged)});
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

} // namespace

int RunMake(const MakeOptions& options) {
    Console console(options.quiet);
    return RunMake(options, console);
}

int RunMake(const MakeOptions& options, Console& console) {
    // What runs of killed programs left; never a live run's.
    RemoveDeadListFolders(TempFolder());
    return ReportFailures(console, [&] {
        if (options.force && options.skipExisting)
            throw UsageError(QStringLiteral("--force replaces what exists and --skip-existing "
                                            "keeps it: give one of them"));
        const RunInputs inputs = [&] {
            // A pipe may keep its reader waiting for ever; nothing is made yet to clean up.
            const EndAtOnceOnTerminationSignals atOnce;
            return ReadRunInputs(options);
        }();
        if (options.recipients.isEmpty())
            return makeOne(options, inputs.values, inputs.source, console);
        return MakeList(options, inputs.values, inputs.source, console);
    });
}

} // namespace brindlecast::cli
