// "brindlecast send" as a user runs it: the program itself, its newsletters made by the real
// engine, against a real mail server on the loopback address; every message read back with
// Python's email package and its attachment with poppler.
#include "MailServer.h"
#include "cli/CommandTest.h"

#include <QJsonObject>
#include <QScopeGuard>

namespace brindlecast {
namespace {

using testing::MailServer;
using testing::Outcome;

class SendCommandTest : public testing::CommandTest {
protected:
    SendCommandTest() {
        writeAll(root("list.csv"), "Name,Email,First\n"
                                   "Zo\xC3\xAB \xC3\x85ngstr\xC3\xB6m,zoe@example.org,Zo\xC3\xAB\n"
                                   "Ann Lee,ann@example.org,Ann\n"
                                   "Bad Person,bad@example.org,Bad\n"
                                   "Late Person,late@example.org,Late\n"
                                   "No Address,,None\n");
        writeAll(root("body.txt"), "Dear [First],\n\nthe newsletter is attached.\n");
        writeAll(root("body.html"),
                 "<p>Dear <b>[First]</b>,</p><p>the newsletter is attached.</p>");
        writeAll(root("password"), "secret\n");
        QFile(root("password")).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    // The options every run here shares; `server` empty for none.
    QStringList common(const QString& list, const QString& server) const {
        QStringList arguments{
            "send",
            "--no-stored",
            "--recipients",
            list,
            "--subject",
            QString::fromUtf8("Nouvelles pour [First] \xE2\x80\x94 \xC3\xA9t\xC3\xA9"),
            "--body",
            "body.txt",
            "--from",
            "Hafen Club <news@example.org>",
            "--rate",
            "0"};
        if (!server.isEmpty())
            arguments << "--smtp" << server << "--user"
                      << "dana"
                      << "--password-file"
                      << "password"
                      << "--ca-file" << MailServer::Authority();
        return arguments;
    }
    static QString text(const QJsonObject& message, const char* key) {
        return message.value(QLatin1String(key)).toString();
    }
    // Checks that the message's newsletter is a whole PDF made for `name`.
    static void expectNewsletterFor(const QJsonObject& message, const QString& name) {
        const QJsonArray attachments = message.value("attachments").toArray();
        ASSERT_FALSE(attachments.isEmpty());
        const QJsonObject pdf = attachments[0].toObject();
        EXPECT_EQ(text(pdf, "type"), "application/pdf");
        const QString saved = text(pdf, "saved");
        EXPECT_TRUE(tool("pdfinfo", {saved}).contains("Pages:")) << saved.toStdString();
        EXPECT_TRUE(textOf(saved).simplified().contains(name)) << name.toStdString();
    }
    QStringList journal(const QString& path = "list.sent.txt") const {
        return QString::fromUtf8(readAll(root(path))).split('\n', Qt::SkipEmptyParts).mid(1);
    }
    static QStringList addresses(const QJsonArray& messages) {
        QStringList to;
        for (const QJsonValue& message : messages)
            to << text(message.toObject(), "to_address");
        return to;
    }
};

TEST_F(SendCommandTest, EachReaderGetsTheirOwnNewsletterOnceAndTheRefusedAreNamed) {
    MailServer server(root("server"),
                      {.refuse = {"bad@example.org"}, .defer = {"late@example.org"}});
    const QStringList arguments =
        common("list.csv", server.url()) + QStringList{"--body-html",   "body.html",
                                                       "--unsubscribe", "mailto:leave@example.org",
                                                       "--cc",          "Board <board@example.org>",
                                                       "--bcc",         "archive@example.org",
                                                       "--reply-to",    "desk@example.org",
                                                       "--retry-for",   "30s"};
    const Outcome first = run(arguments);
    EXPECT_EQ(first.code, 1) << first.err.toStdString();
    EXPECT_TRUE(first.out.contains("Sent 3 of 4 messages")) << first.out.toStdString();
    EXPECT_TRUE(first.out.contains(
        "Refused: recipient 3 (line 4, \"Bad Person\") <bad@example.org>: 550 5.1.1"));
    EXPECT_TRUE(first.out.contains("No address: recipient 5 (line 6, \"No Address\")"));
    EXPECT_TRUE(first.out.contains("Put off: recipient 4 (line 5, \"Late Person\")"));

    const QJsonArray messages = server.messages();
    ASSERT_EQ(messages.size(), 3);
    EXPECT_EQ(addresses(messages),
              (QStringList{"zoe@example.org", "ann@example.org", "late@example.org"}));
    const QJsonObject zoe = messages[0].toObject();
    EXPECT_EQ(text(zoe, "Subject"),
              QString::fromUtf8("Nouvelles pour Zo\xC3\xAB \xE2\x80\x94 \xC3\xA9t\xC3\xA9"));
    EXPECT_EQ(text(zoe, "to_name"), QString::fromUtf8("Zo\xC3\xAB \xC3\x85ngstr\xC3\xB6m"));
    EXPECT_EQ(text(zoe, "From"), "Hafen Club <news@example.org>");
    EXPECT_EQ(text(zoe, "Cc"), "Board <board@example.org>");
    EXPECT_EQ(text(zoe, "Reply-To"), "desk@example.org");
    EXPECT_EQ(text(zoe, "Bcc"), "") << "a hidden copy is not named in the message";
    EXPECT_EQ(text(zoe, "List-Unsubscribe"), "<mailto:leave@example.org>");
    EXPECT_TRUE(text(zoe, "html").contains(QString::fromUtf8("<b>Zo\xC3\xAB</b>")));
    EXPECT_TRUE(text(zoe, "text").contains(QString::fromUtf8("Dear Zo\xC3\xAB,")));
    EXPECT_FALSE(text(zoe, "Date").isEmpty());
    EXPECT_TRUE(zoe.value("defects").toArray().isEmpty());
    EXPECT_EQ(zoe.value("envelope").toObject().value("to").toArray().toVariantList(),
              (QVariantList{"zoe@example.org", "board@example.org", "archive@example.org"}));
    EXPECT_EQ(text(zoe.value("attachments").toArray()[0].toObject(), "name"),
              QString::fromUtf8("001-Zo\xC3\xAB \xC3\x85ngstr\xC3\xB6m.pdf"));
    expectNewsletterFor(zoe, QString::fromUtf8("Zo\xC3\xAB \xC3\x85ngstr\xC3\xB6m"));
    expectNewsletterFor(messages[1].toObject(), "Ann Lee");

    // One connection: the login checked before anything was made carried the first messages.
    const QStringList log = server.log();
    const qsizetype noop = log.indexOf("NOOP");
    ASSERT_GE(noop, 0);
    EXPECT_EQ(log.mid(noop + 1, 2), (QStringList{"DATA 0001", "DATA 0002"}));
    EXPECT_EQ(log.count("CONNECT"), log.count("LOGIN accepted"));

    const QStringList lines = journal();
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines.filter(QRegularExpression("^sent\t")).size(), 3);
    EXPECT_TRUE(
        lines.filter(QRegularExpression("^sent\t.*\t1\tzoe@example.org\t<.*@example.org>\t"))
            .size() == 1);
    EXPECT_EQ(lines.filter(QRegularExpression("^refused\t.*\t3\tbad@example.org\t.*550")).size(),
              1);
    EXPECT_EQ(lines.filter(QRegularExpression("^no-address\t.*\t5\t")).size(), 1);

    // The same command again sends no one twice; the server, user and sender are kept, the
    // password is not.
    const Outcome again = run(arguments);
    EXPECT_EQ(again.code, 1);
    EXPECT_TRUE(again.out.contains("Sent earlier: 3")) << again.out.toStdString();
    EXPECT_EQ(server.messages().size(), 3);
    const QString settings = QString::fromUtf8(readAll(root("config/Quillmark.ini")));
    EXPECT_TRUE(settings.contains("[Mail]"));
    EXPECT_TRUE(settings.contains("Server=" + server.url()));
    EXPECT_TRUE(settings.contains("User=dana"));
    EXPECT_FALSE(settings.contains("secret"));
}

} // namespace
} // namespace brindlecast
