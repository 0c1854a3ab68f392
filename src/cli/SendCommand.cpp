#include "SendCommand.h"

#include "Console.h"
#include "EngineSlot.h"
#include "ListSource.h"
#include "MakeSteps.h"
#include "SendRunner.h"
#include "app/FileHelpers.h"
#include "app/TerminationSignals.h"
#include "engine/SaveFormats.h"
#include "generate/ListFolders.h"

namespace brindlecast::cli {

namespace {

void RefuseMakeOnly(const SendOptions& options) {
    const MakeOptions& make = options.make;
    for (const auto& [given, option] :
         {std::pair{!make.output.isEmpty(), "--output"},
          std::pair{!make.combined.isEmpty(), "--combined"}, std::pair{make.force, "--force"},
          std::pair{make.skipExisting, "--skip-existing"}})
        if (given)
            throw UsageError(QStringLiteral("%1 goes with make: send makes its newsletters for "
                                            "the messages alone (--dry-run FOLDER keeps them)")
                                 .arg(option));
    if (make.recipients.isEmpty())
        throw UsageError(QStringLiteral("send needs --recipients: the list to send to"));
}

// The user named the format with --attach; make's word for it, --format, would puzzle them.
engine::SaveFormat AttachFormat(const QString& name) {
    if (name.isEmpty())
        return engine::SaveFormat::Pdf;
    if (const auto named = engine::SaveFormatNamed(name))
        return *named;
    throw UsageError(
        QStringLiteral("--attach %1: the formats are doc, docx, odt and pdf").arg(name));
}

} // namespace

int RunSend(const SendOptions& given) {
    Console console(given.make.quiet);
    return RunSend(given, console);
}

int RunSend(const SendOptions& options, Console& console) {
    RemoveDeadListFolders(TempFolder());
    return ReportFailures(console, [&] {
        RefuseMakeOnly(options);
        const engine::SaveFormat format = AttachFormat(options.make.format);
        const RunInputs inputs = [&] {
            const EndAtOnceOnTerminationSignals atOnce;
            return ReadRunInputs(options.make);
        }();
        try {
            EngineSlot first;
            ListJob job = StartListJob(options.make, inputs.values, inputs.source, first);
            job.format = format;
            NameListFiles(job, options.make);
            mail::MailSettings settings = mail::StoredMailSettings();
            MailPlan plan = ReadMailPlan(options, settings, job);
            return SendRunner(options, plan, job, inputs.source, settings, console, first).run();
        } catch (const ListEngineFailure& failure) {
            console.error(
                QStringLiteral("%1; nothing was sent").arg(QString::fromLocal8Bit(failure.what())));
            return failure.exitCode();
        }
    });
}

} // namespace brindlecast::cli
