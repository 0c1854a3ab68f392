#pragma once

#include "app/FileLock.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>
#include <stdexcept>
#include <vector>

namespace brindlecast::mail {

/// What became of one recipient's message, as the journal keeps it: a line of text each.
struct JournalEntry {
    enum class Outcome { Sent, Refused, NoAddress };
    Outcome outcome = Outcome::Sent;
    /// Which newsletter: the same issue is sent to each recipient once.
    QString issue;
    /// The recipient's place in the list, counted from 1.
    int row = 0;
    QString address;
    QByteArray messageId = {};
    QString name = {};
    /// The server's words, or why nothing was sent.
    QString words = {};
    QDateTime time = {};
};

/// A journal that cannot be opened, read or added to; what() says which and why.
class JournalError : public std::runtime_error {
public:
    explicit JournalError(const QString& message)
        : std::runtime_error(message.toStdString()) {}
};

/// The journal of a sending run: every message the server accepted (and every one it refused,
/// or that had no address), a line each, on the disk before the next message goes, so that a
/// run started again sends only what was not accepted, whenever the last one ended.
class SendJournal {
public:
    /// Opens the journal at `path` for a run: made when missing, locked so that no second run
    /// uses it at the same time, its lines read. Throws JournalError.
    explicit SendJournal(const QString& path);

    /// The lines of the journal at `path` as they are, without a lock (for a dry run); none
    /// when there is no journal. A last line cut short by a crash is not read. Throws
    /// JournalError.
    static std::vector<JournalEntry> Read(const QString& path);

    const std::vector<JournalEntry>& entries() const { return mEntries; }
    const QString& path() const { return mPath; }

    /// Adds `entry` and returns once it is on the disk. Throws JournalError.
    void record(const JournalEntry& entry);

private:
    QString mPath;
    FileLock mLock;
    std::vector<JournalEntry> mEntries;
};

/// True when `entries` say that `issue` was sent to `address` (letter case ignored) and, when
/// `row` is given (the list holds the address more than once), to that row's recipient.
bool WasSent(const std::vector<JournalEntry>& entries, const QString& issue, const QString& address,
             std::optional<int> row = std::nullopt);

/// The line an entry is kept as, and back; none for a line that is not an entry.
QByteArray JournalLine(const JournalEntry& entry);
std::optional<JournalEntry> ParseJournalLine(const QByteArray& line);

} // namespace brindlecast::mail
