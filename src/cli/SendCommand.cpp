#include "SendCommand.h"

#include "Console.h"
#include "MakeSteps.h"
#include "SendRunner.h"
#include "app/FileHelpers.h"
#include "app/TerminationSignals.h"
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

} // namespace

int RunSend(const SendOptions& given) {
    Console console(given.make.quiet);
    RemoveDeadListFolders(TempFolder());
    try {
        RefuseMakeOnly(given);
        SendOptions options = given;
        if (options.make.format.isEmpty())
            options.make.format = QStringLiteral("pdf");
        std::optional<TemplateSource> read;
        std::optional<NewsletterValues> typed;
        {
            const EndAtOnceOnTerminationSignals atOnce;
            read = TemplateFor(options.make);
            typed = MakeValues(!options.make.noStored, options.make.sets, options.make.values,
                               !options.make.templateFile.isEmpty());
        }
        ListJob job = StartListJob(options.make, *typed, *read);
        job.format = FormatOf(options.make, {});
        NameListFiles(job, options.make);
        mail::MailSettings settings = mail::StoredMailSettings();
        MailPlan plan = ReadMailPlan(options, settings, job);
        return SendRunner(options, plan, job, *read, settings, console).run();
    } catch (const UsageError& error) {
        console.error(QString::fromLocal8Bit(error.what()));
        return BadUsage;
    } catch (const std::exception& error) {
        console.error(QString::fromLocal8Bit(error.what()));
        return SomeFailed;
    }
}

} // namespace brindlecast::cli
