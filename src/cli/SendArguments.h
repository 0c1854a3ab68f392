#pragma once

#include "SendCommand.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace brindlecast::cli {

/// The options only "brindlecast send" takes.
struct SendArguments {
    QCommandLineOption toColumn{"to-column",
                                "send: the list's column of e-mail addresses (by default Email, "
                                "E-mail or Mail, or a vCard's EMAIL).",
                                "NAME"};
    QCommandLineOption subject{"subject", "send: the subject; [Column] names are filled.", "TEXT"};
    QCommandLineOption body{"body", "send: the message's text (UTF-8), placeholders filled.",
                            "FILE"};
    QCommandLineOption bodyHtml{"body-html",
                                "send: an HTML body; --body, or its own text, is the plain "
                                "alternative.",
                                "FILE"};
    QCommandLineOption attach{"attach",
                              "send: the newsletter's format: pdf (default), docx, odt "
                              "or doc.",
                              "FORMAT"};
    QCommandLineOption alsoAttach{"also-attach", "send: one more file for everyone. Repeatable.",
                                  "FILE"};
    QCommandLineOption attachColumn{"attach-column",
                                    "send: a column naming a file for each recipient (relative "
                                    "to the list's folder).",
                                    "NAME"};
    QCommandLineOption from{"from", "send: the sender, \"Name <address>\" (kept for next time).",
                            "ADDRESS"};
    QCommandLineOption replyTo{"reply-to", "send: where replies go.", "ADDRESS"};
    QCommandLineOption cc{"cc", "send: a copy of every message. Repeatable.", "ADDRESS"};
    QCommandLineOption bcc{"bcc", "send: a hidden copy of every message. Repeatable.", "ADDRESS"};
    QCommandLineOption unsubscribe{"unsubscribe",
                                   "send: a List-Unsubscribe header: an https: URL or a mailto: "
                                   "address.",
                                   "URL"};
    QCommandLineOption smtp{"smtp",
                            "send: the mail server, smtp://HOST:587 (STARTTLS) or "
                            "smtps://HOST:465 (kept for next time).",
                            "URL"};
    QCommandLineOption user{"user", "send: the login name at the server (kept for next time).",
                            "NAME"};
    QCommandLineOption passwordFile{"password-file",
                                    "send: reads the password from FILE, which only you may "
                                    "read, instead of the system keyring.",
                                    "FILE"};
    QCommandLineOption newPassword{"new-password",
                                   "send: asks for the password on the terminal and keeps it in "
                                   "the keyring, in place of the one kept."};
    QCommandLineOption caFile{
        "ca-file", "send: also trusts the certificate authorities in FILE (PEM).", "FILE"};
    QCommandLineOption testTo{"test-to",
                              "send: sends the first recipient's message to ADDRESS only, "
                              "subject marked [Test].",
                              "ADDRESS"};
    QCommandLineOption testCount{"test-count", "send: with --test-to, the first N messages.", "N"};
    QCommandLineOption dryRun{"dry-run",
                              "send: writes each message to FOLDER as an .eml file; sends "
                              "nothing.",
                              "FOLDER"};
    QCommandLineOption rate{"rate", "send: messages a minute (default 20; 0: no pause).", "N"};
    QCommandLineOption retryFor{"retry-for",
                                "send: how long a message the server puts off is tried again "
                                "(default 30m).",
                                "TIME"};
    QCommandLineOption journal{"journal",
                               "send: the journal of what was sent (default: beside the list, "
                               "LIST.sent.txt).",
                               "FILE"};

    void addTo(QCommandLineParser& parser) const;
    /// The first of these options that is given, for "goes with send"; empty when none is.
    QString firstGiven(const QCommandLineParser& parser) const;
    SendOptions read(const QCommandLineParser& parser, const MakeOptions& make) const;
};

} // namespace brindlecast::cli
