// The blocks that fit each recipient through the Word back-end, against the stand-in: a
// document of the user's own with blocks in its text, a table's cells, a header and a text box.
#include "Standin.h"
#include "app/PrivateClipboard.h"
#include "engine/DeadlineEngine.h"
#include "engine/word/WordEngine.h"
#include "generate/ConditionPass.h"
#include "generate/MakeNewsletter.h"
#include "support/Isolated.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <map>

namespace brindlecast {
namespace {

using namespace std::chrono_literals;
using Values = std::map<QString, QString>;

const QString Before = "Dear [IF Member]member [END IF][RecipientName],\r[IF CompanyName2]\r"
                       "[CompanyName2]\r[END IF]\r[StreetAddress2]\r";
// Two cells and the row's end, as Word's text of a table has them.
const QString Table = "[IF CompanyName2]Firm[END IF]\r\aKeep\r[IF NOT Member]Guest[END IF]\r\a\r\a";

// The stand-in's saved format, which its Documents.Open reads back: the magic first, and no line
// break but the last outside the strings.
QByteArray userDocument() {
    const QJsonObject rest{
        {"properties", QJsonObject{}},
        {"stories",
         QJsonArray{
             QJsonObject{{"type", 1}, {"text", Before + Table + "Regards\r"}},
             QJsonObject{{"type", 7}, {"text", "[IF Member]Members' news[ELSE]News[END IF]\r"}}}},
        {"tables", QJsonArray{QJsonObject{{"start", int(Before.size())},
                                          {"end", int(Before.size() + Table.size())}}}},
        {"shapes", QJsonArray{QJsonObject{
                       {"name", "Text Box 1"},
                       {"hasText", true},
                       {"text", "[RecipientName]\r[IF CompanyName2][CompanyName2][END IF]\r"
                                "[CitySTZip2]\r"}}}}};
    const QByteArray members = QJsonDocument(rest).toJson(QJsonDocument::Compact).mid(1);
    return R"({"format":"brindlecast-word-standin","version":1,"fileFormat":12,)" + members + "\n";
}

class WordConditionsTest : public testing::Isolated {
protected:
    QJsonObject make(const Values& values) {
        FillRound round;
        round.source = temp("own.docx");
        round.value = [&values](int index) {
            const auto it = values.find(FieldTag(index).mid(1).chopped(1));
            return it == values.end() ? QString() : it->second;
        };
        round.target = root("news.docx");
        round.format = engine::SaveFormat::Docx;
        round.conditions = [&values](const QString& name) -> std::optional<QString> {
            for (const auto& [key, value] : values)
                if (key.compare(name, Qt::CaseInsensitive) == 0)
                    return value;
            return std::nullopt;
        };
        MakeNewsletterFile(deadline, round);
        return testing::StandinSaved(round.target);
    }

    testing::Standin standin{root("standin")};
    PrivateClipboard clipboard;
    engine::word::WordEngine engine{clipboard};
    engine::DeadlineEngine deadline{engine, {20s, {}, {}}};
};

QString story(const QJsonObject& saved, int type) {
    for (const auto& story : saved["stories"].toArray())
        if (story.toObject()["type"].toInt() == type)
            return story.toObject()["text"].toString();
    return "(none)";
}

TEST_F(WordConditionsTest, BlocksGoWithTheirParagraphsAndCellsKeepTheirMarks) {
    standin.play(testing::StrictWord);
    writeAll(temp("own.docx"), userDocument());
    const Values dana{{"RECIPIENTNAME", "Dana"},
                      {"COMPANYNAME2", "Quillmark"},
                      {"STREETADDRESS2", "41 Harbor"},
                      {"CITYSTZIP2", "Millbrook"},
                      {"Member", "gold"}};
    QJsonObject saved = make(dana);
    EXPECT_EQ(story(saved, 1), "Dear member Dana,\rQuillmark\r41 Harbor\r"
                               "Firm\r\aKeep\r\a\r\aRegards\r");
    EXPECT_EQ(story(saved, 7), "Members' news\r");
    EXPECT_EQ(saved["shapes"].toArray()[0].toObject()["text"].toString(),
              "Dana\rQuillmark\rMillbrook\r");

    const Values ann{
        {"RECIPIENTNAME", "Ann"}, {"STREETADDRESS2", "2 Dock Lane"}, {"CITYSTZIP2", "Kelso"}};
    saved = make(ann);
    EXPECT_EQ(story(saved, 1), "Dear Ann,\r2 Dock Lane\r\r\aKeep\rGuest\r\a\r\aRegards\r");
    EXPECT_EQ(story(saved, 7), "News\r");
    EXPECT_EQ(saved["shapes"].toArray()[0].toObject()["text"].toString(), "Ann\rKelso\r");

    const QStringList calls = standin.calls();
    EXPECT_EQ(calls.filter(QRegularExpression("^! ")), QStringList());
    EXPECT_FALSE(
        calls.filter(QRegularExpression("^Range\\.Paragraphs get -> ok DISPATCH$")).empty());
    EXPECT_FALSE(
        calls.filter(QRegularExpression("^Range\\.SetRange call I4:\\d+ I4:\\d+ -> ok$")).empty());
    EXPECT_FALSE(calls.filter(QRegularExpression("^Range\\.Delete call -> ok I4:\\d+$")).empty());
    EXPECT_EQ(calls.filter(QRegularExpression(" -> error")), QStringList());

    // A block that is not closed: named with its place, and nothing is deleted or saved.
    QFile::remove(root("news.docx"));
    standin.forget();
    writeAll(temp("own.docx"),
             userDocument().replace("[END IF]\\r[CitySTZip2]", "\\r[CitySTZip2]"));
    try {
        make(dana);
        ADD_FAILURE() << "made";
    } catch (const BlockError& error) {
        EXPECT_STREQ(error.what(), "[IF CompanyName2] (text box, paragraph 2) is not closed by an "
                                   "[END IF].");
    }
    EXPECT_FALSE(QFile::exists(root("news.docx")));
    EXPECT_EQ(standin.calls().filter("Range.Delete"), QStringList());
    EXPECT_EQ(standin.exits(), QStringList{"* exit: after Quit"});
}

} // namespace
} // namespace brindlecast
