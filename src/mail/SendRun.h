#pragma once

#include "Pace.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace brindlecast::mail {

/// The server's answer to one message.
struct Delivery {
    enum class Kind {
        Accepted,
        /// Put off: a 4xx answer, or no connection (code 0); worth another try later.
        Deferred,
        /// Refused for good: a 5xx answer.
        Refused,
        /// Nothing can go to this server as things are (a refused password or certificate, no
        /// encryption offered): the run stops.
        Broken
    };
    Kind kind = Kind::Accepted;
    /// The SMTP reply code; 0 when there was no answer.
    int code = 0;
    /// The server's words, or what went wrong, for a person to read.
    QString words = {};
};

/// Where messages go.
class MailTransport {
public:
    virtual ~MailTransport() = default;
    /// Hands one message to the server: `message`'s bytes, from `from`, for `recipients`.
    virtual Delivery send(const QString& from, const QStringList& recipients,
                          const QByteArray& message) = 0;
};

/// A message made ready to go.
struct BuiltMessage {
    QString from;
    QStringList recipients;
    QByteArray bytes;
    QByteArray messageId;
};

/// The outcome of a run: positions in the list of messages it was given.
struct SendResult {
    std::vector<int> sent;
    /// Refused for good, with the server's answer.
    std::vector<std::pair<int, Delivery>> refused;
    /// Not built (an attachment could not be read, ...), with why.
    std::vector<std::pair<int, QString>> notSent;
    /// Still to send: put off for longer than allowed, or not tried as the run stopped.
    std::vector<std::pair<int, QString>> leftForLater;
    /// Why the run stopped before its end; empty when it did not.
    QString stopped;
};

/// What a run asks of its caller: the time, waiting, the messages, and what to do with an
/// outcome. Tests give a clock of their own.
struct SendHooks {
    std::function<Clock::time_point()> now;
    /// Waits until `until`; false when the program is asked to end meanwhile.
    std::function<bool(Clock::time_point until)> waitUntil;
    /// True once the program is asked to end: no further message is started.
    std::function<bool()> stopping;
    /// Builds message `position`; throws std::exception with a reason when it cannot.
    std::function<BuiltMessage(int position)> build;
    /// A message's last word: accepted or refused for good. Throws to stop the run (the journal
    /// cannot be written: nothing more may be sent).
    std::function<void(int position, const BuiltMessage&, const Delivery&)> settled;
    /// A message put off, and when it is tried again.
    std::function<void(int position, const Delivery&, Clock::duration pause)> deferred;
};

/// Sends `count` messages, in order, through `transport`, keeping to `pace`; a message the
/// server puts off is tried again after the pauses of `plan`, the others going on meanwhile;
/// when the connection itself fails, every message waits. A message is built once, when it is
/// first tried, and its bytes kept until it is settled.
SendResult SendAll(MailTransport& transport, int count, Pace& pace, const RetryPlan& plan,
                   const SendHooks& hooks);

} // namespace brindlecast::mail
