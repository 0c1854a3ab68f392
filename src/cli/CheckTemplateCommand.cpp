#include "CheckTemplateCommand.h"

#include "Console.h"
#include "EngineSlot.h"
#include "ListCheck.h"
#include "ListSource.h"
#include "MakeCommand.h"
#include "MakeValues.h"
#include "app/FileHelpers.h"
#include "app/ProgramEnd.h"
#include "app/TerminationSignals.h"
#include "generate/TemplateCheck.h"
#include "generate/TemplateFile.h"
#include "generate/TemplateNames.h"

#include <QTemporaryDir>
#include <algorithm>

namespace brindlecast::cli {

namespace {

QString placesText(const PlaceCounts& places) {
    QStringList parts;
    for (const auto& [place, count] : places)
        parts << QStringLiteral("%1 %2").arg(TextPlaceName(place)).arg(count);
    return parts.join(QStringLiteral(", "));
}

int total(const PlaceCounts& places) {
    int sum = 0;
    for (const auto& [place, count] : places)
        sum += count;
    return sum;
}

bool isNamed(const StrayWord& stray, const QStringList& names) {
    return !stray.broken && std::any_of(names.begin(), names.end(), [&](const QString& name) {
        return SameName(name, BracketedName(stray.text));
    });
}

QStringList findings(const TemplateReport& report, const QStringList& names) {
    QStringList found;
    const bool named = std::any_of(report.strays.begin(), report.strays.end(),
                                   [&](const StrayWord& stray) { return isNamed(stray, names); });
    if (!report.holdsAnyPlaceholder() && !named)
        found << QStringLiteral("It holds no placeholder: nothing in it would be filled.");
    // With names of their own, a word is meant for a field or for one of those.
    const QString none = names.isEmpty() ? QStringLiteral("no placeholder")
                                         : QStringLiteral("neither a field nor a column");
    for (const StrayWord& stray : report.strays) {
        if (isNamed(stray, names))
            continue;
        const QString where = QStringLiteral("%1 (%2)").arg(stray.text, placesText(stray.places));
        const std::optional<QString> nearName = NearestName(stray.text, names);
        if (stray.broken)
            found << QStringLiteral("%1 has a field or another object inside it and is never "
                                    "filled: type %2 again in one go.")
                         .arg(where, PlaceholderName(*stray.nearest));
        else if (stray.nearest)
            found << QStringLiteral("%1 is %2: did you mean %3?")
                         .arg(where, none, PlaceholderName(*stray.nearest));
        else if (nearName)
            found << QStringLiteral("%1 is %2: did you mean [%3]?").arg(where, none, *nearName);
        else
            found << QStringLiteral("%1 is %2 and stays as it is.").arg(where, none);
    }
    if (!report.unfilledIssueDates.empty())
        found << QStringLiteral("[IssueDate] (%1) is never filled there: the issue date goes "
                                "into the main text and the text boxes only.")
                     .arg(placesText(report.unfilledIssueDates));
    for (const PlacedBlockProblem& problem : report.blockProblems)
        found << problem.text();
    return found;
}

// Each block on a line, a block inside another indented below it.
QStringList blockLines(const TemplateReport& report) {
    QStringList lines;
    if (report.blocks.empty())
        return lines;
    lines << QStringLiteral("IF blocks (%1):").arg(report.blocks.size());
    for (const PlacedBlock& placed : report.blocks)
        lines << QStringLiteral("  %1%2%3  %4, paragraph %5")
                     .arg(QString(2 * placed.block.depth, QLatin1Char(' ')), placed.block.marker,
                          placed.block.hasElse ? QStringLiteral(" with [ELSE]") : QString(),
                          TextPlaceName(placed.place))
                     .arg(placed.paragraph);
    return lines;
}

// check-template's codes: 3 where no engine reads the list, 2 where it could not be read.
int listFailureCode(const ListEngineFailure& failure) {
    if (ProgramEnding())
        return SomeFailed;
    if (failure.exitCode() == NoEngine || !TempFolderTrouble().isEmpty())
        return NoEngine;
    return BadUsage;
}

} // namespace

QString TemplateReportText(const TemplateReport& report, const QStringList& names,
                           const QStringList& listLines) {
    QStringList lines;
    QStringList missing;
    for (int i = 0; i < PlaceholderCount; ++i) {
        const PlaceCounts& places = report.placeholders[size_t(i)];
        if (places.empty()) {
            missing << PlaceholderName(i);
            continue;
        }
        lines << QStringLiteral("  %1 %2  %3")
                     .arg(PlaceholderName(i), -17)
                     .arg(total(places), 3)
                     .arg(placesText(places));
    }
    lines.prepend(lines.isEmpty() ? QStringLiteral("Placeholders: none.")
                                  : QStringLiteral("Placeholders (%1 of %2):")
                                        .arg(PlaceholderCount - missing.size())
                                        .arg(PlaceholderCount));
    if (!missing.isEmpty() && missing.size() < PlaceholderCount)
        lines << QStringLiteral("Not in it, so never shown: %1.")
                     .arg(missing.join(QStringLiteral(", ")));
    lines << blockLines(report);
    lines << listLines;
    const QStringList found = findings(report, names);
    for (const QString& finding : found)
        lines << QStringLiteral("Finding: ") + finding;
    if (!report.blockProblems.empty())
        lines << QStringLiteral("Not usable until its blocks are mended (%1 finding%2).")
                     .arg(found.size())
                     .arg(found.size() == 1 ? "" : "s");
    else
        lines << (found.isEmpty() ? QStringLiteral("Usable as it is.")
                                  : QStringLiteral("Usable, with %1 finding%2.")
                                        .arg(found.size())
                                        .arg(found.size() == 1 ? "" : "s"));
    return lines.join(QLatin1Char('\n'));
}

QString TemplateHeadline(const QString& path, const TemplateFile& file) {
    QString line = QStringLiteral("%1: %2.").arg(path, DescribeTemplate(file));
    if (!file.macros.isEmpty())
        line += QStringLiteral("\nMacros: it holds %1. They never run, and no newsletter made "
                               "from it carries them or any binding of an event to a macro.")
                    .arg(file.macros);
    return line;
}

int RunCheckTemplate(const CheckOptions& options) {
    const QString& path = options.templateFile;
    Console console(false);
    TemplateFile file;
    std::optional<ListCheckInput> list;
    NewsletterValues values;
    // The engine that reads a workbook list reads the template too.
    EngineSlot slot;
    try {
        {
            // A pipe whose writer never writes keeps the read waiting: a signal ends it there.
            const EndAtOnceOnTerminationSignals atOnce;
            file = ReadTemplateFile(path);
            values = MakeValues(!options.noStored, options.sets, options.values, true);
        }
        if (!options.recipients.isEmpty())
            list = ReadListForCheck(options, slot);
        else if (!options.rows.isEmpty() || !options.where.isEmpty() || !options.sheet.isEmpty())
            throw UsageError(QStringLiteral("--rows, --where and --sheet go with --recipients"));
    } catch (const TemplateError& error) {
        console.error(QString::fromStdString(error.what()));
        return BadUsage;
    } catch (const UsageError& error) {
        console.error(QString::fromStdString(error.what()));
        return BadUsage;
    } catch (const ListEngineFailure& failure) {
        console.error(QString::fromLocal8Bit(failure.what()));
        return listFailureCode(failure);
    }
    try {
        slot.start();
    } catch (const std::exception& error) {
        if (ProgramEnding())
            return SomeFailed;
        console.error(EngineStartFailure(QString::fromLocal8Bit(error.what())).message);
        return NoEngine;
    }
    // The engine reads a copy: a template is never changed on disk, not even by being opened.
    const QTemporaryDir scratch(TempFolder() + QStringLiteral("/brindlecast-make-XXXXXX"));
    const QString copy = scratch.filePath(QStringLiteral("template") + TemplateSuffix(file));
    try {
        if (!scratch.isValid())
            throw std::runtime_error(QStringLiteral("no working folder can be made in %1 (%2)")
                                         .arg(TempFolder(), scratch.errorString())
                                         .toStdString());
        WriteFreshFile(copy, file.bytes);
    } catch (const std::exception& error) {
        const QString trouble = TempFolderTrouble();
        console.error(trouble.isEmpty() ? QString::fromLocal8Bit(error.what()) : trouble);
        return NoEngine;
    }
    TemplateReport report;
    try {
        report = ReadTemplateReport(slot.engine, copy);
    } catch (const engine::OpenError& error) {
        console.error(QStringLiteral("%1 cannot be opened: %2").arg(path, error.reason()));
        return BadUsage;
    } catch (const std::exception& error) {
        // The engine names the copy it was given; the user knows the file by its own name.
        console.error(QStringLiteral("%1 cannot be read: %2")
                          .arg(path, QString::fromLocal8Bit(error.what()).replace(copy, path)));
        return BadUsage;
    }
    const ListCheck checked = CheckAgainstList(report, values, list);
    console.summary(TemplateHeadline(path, file) + QLatin1Char('\n') +
                    TemplateReportText(report, checked.names, checked.lines));
    return findings(report, checked.names).isEmpty() ? AllMade : SomeFailed;
}

} // namespace brindlecast::cli
