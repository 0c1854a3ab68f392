#include "SendRunner.h"

#include "Console.h"
#include "MakeSteps.h"
#include "app/EventPumps.h"
#include "app/FileHelpers.h"
#include "app/ProgramEnd.h"
#include "generate/ListFolders.h"
#include "newsletter/RecipientFileName.h"

#include <QDir>
#include <algorithm>
#include <thread>

namespace brindlecast::cli {

SendRunner::SendRunner(const SendOptions& options, MailPlan& plan, ListJob& job,
                       const TemplateSource& source, mail::MailSettings& settings, Console& console,
                       EngineSlot& first)
    : mOptions(options)
    , mPlan(plan)
    , mJob(job)
    , mSource(source)
    , mSettings(settings)
    , mConsole(console)
    , mFirst(first) {}

QString SendRunner::describe(int index) const {
    const RecipientAddress address = AddressOf(mPlan, mJob, index);
    const QString who = DescribeRecipient(mJob.list, index);
    return address.mailbox ? QStringLiteral("%1 <%2>").arg(who, address.mailbox->address) : who;
}

// Whom this run is for: a test's first recipients, or those with an address that the journal
// does not list as sent this issue.
void SendRunner::sortOut() {
    if (mPlan.testTo) {
        const auto count = std::min<size_t>(size_t(mPlan.testCount), mJob.chosen.size());
        mTodo.assign(mJob.chosen.begin(), mJob.chosen.begin() + qsizetype(count));
        return;
    }
    try {
        if (real())
            mJournal.emplace(mPlan.journal);
        mEarlier = mJournal ? mJournal->entries() : mail::SendJournal::Read(mPlan.journal);
    } catch (const mail::JournalError& error) {
        throw UsageError(QStringLiteral("%1; nothing was sent").arg(error.what()));
    }
    QHash<QString, int> uses;
    for (const int index : mJob.chosen)
        if (const auto mailbox = AddressOf(mPlan, mJob, index).mailbox)
            ++uses[mailbox->address.toLower()];
    for (const int index : mJob.chosen) {
        const RecipientAddress address = AddressOf(mPlan, mJob, index);
        if (!address.mailbox) {
            mNoAddress.push_back({index, address.trouble});
            continue;
        }
        // An address on the list twice (kept with --keep-duplicates) is told apart by its row.
        const bool shared = uses.value(address.mailbox->address.toLower()) > 1;
        if (mail::WasSent(mEarlier, mPlan.issue, address.mailbox->address,
                          shared ? std::optional<int>(index + 1) : std::nullopt))
            ++mSentEarlier;
        else
            mTodo.push_back(index);
    }
}

void SendRunner::recordNoAddresses() {
    if (!mJournal)
        return;
    for (const Trouble& trouble : mNoAddress)
        mJournal->record({mail::JournalEntry::Outcome::NoAddress,
                          mPlan.issue,
                          trouble.index + 1,
                          {},
                          {},
                          mJob.list.recipients[size_t(trouble.index)].name(),
                          trouble.why,
                          QDateTime::currentDateTime()});
}

int SendRunner::run() {
    sortOut();
    if (mTodo.empty()) {
        recordNoAddresses();
        return finish();
    }
    if (mOptions.dryRun.isEmpty()) {
        mTransport = OpenServer(mOptions, mSettings, mConsole);
        mSettings.from = QString::fromUtf8(mail::MailboxText(mPlan.from));
        if (!mail::StoreMailSettings(mSettings))
            mConsole.error(QStringLiteral("the server, user and sender could not be kept for the "
                                          "next run"));
    } else if (!QDir().mkpath(mOptions.dryRun)) {
        throw UsageError(
            QStringLiteral("--dry-run: the folder %1 cannot be made").arg(mOptions.dryRun));
    }
    // Only a run that reached its server says in the journal whom it could not send to.
    recordNoAddresses();
    return makeAndSend();
}

int SendRunner::makeAndSend() {
    ListFolder folder;
    try {
        folder = MakeListFolder(TempFolder());
    } catch (const std::exception& error) {
        mConsole.error(QStringLiteral("%1; nothing was sent").arg(error.what()));
        return SomeFailed;
    }
    const auto cleanUp = [&] {
        folder.owner.release();
        QDir(folder.path).removeRecursively();
    };
    ListOutcome outcome;
    mJob.folder = folder.path;
    mJob.chosen = mTodo;
    mJob.kept.clear();
    mJob.outcome = &outcome;
    const int made = MakeListFiles(mJob, mOptions.make, mSource, mConsole, mFirst);
    if (made == NoEngine || made == BadUsage || stopped()) {
        if (stopped())
            mConsole.error(QStringLiteral("stopped; nothing was sent"));
        cleanUp();
        return stopped() ? SomeFailed : made;
    }
    mMade = outcome.made;
    for (const auto& [index, why] : outcome.failed)
        mNotMade.push_back({index, why});
    for (const int index : mTodo)
        if (!std::binary_search(mMade.begin(), mMade.end(), index) &&
            std::none_of(mNotMade.begin(), mNotMade.end(),
                         [&](const Trouble& t) { return t.index == index; }))
            mNotMade.push_back(
                {index, outcome.halted.isEmpty() ? QStringLiteral("not made") : outcome.halted});
    const auto start = mail::Clock::now();
    if (mOptions.dryRun.isEmpty())
        send();
    else
        writeDrafts();
    mSeconds = std::chrono::duration<double>(mail::Clock::now() - start).count();
    cleanUp();
    return finish();
}

void SendRunner::writeDrafts() {
    for (const int index : mMade) {
        const Recipient& recipient = mJob.list.recipients[size_t(index)];
        const QString path =
            QDir(mOptions.dryRun)
                .filePath(RecipientFileName(index + 1, int(mJob.list.recipients.size()),
                                            recipient.name(), QStringLiteral(".eml")));
        try {
            WriteFreshFile(path,
                           BuildMessage(mPlan, mJob, index, RecipientOutput(mJob, index)).bytes);
            ++mWritten;
        } catch (const std::exception& error) {
            mResult.notSent.emplace_back(index, QString::fromLocal8Bit(error.what()));
        }
    }
}

} // namespace brindlecast::cli
