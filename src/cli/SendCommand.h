#pragma once

#include "MakeCommand.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace brindlecast::cli {

/// What "brindlecast send" is asked to do: make each recipient's newsletter as a list run does,
/// then mail it to them.
struct SendOptions {
    /// What is made, and for whom: the look or template, the values, the list and the choice of
    /// recipients, the attachments' file names; `format` is --attach.
    MakeOptions make;
    /// The list's column of addresses; empty: Email, E-mail or Mail, or a vCard's EMAIL.
    QString toColumn;
    QString subject;
    QString body;
    QString bodyHtml;
    QStringList alsoAttach;
    QString attachColumn;
    QString from;
    QString replyTo;
    QStringList cc;
    QStringList bcc;
    QString unsubscribe;
    QString smtp;
    QString user;
    QString passwordFile;
    /// A password typed into a window, taken before the keyring; kept there once the server
    /// has taken it when `keepPassword`.
    std::optional<QString> password = std::nullopt;
    bool keepPassword = false;
    /// Asks for the password on the terminal even when the keyring has one, and keeps it.
    bool newPassword = false;
    QString caFile;
    QString testTo;
    QString testCount;
    QString dryRun;
    QString rate;
    QString retryFor;
    QString journal;
};

/// Mails each chosen recipient of a list their own newsletter. Returns the exit code: 0 all
/// sent (now or earlier), 1 some not (refused, without an address, not made, left for later,
/// or stopped), 2 wrong options or a server that cannot be used (nothing sent), 3 no engine.
int RunSend(const SendOptions& options);

class Console;

/// RunSend saying what it has to say to `console`.
int RunSend(const SendOptions& options, Console& console);

} // namespace brindlecast::cli
