#pragma once

#include <QString>
#include <chrono>
#include <optional>

// How fast messages go, and how long a message the server put off is tried again.
namespace brindlecast::mail {

using Clock = std::chrono::steady_clock;

/// Keeps to a number of messages a minute: each message waits until a whole interval has passed
/// since the one before. Every try counts, a refused one too: each is work for the server.
class Pace {
public:
    /// `perMinute` 0: no pause at all.
    explicit Pace(int perMinute);
    /// When the next message may go; any time when none went yet.
    Clock::time_point next() const;
    void sentAt(Clock::time_point when) { mLast = when; }

private:
    Clock::duration mInterval;
    std::optional<Clock::time_point> mLast;
};

/// The pauses before a message that the server put off (a 4xx answer, or no connection) is
/// tried again: the first a sixtieth of the time allowed (at least a second, at most a minute),
/// each next one twice as long, none longer than a quarter of the time allowed, and no try
/// once that time has passed since the first refusal.
class RetryPlan {
public:
    explicit RetryPlan(std::chrono::seconds retryFor);
    /// The pause after the `refusals`-th refusal (from 1).
    Clock::duration pause(int refusals) const;
    /// True while a message first refused at `first` may still be tried at `now`.
    bool allows(Clock::time_point first, Clock::time_point now) const {
        return now - first < mRetryFor;
    }
    std::chrono::seconds retryFor() const { return mRetryFor; }

private:
    std::chrono::seconds mRetryFor;
};

/// A length of time as a person writes it: "30m", "90s", "2h", "1h30m", or a number of minutes
/// alone ("45"). None for anything else.
std::optional<std::chrono::seconds> ParseDuration(const QString& text);

/// "30 s", "2 min", "1 h 30 min", for messages.
QString DescribeDuration(Clock::duration duration);

} // namespace brindlecast::mail
