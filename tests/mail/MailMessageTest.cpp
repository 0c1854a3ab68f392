// The messages as bytes: what a mail program and a server read. The end-to-end tests read them
// back with Python's email package; these pin the encodings' edge cases.
#include "mail/MailMessage.h"

#include "mail/HeaderEncoding.h"
#include "mail/MailAddress.h"
#include "mail/MailText.h"

#include <QRegularExpression>
#include <QTimeZone>
#include <gtest/gtest.h>

namespace brindlecast::mail {
namespace {

// The text of a header's encoded words, decoded.
QString DecodedWords(const QByteArray& header) {
    static const QRegularExpression word(QStringLiteral("=\\?UTF-8\\?B\\?([^?]*)\\?="));
    QByteArray utf8;
    for (const auto& match : word.globalMatch(QString::fromLatin1(header)))
        utf8 += QByteArray::fromBase64(match.captured(1).toLatin1());
    return QString::fromUtf8(utf8);
}

TEST(MailHeaders, TextBeyondAsciiIsEncodedInWholeCharactersAndFoldedWithinLines) {
    // Long enough for several words; every emoji is four bytes that must stay together.
    const QString subject = QString::fromUtf8("Nouvelles d'\xC3\xA9t\xC3\xA9 ") +
                            QString::fromUtf8("\xF0\x9F\x8C\x8A").repeated(30);
    const QByteArray header = TextHeader("Subject", subject);
    EXPECT_EQ(DecodedWords(header), subject);
    EXPECT_TRUE(header.endsWith("\r\n"));
    for (const QByteArray& line : header.chopped(2).split('\n'))
        EXPECT_LE(line.size(), 78) << line.constData();
    for (const auto& match :
         QRegularExpression("\\?B\\?([^?]*)\\?=").globalMatch(QString::fromLatin1(header)))
        EXPECT_TRUE(
            QString::fromUtf8(QByteArray::fromBase64(match.captured(1).toLatin1())).isValidUtf16());

    // Plain ASCII stays readable; a line break in a value cannot start a header of its own.
    EXPECT_EQ(TextHeader("Subject", "Harbor News"), "Subject: Harbor News\r\n");
    EXPECT_EQ(TextHeader("Subject", "News\r\nBcc: x@example.org"),
              "Subject: News  Bcc: x@example.org\r\n");
    // Text that looks like an encoded word is encoded, so no reader decodes it by mistake.
    EXPECT_EQ(DecodedWords(TextHeader("Subject", "=?UTF-8?B?eA==?=")), "=?UTF-8?B?eA==?=");
}

TEST(MailHeaders, NamesAndFileNamesAreQuotedOrEncodedAsTheyNeed) {
    EXPECT_EQ(MailboxText({"Dana Hollis", "dana@example.org"}), "Dana Hollis <dana@example.org>");
    EXPECT_EQ(MailboxText({"Hollis, Dana", "dana@example.org"}),
              "\"Hollis, Dana\" <dana@example.org>");
    EXPECT_EQ(MailboxText({"Say \"hi\"", "d@example.org"}), "\"Say \\\"hi\\\"\" <d@example.org>");
    EXPECT_EQ(DecodedWords(MailboxText({QString::fromUtf8("Zo\xC3\xAB"), "z@example.org"})),
              QString::fromUtf8("Zo\xC3\xAB"));
    EXPECT_EQ(MailboxText({{}, "z@example.org"}), "z@example.org");

    EXPECT_EQ(ParameterText("filename", "news.pdf"), "; filename=\"news.pdf\"");
    // RFC 2231: percent-encoded UTF-8 in sections that never split an escape.
    const QString name = QString::fromUtf8("003-\xC3\x85ngstr\xC3\xB6m ").repeated(6) + ".pdf";
    const QByteArray parameter = ParameterText("filename", name);
    QByteArray joined;
    static const QRegularExpression section(QStringLiteral("filename\\*(\\d+)\\*=([^;\\r]*)"));
    int expected = 0;
    for (const auto& match : section.globalMatch(QString::fromLatin1(parameter))) {
        EXPECT_EQ(match.captured(1).toInt(), expected++);
        joined += match.captured(2).toLatin1();
    }
    EXPECT_GT(expected, 1);
    ASSERT_TRUE(joined.startsWith("UTF-8''"));
    EXPECT_EQ(QString::fromUtf8(QByteArray::fromPercentEncoding(joined.mid(7))), name);
    // A quote in an ASCII name is encoded, not left to end the parameter.
    EXPECT_TRUE(ParameterText("filename", "a\"b.pdf").contains("a%22b.pdf"));
}

TEST(MailAddress, OneAddressAServerTakesOrNone) {
    const auto named = ParseMailbox(QStringLiteral(" \"Hollis, Dana\" <Dana@Example.ORG> "));
    ASSERT_TRUE(named);
    EXPECT_EQ(named->name, "Hollis, Dana");
    EXPECT_EQ(named->address, "Dana@example.org");
    // A domain in another script is sent in its ASCII form.
    EXPECT_EQ(ParseMailbox(QString::fromUtf8("a@b\xC3\xBC"
                                             "cher.example"))
                  ->address,
              "a@xn--bcher-kva.example");
    for (const char* bad : {"", "dana", "dana@", "@example.org", "a@b@c", "a b@example.org",
                            "a@example.org, b@example.org", "a@example.org\r\nBcc: x@y.z",
                            "a..b@example.org", "a@-x.example", "Dana <dana@example.org"})
        EXPECT_FALSE(ParseMailbox(QString::fromLatin1(bad))) << bad;
    EXPECT_FALSE(ParseMailbox(QString::fromUtf8("zo\xC3\xAB@example.org")));
}

MailMessage Sample() {
    MailMessage message;
    message.from = {"Harbor Club", "news@example.org"};
    message.to = {{"Dana", "dana@example.org"}};
    message.subject = "Harbor News";
    message.text = "From the harbor:\n.\nLine with a blank at its end \n" + QString(100, 'x');
    message.html = "<p>Hello</p>";
    message.attachments = {{"news.pdf", "application/pdf", QByteArray(1000, '\x01')}};
    message.messageId = "<1@example.org>";
    message.date = QDateTime(QDate(2024, 5, 7), QTime(10, 0), QTimeZone(7200));
    message.listUnsubscribe = "mailto:leave@example.org";
    return message;
}

TEST(MailMessage, PartsAreWhereAMailProgramLooksAndNoLineIsTooLong) {
    const QByteArray bytes = MessageBytes(Sample(), "seed");
    const QByteArray head = bytes.left(bytes.indexOf("\r\n\r\n"));
    EXPECT_TRUE(head.contains("\r\nDate: Tue, 07 May 2024 10:00:00 +0200\r\n"));
    EXPECT_TRUE(head.contains("\r\nMessage-ID: <1@example.org>\r\n"));
    EXPECT_TRUE(head.contains("\r\nList-Unsubscribe: <mailto:leave@example.org>\r\n"));
    EXPECT_TRUE(head.contains("multipart/mixed; boundary=\"=_bc_mix_seed\""));
    // The alternative comes first, plain text before HTML, then the attachment.
    const qsizetype plain = bytes.indexOf("text/plain"), html = bytes.indexOf("text/html"),
                    pdf = bytes.indexOf("application/pdf");
    EXPECT_TRUE(bytes.indexOf("multipart/alternative") < plain && plain < html && html < pdf);
    EXPECT_TRUE(bytes.endsWith("--=_bc_mix_seed--\r\n"));
    for (const QByteArray& line : bytes.split('\n')) {
        EXPECT_LE(line.size(), 78);
        EXPECT_TRUE(line.isEmpty() || line.endsWith('\r'));
    }
    // Quoted-printable keeps what a transfer or a mailbox file would change.
    EXPECT_TRUE(
        bytes.contains("\r\n=46rom the harbor:\r\n=2E\r\nLine with a blank at its end=20\r\n"));
    EXPECT_EQ(SaveFormatMimeType(".odt"), "application/vnd.oasis.opendocument.text");
}

TEST(MailText, PlaceholdersTakeTheRecipientsValuesVerbatimAndHtmlEscaped) {
    MergeValues values;
    values.set("Salutation", "Dear Ms. Hollis & Co.");
    values.set("First", "[Last] $1 <b>");
    EXPECT_EQ(FillMailText("[salutation], [First]! [1] [Unknown]", values, TextKind::Plain),
              "Dear Ms. Hollis & Co., [Last] $1 <b>! [1] [Unknown]");
    EXPECT_EQ(FillMailText("<p>[First]</p>", values, TextKind::Html), "<p>[Last] $1 &lt;b&gt;</p>");
    EXPECT_EQ(UnknownNames("[Salutaion] [1] [First] [Salutaion] [...]", values),
              QStringList{"Salutaion"});
    // Blocks are resolved before the names are filled: a value is never taken for a marker.
    values.set("Member", "[END IF]");
    EXPECT_EQ(FillMailText("Hi[IF Member] [Member][END IF][IF NOT First] nobody[END IF]!\n"
                           "[IF Fax]\nFax us.\n[END IF]\nBye",
                           values, TextKind::Plain),
              "Hi [END IF]!\nBye");
    EXPECT_TRUE(UnknownNames("[IF Fax][ELSE][else][END IF]", values).isEmpty());
    EXPECT_TRUE(BlockTrouble("[IF Fax][ELSE]x[END IF]").isEmpty());
    EXPECT_EQ(BlockTrouble("Hi\n[ELSE]"), "[ELSE] (line 2) belongs to no block");
    EXPECT_EQ(HtmlAsText("<html><head><title>T</title><style>p{}</style></head><body>"
                         "<h1>Harbor&nbsp;News</h1><p>Read <a href=\"https://x.example/a\">"
                         "online</a> &amp; more&#33;<br>Bye</p><ul><li>One</li></ul></body>"),
              "Harbor News\n\nRead online (https://x.example/a) & more!\nBye\n\n- One\n");
}

} // namespace
} // namespace brindlecast::mail
