#pragma once

#include "SendSteps.h"
#include "TemplateSource.h"
#include "mail/SendJournal.h"

#include <QString>
#include <optional>
#include <vector>

// The workings behind RunSend: whom to send to, their newsletters made, then the messages sent
// (or written, for a dry run) and the run summed up.
namespace brindlecast::cli {

struct EngineSlot;

class SendRunner {
public:
    /// `first` is the slot the list was read with: its engine, started for a workbook, makes
    /// newsletters too.
    SendRunner(const SendOptions& options, MailPlan& plan, ListJob& job,
               const TemplateSource& source, mail::MailSettings& settings, Console& console,
               EngineSlot& first);

    int run();

private:
    struct Trouble {
        int index;
        QString why;
    };

    void sortOut();
    int makeAndSend();
    /// Sends the made newsletters, or writes them as .eml files for a dry run; the outcome in
    /// mResult, by list index.
    void send();
    void writeDrafts();
    bool waitUntil(mail::Clock::time_point until, mail::Clock::time_point start);
    void settled(int index, const mail::BuiltMessage& built, const mail::Delivery& delivery);
    void recordNoAddresses();
    int finish();
    QString describe(int index) const;
    /// The program is ending, or the run's caller asked it to stop.
    bool stopped() const;
    bool real() const { return mPlan.testTo == std::nullopt && mOptions.dryRun.isEmpty(); }

    const SendOptions& mOptions;
    MailPlan& mPlan;
    ListJob& mJob;
    const TemplateSource& mSource;
    mail::MailSettings& mSettings;
    Console& mConsole;
    EngineSlot& mFirst;
    std::optional<mail::SendJournal> mJournal;
    std::vector<mail::JournalEntry> mEarlier;
    std::unique_ptr<mail::SmtpTransport> mTransport;
    std::vector<int> mTodo; // in list order
    std::vector<int> mMade;
    int mSentEarlier = 0;
    std::vector<Trouble> mNoAddress;
    std::vector<Trouble> mNotMade;
    mail::SendResult mResult; // by list index
    int mDone = 0;
    double mSeconds = 0;
    int mWritten = 0;
};

} // namespace brindlecast::cli
