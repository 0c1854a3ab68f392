#include "SendJournal.h"

#include "app/FileHelpers.h"

#include <QByteArrayList>

namespace brindlecast::mail {

namespace {

constexpr qint64 MostJournalBytes = qint64(64) << 20;

const QByteArray Heading =
    "# The messages brindlecast send sent, refused or could not send, one a line: what, when, "
    "issue, row, address, Message-ID, name, the server's words. A recipient whose issue has a "
    "\"sent\" line is not sent that issue again.\n";

const char* const OutcomeNames[] = {"sent", "refused", "no-address"};

// A field holds no tab and no line break: they separate fields and lines.
QByteArray Field(const QString& text) {
    QString field = text;
    for (QChar& c : field)
        if (c.unicode() < 0x20)
            c = QLatin1Char(' ');
    return field.toUtf8();
}

QByteArray Existing(const QString& path) {
    if (!FileExists(path))
        return {};
    try {
        const InputFile input = ReadInputFile(path, MostJournalBytes);
        if (input.tooLarge)
            throw JournalError(
                QStringLiteral("the journal %1 is larger than a journal may be").arg(path));
        return input.bytes;
    } catch (const InputFileError& error) {
        throw JournalError(QStringLiteral("cannot read the journal %1: %2")
                               .arg(path, QString::fromLocal8Bit(error.what())));
    }
}

std::vector<JournalEntry> Entries(const QByteArray& bytes) {
    std::vector<JournalEntry> entries;
    QByteArrayList lines = bytes.split('\n');
    lines.removeLast(); // what follows the last line end: nothing, or a line cut short
    for (const QByteArray& line : lines)
        if (auto entry = ParseJournalLine(line))
            entries.push_back(std::move(*entry));
    return entries;
}

} // namespace

QByteArray JournalLine(const JournalEntry& entry) {
    return QByteArrayList{OutcomeNames[int(entry.outcome)],
                          entry.time.toOffsetFromUtc(entry.time.offsetFromUtc())
                              .toString(Qt::ISODate)
                              .toLatin1(),
                          Field(entry.issue),
                          QByteArray::number(entry.row),
                          Field(entry.address),
                          Field(QString::fromLatin1(entry.messageId)),
                          Field(entry.name),
                          Field(entry.words)}
               .join('\t') +
           '\n';
}

std::optional<JournalEntry> ParseJournalLine(const QByteArray& line) {
    const QByteArrayList fields = line.split('\t');
    if (line.startsWith('#') || fields.size() < 8)
        return std::nullopt;
    JournalEntry entry;
    const auto outcome = std::find(std::begin(OutcomeNames), std::end(OutcomeNames), fields[0]);
    bool number = false;
    entry.row = fields[3].toInt(&number);
    if (outcome == std::end(OutcomeNames) || !number)
        return std::nullopt;
    entry.outcome = JournalEntry::Outcome(outcome - std::begin(OutcomeNames));
    entry.time = QDateTime::fromString(QString::fromLatin1(fields[1]), Qt::ISODate);
    entry.issue = QString::fromUtf8(fields[2]);
    entry.address = QString::fromUtf8(fields[4]);
    entry.messageId = fields[5];
    entry.name = QString::fromUtf8(fields[6]);
    entry.words = QString::fromUtf8(fields.mid(7).join('\t'));
    return entry;
}

SendJournal::SendJournal(const QString& path)
    : mPath(path) {
    QByteArray bytes = Existing(path);
    try {
        // A line a crash cut short is finished with a line end, so the next one is whole.
        if (bytes.isEmpty())
            AppendDurably(path, Heading);
        else if (!bytes.endsWith('\n'))
            AppendDurably(path, "\n");
    } catch (const std::exception& error) {
        throw JournalError(QStringLiteral("cannot write the journal: %1")
                               .arg(QString::fromLocal8Bit(error.what())));
    }
    mLock = TryLockExistingFile(path);
    if (!mLock.held())
        throw JournalError(QStringLiteral("the journal %1 is in use by another run of brindlecast "
                                          "send; wait for it to end")
                               .arg(path));
    // Read again under the lock: a run that ended just now may have added to it.
    mEntries = Entries(Existing(path));
}

std::vector<JournalEntry> SendJournal::Read(const QString& path) {
    return Entries(Existing(path));
}

void SendJournal::record(const JournalEntry& entry) {
    try {
        AppendDurably(mPath, JournalLine(entry));
    } catch (const std::exception& error) {
        throw JournalError(QStringLiteral("cannot write the journal: %1")
                               .arg(QString::fromLocal8Bit(error.what())));
    }
    mEntries.push_back(entry);
}

bool WasSent(const std::vector<JournalEntry>& entries, const QString& issue, const QString& address,
             std::optional<int> row) {
    for (const JournalEntry& entry : entries)
        if (entry.outcome == JournalEntry::Outcome::Sent && entry.issue == issue &&
            entry.address.compare(address, Qt::CaseInsensitive) == 0 && (!row || entry.row == *row))
            return true;
    return false;
}

} // namespace brindlecast::mail
