// The sending of "brindlecast send", message by message, and its summary.
#include "Console.h"
#include "SendRunner.h"
#include "app/EventPumps.h"
#include "app/ProgramEnd.h"

#include <thread>

namespace brindlecast::cli {

bool SendRunner::waitUntil(mail::Clock::time_point until, mail::Clock::time_point start) {
    using namespace std::chrono;
    for (auto now = mail::Clock::now(); now < until; now = mail::Clock::now()) {
        ProcessTerminationRequests();
        if (stopped())
            return false;
        mConsole.progress(mDone, int(mMade.size()), now - start, "messages");
        std::this_thread::sleep_for(
            std::min<mail::Clock::duration>(milliseconds(100), until - now));
    }
    return true;
}

void SendRunner::settled(int index, const mail::BuiltMessage& built,
                         const mail::Delivery& delivery) {
    ++mDone;
    const bool sent = delivery.kind == mail::Delivery::Kind::Accepted;
    if (mPlan.testTo)
        mConsole.note(QStringLiteral("%1 the test of %2 to %3%4")
                          .arg(sent ? "Sent" : "Refused", DescribeRecipient(mJob.list, index),
                               mPlan.testTo->address, sent ? QString() : ": " + delivery.words));
    else
        mConsole.note(QStringLiteral("%1 %2%3").arg(sent ? "Sent:" : "Refused:", describe(index),
                                                    sent ? QString() : ": " + delivery.words));
    if (!mJournal)
        return;
    const RecipientAddress address = AddressOf(mPlan, mJob, index);
    mJournal->record(
        {sent ? mail::JournalEntry::Outcome::Sent : mail::JournalEntry::Outcome::Refused,
         mPlan.issue, index + 1, address.mailbox ? address.mailbox->address : QString(),
         built.messageId, mJob.list.recipients[size_t(index)].name(), delivery.words,
         QDateTime::currentDateTime()});
}

bool SendRunner::stopped() const {
    return ProgramEnding() || (mOptions.make.stop && mOptions.make.stop->load());
}

void SendRunner::send() {
    mail::Pace pace(mPlan.rate);
    const mail::RetryPlan plan(mPlan.retryFor);
    const auto start = mail::Clock::now();
    mail::SendHooks hooks;
    hooks.now = [] { return mail::Clock::now(); };
    hooks.waitUntil = [&](mail::Clock::time_point until) { return waitUntil(until, start); };
    hooks.stopping = [this] {
        ProcessTerminationRequests();
        return stopped();
    };
    hooks.build = [&](int position) {
        const int index = mMade[size_t(position)];
        return BuildMessage(mPlan, mJob, index, RecipientOutput(mJob, index));
    };
    hooks.settled = [&](int position, const mail::BuiltMessage& built,
                        const mail::Delivery& delivery) {
        settled(mMade[size_t(position)], built, delivery);
        mConsole.progress(mDone, int(mMade.size()), mail::Clock::now() - start, "messages");
    };
    hooks.deferred = [&](int position, const mail::Delivery& delivery,
                         mail::Clock::duration pause) {
        mConsole.note(QStringLiteral("Put off: %1: %2; tried again in %3")
                          .arg(describe(mMade[size_t(position)]), delivery.words,
                               mail::DescribeDuration(pause)));
    };
    const mail::SendResult result =
        mail::SendAll(*mTransport, int(mMade.size()), pace, plan, hooks);
    mConsole.endProgress();
    // From positions among the made to list indexes.
    const auto index = [&](int position) { return mMade[size_t(position)]; };
    for (const int position : result.sent)
        mResult.sent.push_back(index(position));
    for (const auto& [position, delivery] : result.refused)
        mResult.refused.emplace_back(index(position), delivery);
    for (const auto& [position, why] : result.notSent)
        mResult.notSent.emplace_back(index(position), why);
    for (const auto& [position, why] : result.leftForLater)
        mResult.leftForLater.emplace_back(index(position), why);
    mResult.stopped = result.stopped;
}

int SendRunner::finish() {
    const auto byIndex = [](const auto& a, const auto& b) { return a.first < b.first; };
    std::sort(mResult.leftForLater.begin(), mResult.leftForLater.end(), byIndex);
    QString summary;
    const QString server = mTransport ? mail::DescribeServer(mSettings.server) : QString();
    if (!mOptions.dryRun.isEmpty())
        summary = QStringLiteral("Wrote %1 of %2 messages to %3, an .eml file each%4; nothing was "
                                 "sent.")
                      .arg(mWritten)
                      .arg(mTodo.size())
                      .arg(mOptions.dryRun, mPlan.testTo ? QStringLiteral(" (tests)") : QString());
    else if (mPlan.testTo)
        summary = QStringLiteral("Sent %1 of %2 test messages to %3 through %4.")
                      .arg(mResult.sent.size())
                      .arg(mTodo.size())
                      .arg(mPlan.testTo->address, server);
    else
        summary = QStringLiteral("Sent %1 of %2 messages in %3 s%4.")
                      .arg(mResult.sent.size())
                      .arg(mTodo.size())
                      .arg(mSeconds, 0, 'f', 1)
                      .arg(server.isEmpty() ? QString() : " through " + server);
    if (mSentEarlier > 0)
        summary += QStringLiteral("\nSent earlier: %1 (in the journal %2), not sent again.")
                       .arg(mSentEarlier)
                       .arg(mPlan.journal);
    for (const auto& [index, delivery] : mResult.refused)
        summary += QStringLiteral("\nRefused: %1: %2").arg(describe(index), delivery.words);
    for (const Trouble& trouble : mNoAddress)
        summary += QStringLiteral("\nNo address: %1: %2")
                       .arg(DescribeRecipient(mJob.list, trouble.index), trouble.why);
    for (const Trouble& trouble : mNotMade)
        summary += QStringLiteral("\nNot made: %1: %2").arg(describe(trouble.index), trouble.why);
    for (const auto& [index, why] : mResult.notSent)
        summary += QStringLiteral("\nNot sent: %1: %2").arg(describe(index), why);
    if (!mResult.stopped.isEmpty())
        summary += QStringLiteral("\nStopped: %1").arg(mResult.stopped);
    for (const auto& [index, why] : mResult.leftForLater)
        summary += QStringLiteral("\nLeft for later: %1: %2").arg(describe(index), why);
    if (!mResult.leftForLater.empty() && real())
        summary += QStringLiteral("\nRun the same command again to send the %1 left: what the "
                                  "journal lists as sent is not sent again.")
                       .arg(mResult.leftForLater.size());
    for (const Duplicate& duplicate : mJob.duplicates)
        summary += QStringLiteral("\nLeft out: %1 is %2 again (%3); --keep-duplicates sends both.")
                       .arg(DescribeRecipient(mJob.list, duplicate.index),
                            DescribeRecipient(mJob.list, duplicate.sameAs), duplicate.why);
    mConsole.summary(summary);
    const bool whole = mResult.refused.empty() && mNoAddress.empty() && mNotMade.empty() &&
                       mResult.notSent.empty() && mResult.leftForLater.empty() &&
                       mResult.stopped.isEmpty();
    return whole ? AllMade : SomeFailed;
}

} // namespace brindlecast::cli
