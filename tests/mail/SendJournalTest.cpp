// The journal a rerun trusts: what it kept is read back, a line a crash cut short is neither
// read nor glued to the next, and two runs never share it.
#include "mail/SendJournal.h"

#include "support/Isolated.h"

namespace brindlecast::mail {
namespace {

class SendJournalTest : public testing::Isolated {
protected:
    JournalEntry sent(int row, const QString& address, const QString& issue = "issue1") {
        return {JournalEntry::Outcome::Sent,
                issue,
                row,
                address,
                "<id@example.org>",
                "Dana\tHollis\nJr",
                "250 OK",
                QDateTime::currentDateTime()};
    }
};

TEST_F(SendJournalTest, WhatWasRecordedIsReadBackByIssueAddressAndRow) {
    const QString path = root("list.sent.txt");
    {
        SendJournal journal(path);
        journal.record(sent(3, "dana@example.org"));
        journal.record({JournalEntry::Outcome::Refused, "issue1", 4, "x@example.org", "<2@e>", "X",
                        "550 no such mailbox", QDateTime::currentDateTime()});
    }
    const std::vector<JournalEntry> entries = SendJournal::Read(path);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "Dana Hollis Jr"); // tabs and line breaks cannot split a line
    EXPECT_EQ(entries[1].words, "550 no such mailbox");
    EXPECT_TRUE(WasSent(entries, "issue1", "DANA@example.org"));
    EXPECT_TRUE(WasSent(entries, "issue1", "dana@example.org", 3));
    EXPECT_FALSE(WasSent(entries, "issue1", "dana@example.org", 5));
    EXPECT_FALSE(WasSent(entries, "issue2", "dana@example.org"));
    EXPECT_FALSE(WasSent(entries, "issue1", "x@example.org")); // refused is not sent
}

TEST_F(SendJournalTest, ALineCutShortIsLeftOutAndTheNextStartsOnALineOfItsOwn) {
    const QString path = root("list.sent.txt");
    writeAll(path, "# heading\n" + JournalLine(sent(1, "a@example.org")) +
                       JournalLine(sent(2, "b@example.org")).left(30));
    SendJournal journal(path);
    EXPECT_EQ(journal.entries().size(), 1u);
    journal.record(sent(3, "c@example.org"));
    const std::vector<JournalEntry> entries = SendJournal::Read(path);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].address, "c@example.org");
    EXPECT_EQ(ParseJournalLine("sent\tnot enough fields"), std::nullopt);
}

TEST_F(SendJournalTest, ASecondRunAtOnceIsRefusedAndAJournalThatCannotBeWrittenSaysWhy) {
    const QString path = root("list.sent.txt");
    SendJournal first(path);
    EXPECT_THROW(SendJournal second(path), JournalError);
    // A journal in a "folder" that is a file cannot be made: nothing may be sent then.
    writeAll(root("file"), "x");
    try {
        SendJournal journal(root("file/list.sent.txt"));
        FAIL() << "a journal was opened where none can be";
    } catch (const JournalError& error) {
        EXPECT_TRUE(QString::fromLocal8Bit(error.what()).contains("file/list.sent.txt"));
    }
}

} // namespace
} // namespace brindlecast::mail
