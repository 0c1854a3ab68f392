// "brindlecast send" given options it cannot use: each is named in words a user understands,
// before any newsletter is made, any server is asked or the journal is begun.
#include "app/FileHelpers.h"
#include "cli/CommandTest.h"

namespace brindlecast {
namespace {

using testing::Outcome;

class SendOptionsTest : public testing::CommandTest {
protected:
    SendOptionsTest() {
        writeAll(root("list.csv"), "Name,Email,Club\nAnn Lee,ann@example.org,Harbor\n");
        writeAll(root("body.txt"), "Hello [Name].\n");
        writeAll(root("password"), "secret");
        QFile(root("password")).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    // A send that would go to a port nothing listens on, were its options good.
    Outcome send(const QStringList& more, const QString& subject = "News for [Name] of [Club]") {
        return run(QStringList{"send", "--no-stored", "--recipients", "list.csv", "--subject",
                               subject, "--body", "body.txt", "--from", "news@example.org",
                               "--smtp", "smtp://127.0.0.1:1", "--user", "dana", "--password-file",
                               "password"} +
                   more);
    }
};

TEST_F(SendOptionsTest, WhatCannotBeUsedIsNamedBeforeAnythingIsMadeOrSent) {
    const std::pair<QStringList, QString> cases[] = {
        {{"--attach", "rtf"}, "--attach rtf: the formats are doc, docx, odt and pdf"},
        {{"--format", "pdf"}, "--format goes with make; send takes --attach"},
        {{"--output", "out"}, "--output goes with make"},
        {{"--rate", "fast"}, "--rate fast: give messages a minute"},
        {{"--retry-for", "soon"}, "--retry-for soon: give a time such as 30m"},
        {{"--test-count", "2"}, "--test-count goes with --test-to"},
        {{"--to-column", "Phone"}, "--to-column Phone: the list has no such column"},
        {{"--reply-to", "nobody"}, "--reply-to nobody is not an e-mail address"},
        {{"--unsubscribe", "ftp://example.org/"}, "give an https: URL or a mailto: address"},
        {{"--where", "Town=Oslo"}, "Town"},
    };
    for (const auto& [options, words] : cases) {
        const Outcome refused = send(options);
        EXPECT_EQ(refused.code, 2) << options.join(' ').toStdString();
        EXPECT_TRUE(refused.err.contains(words)) << refused.err.toStdString();
    }
    const Outcome unknown = send({}, "News for [Nickname]");
    EXPECT_EQ(unknown.code, 2);
    EXPECT_TRUE(unknown.err.contains("--subject: [Nickname] is neither a field nor a column of "
                                     "list.csv; nothing was sent"))
        << unknown.err.toStdString();
    const Outcome broken = send({}, "News [IF Name]for [Name]");
    EXPECT_EQ(broken.code, 2);
    EXPECT_TRUE(broken.err.contains("--subject has an IF block that cannot be used: [IF Name] "
                                    "(line 1) is not closed by an [END IF]; nothing was sent"))
        << broken.err.toStdString();
    const Outcome stray = run({"make", "--recipients", "list.csv", "--test-to", "me@example.org"});
    EXPECT_EQ(stray.code, 2);
    EXPECT_TRUE(stray.err.contains("--test-to goes with send")) << stray.err.toStdString();
    EXPECT_FALSE(FileExists(root("list.sent.txt")));
}

} // namespace
} // namespace brindlecast
