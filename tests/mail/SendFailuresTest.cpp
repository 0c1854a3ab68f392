// "brindlecast send" when things go wrong: a server that dies half-way, a run killed half-way,
// servers that must not be sent a password or a message, passwords that cannot be had; and the
// two ways to look before sending: a dry run and a test to oneself.
#include "MailServer.h"
#include "app/FileHelpers.h"
#include "cli/CommandTest.h"

#include <QJsonObject>
#include <QScopeGuard>
#include <csignal>

namespace brindlecast {
namespace {

using testing::MailServer;
using testing::Outcome;

class SendFailuresTest : public testing::CommandTest {
protected:
    SendFailuresTest() {
        QByteArray csv = "Name,E-mail\n";
        for (int i = 1; i <= 12; ++i)
            csv += QStringLiteral("Person %1,person%1@example.org\n").arg(i).toUtf8();
        writeAll(root("list.csv"), csv);
        writeAll(root("body.txt"), "Hello [Name].\n");
        writeAll(root("password"), "secret");
        QFile(root("password")).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    QStringList send(const QString& server, const QStringList& more = {}) const {
        QStringList arguments{"send",
                              "--no-stored",
                              "--recipients",
                              "list.csv",
                              "--subject",
                              "News for [Name]",
                              "--body",
                              "body.txt",
                              "--from",
                              "news@example.org",
                              "--user",
                              "dana",
                              "--password-file",
                              "password",
                              "--ca-file",
                              MailServer::Authority()};
        if (!server.isEmpty())
            arguments << "--smtp" << server;
        return arguments + more;
    }
    static QStringList addresses(const QJsonArray& messages) {
        QStringList to;
        for (const QJsonValue& message : messages)
            to << message.toObject().value("to_address").toString();
        return to;
    }
    static QStringList everyone() {
        QStringList all;
        for (int i = 1; i <= 12; ++i)
            all << QStringLiteral("person%1@example.org").arg(i);
        return all;
    }
};

TEST_F(SendFailuresTest, AServerThatDiesOrARunThatIsKilledHalfWayMissesNoOneOnTheNextRun) {
    {
        // TLS from the start; the server ends after taking four messages.
        MailServer dying(root("server"), {.mode = "tls", .dieAfter = 4});
        const Outcome cut = run(send(dying.url(), {"--rate", "0", "--retry-for", "0"}));
        EXPECT_EQ(cut.code, 1) << cut.err.toStdString();
        EXPECT_TRUE(cut.out.contains("Sent 4 of 12 messages")) << cut.out.toStdString();
        EXPECT_TRUE(cut.out.contains("Left for later: recipient 5 (line 6, \"Person 5\")"));
        EXPECT_TRUE(cut.out.contains("Run the same command again to send the 8 left"));
        EXPECT_TRUE(dying.ended(10000));
    }
    {
        // Ctrl+C while a run sends, at a pace slow enough to be caught half-way: it ends after
        // the message in flight, and what the server took is all in the journal.
        MailServer server(root("server"), {.mode = "tls"});
        QProcess stopped;
        start(stopped, send(server.url(), {"--rate", "120"}));
        for (int waited = 0; server.messages().size() < 6 && waited < 600; ++waited)
            if (stopped.waitForFinished(100))
                break;
        ASSERT_EQ(stopped.state(), QProcess::Running) << "the run ended before it was stopped";
        ::kill(pid_t(stopped.processId()), SIGINT);
        ASSERT_TRUE(stopped.waitForFinished(30000));
        EXPECT_EQ(stopped.exitCode(), 1);
        EXPECT_TRUE(stopped.readAllStandardOutput().contains("Left for later"));
        const int taken = int(server.messages().size());
        EXPECT_LT(taken, 12);
        EXPECT_EQ(QString::fromUtf8(readAll(root("list.sent.txt"))).count("\nsent\t"), taken);
    }
    {
        // A run killed while it sends.
        MailServer server(root("server"), {.mode = "tls"});
        QProcess killed;
        start(killed, send(server.url(), {"--rate", "120"}));
        for (int waited = 0; server.messages().size() < 9 && waited < 600; ++waited)
            if (killed.waitForFinished(100))
                break;
        ASSERT_EQ(killed.state(), QProcess::Running) << "the run ended before it was killed";
        ::kill(pid_t(killed.processId()), SIGKILL);
        killed.waitForFinished();
        const Outcome rest = run(send(server.url(), {"--rate", "0"}));
        EXPECT_EQ(rest.code, 0) << rest.err.toStdString();
        QStringList got = addresses(server.messages());
        // Each reader once; the one message in flight when the run was killed may come twice.
        EXPECT_LE(got.size(), 13);
        got.removeDuplicates();
        got.sort();
        QStringList all = everyone();
        all.sort();
        EXPECT_EQ(got, all);
        const Outcome nothing = run(send(server.url(), {"--rate", "0"}));
        EXPECT_EQ(nothing.code, 0);
        EXPECT_TRUE(nothing.out.contains("Sent earlier: 12")) << nothing.out.toStdString();
    }
}

TEST_F(SendFailuresTest, AServerThatCannotBeTrustedIsSentNeitherThePasswordNorAMessage) {
    const auto expectNothingSent = [&](MailServer& server, const Outcome& outcome,
                                       const QString& words) {
        EXPECT_EQ(outcome.code, 2) << outcome.out.toStdString();
        EXPECT_TRUE(outcome.err.contains(words)) << outcome.err.toStdString();
        EXPECT_TRUE(outcome.err.contains(
            QStringLiteral("the mail server 127.0.0.1 (port %1)").arg(server.port())));
        EXPECT_TRUE(server.messages().isEmpty());
        EXPECT_FALSE(FileExists(root("list.sent.txt")) &&
                     readAll(root("list.sent.txt")).contains("\nsent\t"));
    };
    {
        MailServer server(root("wrong"), {.password = "other"});
        expectNothingSent(server, run(send(server.url())), "refused the user name or password");
    }
    {
        MailServer server(root("plain"), {.mode = "plain"});
        expectNothingSent(server, run(send(server.url())), "does not offer encryption");
        EXPECT_TRUE(server.log().filter("AUTH").isEmpty()) << server.log().join(' ').toStdString();
    }
    {
        MailServer server(root("stranger"), {.mode = "tls", .certificate = "stranger"});
        expectNothingSent(server, run(send(server.url())), "is not trusted");
        EXPECT_TRUE(server.log().filter("AUTH").isEmpty());
    }
    {
        // Without --ca-file the system's store alone decides, and it knows no test authority.
        MailServer server(root("unknown"), {});
        QStringList arguments = send(server.url());
        arguments.removeAt(arguments.indexOf("--ca-file") + 1);
        arguments.removeOne("--ca-file");
        expectNothingSent(server, run(arguments), "is not trusted");
        EXPECT_TRUE(server.log().filter("AUTH").isEmpty());
    }
}

TEST_F(SendFailuresTest, APasswordOthersMayReadOrAKeyringOutOfReachIsRefusedWithAWayOut) {
    QFile(root("password"))
        .setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);
    const Outcome shared = run(send("smtp://127.0.0.1:1"));
    EXPECT_EQ(shared.code, 2);
    EXPECT_TRUE(shared.err.contains("--password-file password may be read by others"))
        << shared.err.toStdString();

    // No session bus, so no Secret Service, and no terminal to ask on.
    const QByteArray bus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + QFile::encodeName(root("no-bus")));
    const auto restore = qScopeGuard([&] { qputenv("DBUS_SESSION_BUS_ADDRESS", bus); });
    QStringList arguments = send("smtp://127.0.0.1:1");
    arguments.removeAt(arguments.indexOf("--password-file") + 1);
    arguments.removeOne("--password-file");
    const Outcome noKeyring = run(arguments);
    EXPECT_EQ(noKeyring.code, 2);
    EXPECT_TRUE(noKeyring.err.contains("the system keyring (Secret Service) cannot be reached"))
        << noKeyring.err.toStdString();
    EXPECT_TRUE(noKeyring.err.contains("--password-file FILE"));
}

TEST_F(SendFailuresTest, ADryRunWritesTheMessagesAndATestGoesToTheTesterAlone) {
    // The choice of a list run: --where leaves out another club, and the same address again is
    // left out as a duplicate.
    writeAll(root("list.csv"), "Name,Mail,Card,Club\n"
                               "Person 1,person1@example.org,card1.txt,Harbor\n"
                               "Person 2,person2@example.org,card2.txt,harbor\n"
                               "Person 3,person3@example.org,card3.txt,Hill\n"
                               "Person One,PERSON1@example.org,card1.txt,Harbor\n");
    writeAll(root("body.txt"), "Hello [Name] of [Club].\n[IF Card = \"CARD2.txt\"]\nYour card "
                               "is two.\n[ELSE]\nYour card is one.\n[END IF]\nBye\n");
    writeAll(root("card1.txt"), "one");
    writeAll(root("card2.txt"), "two");
    writeAll(root("leaflet.txt"), "for all");
    const QStringList files{"--attach",        "odt",        "--also-attach", "leaflet.txt",
                            "--attach-column", "Card",       "--file-name",   "News for [Name]",
                            "--where",         "Club=Harbor"};
    const Outcome dry = run(send({}, files + QStringList{"--dry-run", "drafts"}));
    EXPECT_EQ(dry.code, 0) << dry.err.toStdString();
    EXPECT_TRUE(dry.out.contains("Wrote 2 of 2 messages to drafts")) << dry.out.toStdString();
    EXPECT_TRUE(dry.out.contains("Left out: recipient 4 (line 5, \"Person One\") is recipient 1"))
        << dry.out.toStdString();
    EXPECT_EQ(QDir(root("drafts")).entryList({"*.eml"}),
              (QStringList{"001-Person 1.eml", "002-Person 2.eml"}));
    const QJsonArray drafts = MailServer::Read(root("drafts"));
    ASSERT_EQ(drafts.size(), 2);
    // A message's lines end in CR LF.
    const auto text = [&](int i) {
        return drafts[i].toObject().value("text").toString().trimmed().replace("\r\n", "\n");
    };
    EXPECT_EQ(text(0), "Hello Person 1 of Harbor.\nYour card is one.\nBye");
    EXPECT_EQ(text(1), "Hello Person 2 of harbor.\nYour card is two.\nBye");
    const QJsonArray attached = drafts[1].toObject().value("attachments").toArray();
    ASSERT_EQ(attached.size(), 3);
    EXPECT_EQ(attached[0].toObject().value("name").toString(), "News for Person 2.odt");
    EXPECT_TRUE(textOf(attached[0].toObject().value("saved").toString()).contains("Person 2"));
    EXPECT_EQ(readAll(attached[1].toObject().value("saved").toString()), "for all");
    EXPECT_EQ(readAll(attached[2].toObject().value("saved").toString()), "two");
    EXPECT_FALSE(FileExists(root("list.sent.txt"))) << "a dry run keeps no journal";

    MailServer server(root("server"), {});
    const Outcome test = run(
        send(server.url(), files + QStringList{"--test-to", "Me <me@example.org>", "--test-count",
                                               "2", "--cc", "board@example.org"}));
    EXPECT_EQ(test.code, 0) << test.err.toStdString();
    const QJsonArray tests = server.messages();
    ASSERT_EQ(tests.size(), 2);
    for (const QJsonValue& value : tests) {
        const QJsonObject message = value.toObject();
        EXPECT_TRUE(message.value("Subject").toString().startsWith("[Test] News for Person"));
        EXPECT_EQ(message.value("envelope").toObject().value("to").toArray().toVariantList(),
                  QVariantList{"me@example.org"});
    }
    EXPECT_FALSE(FileExists(root("list.sent.txt"))) << "a test is no sending";
}

} // namespace
} // namespace brindlecast
