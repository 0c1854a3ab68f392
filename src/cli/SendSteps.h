#pragma once

#include "ListRun.h"
#include "SendCommand.h"
#include "mail/MailAddress.h"
#include "mail/MailMessage.h"
#include "mail/MailSettings.h"
#include "mail/SendRun.h"
#include "mail/SmtpTransport.h"

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

// The steps of "brindlecast send": what the options ask for, the server and its password, and
// each recipient's message. Internal to the command line.
namespace brindlecast::cli {

class Console;

/// Messages a minute unless --rate says otherwise: two thirds of the strictest per-minute limit
/// the large providers publish for one mailbox (30), so that a run stays within it with room
/// for the sender's own mail.
inline constexpr int DefaultRate = 20;
/// The largest file a message carries, the newsletter or another: more than most mail servers
/// take in one message already.
inline constexpr qint64 MostAttachmentBytes = qint64(32) << 20;

/// What the mail options ask for, read and checked before anything is made.
struct MailPlan {
    mail::Mailbox from;
    std::optional<mail::Mailbox> replyTo;
    std::vector<mail::Mailbox> cc;
    std::vector<mail::Mailbox> bcc;
    QString subject;
    QString body;
    QString bodyHtml;
    std::vector<mail::Attachment> alsoAttach;
    std::optional<int> attachColumn;
    /// Where the files the attach column names are found from.
    QString listFolder;
    QString unsubscribe;
    std::optional<mail::Mailbox> testTo;
    int testCount = 1;
    int rate = DefaultRate;
    std::chrono::seconds retryFor{30 * 60};
    int addressColumn = 0;
    /// Which newsletter this is: the values every recipient's shares. A recipient is sent an
    /// issue once.
    QString issue;
    QString journal;
};

/// Which newsletter `job` makes, as the journal names it: the values every recipient's shares,
/// which a new newsletter changes and a corrected subject or body does not.
QString IssueOf(const ListJob& job);

/// Reads and checks the mail options against the list and the values of `job`, the stored
/// settings filling in what is not given. Throws UsageError.
MailPlan ReadMailPlan(const SendOptions& options, const mail::MailSettings& stored,
                      const ListJob& job);

/// The address of recipient `index`, or why there is none to send to.
struct RecipientAddress {
    std::optional<mail::Mailbox> mailbox;
    QString trouble;
};
RecipientAddress AddressOf(const MailPlan& plan, const ListJob& job, int index);

/// The server of --smtp (or the stored one), logged in with the password from --password-file
/// or the keyring (asked for on a terminal when there is none) and checked before anything is
/// made. Throws UsageError with words that name the server when it cannot be used.
std::unique_ptr<mail::SmtpTransport> OpenServer(const SendOptions& options,
                                                mail::MailSettings& settings, Console& console);

/// Recipient `index`'s message (to `plan.testTo` instead, marked as a test, when it is set),
/// its newsletter the file `made`. Throws std::runtime_error when a file cannot be read.
mail::BuiltMessage BuildMessage(const MailPlan& plan, const ListJob& job, int index,
                                const QString& made);

} // namespace brindlecast::cli
