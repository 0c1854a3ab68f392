#include "cli/MakeValues.h"

#include "app/Settings.h"
#include "newsletter/DateTexts.h"
#include "support/Isolated.h"

namespace brindlecast::cli {
namespace {

using MakeValuesTest = testing::Isolated;

TEST_F(MakeValuesTest, SetsGoOverTheWindowsStoredValuesByPlaceholderName) {
    SaveSetting(AppName, SectionName, "Text1_0", "Stored title");
    SaveSetting(AppName, SectionName, "Text1_4", "Stored sender");
    SaveSetting(AppName, SectionName, IssueDateKey, DateToText(QDateTime(QDate(2025, 1, 2), {})));

    NewsletterValues values = MakeValues(true, {"nltitle=New = title", "IssueDate=2026-03-14"});
    EXPECT_EQ(values.fields[0], "New = title");
    EXPECT_EQ(values.fields[4], "Stored sender");
    EXPECT_EQ(values.issueDate.date(), QDate(2026, 3, 14));
    EXPECT_EQ(values.fields[MonthYearField], MonthYearText(QDate(2026, 3, 14)));

    values = MakeValues(false, {"CitySTZIP2=Del Mar CA 92014"});
    EXPECT_EQ(values.fields[0], "");
    EXPECT_EQ(values.fields[15], "Del Mar CA 92014");
    EXPECT_EQ(values.issueDate.date(), QDate::currentDate());
}

TEST_F(MakeValuesTest, AWrongSetSaysWhatIsWrong) {
    for (const auto& [set, says] : std::vector<std::pair<QString, QString>>{
             {"Title=x", "no field is called Title; the fields are NLTitle"},
             {"NLTitle", "give it as NAME=VALUE"},
             {"IssueDate=14/03/2026", "not a date"},
             {"MonthYear=Mar 2026", "set IssueDate instead"}}) {
        try {
            MakeValues(false, {set});
            ADD_FAILURE() << set.toStdString() << " was taken";
        } catch (const UsageError& error) {
            EXPECT_TRUE(QString::fromUtf8(error.what()).contains(says)) << error.what();
        }
    }
}

TEST_F(MakeValuesTest, AValuesFileGoesUnderTheSets) {
    writeAll(temp("v.json"), "\xEF\xBB\xBF{\"nltitle\": \"Harbor News\", \"IssueNo\": 7,\n"
                             " \"IssueDate\": \"2026-03-14\", \"Website\": null}");
    const NewsletterValues values = MakeValues(false, {"IssueNo=8"}, temp("v.json"));
    EXPECT_EQ(values.fields[0], "Harbor News");
    EXPECT_EQ(values.fields[2], "8");
    EXPECT_EQ(values.issueDate.date(), QDate(2026, 3, 14));

    for (const auto& [json, says] : std::vector<std::pair<QByteArray, QString>>{
             {"{\"NLTitle\": \"x\",\n \"VolNo\" 3}", "not valid JSON at line 2, column"},
             {"[\"NLTitle\"]", "give one object"},
             {"{\"NLTitel\": \"x\"}", "\"NLTitel\": no field is called NLTitel"},
             {"{\"IssueDate\": \"soon\"}", "\"IssueDate\": not a date"},
             {"{\"VolNo\": [3]}", "\"VolNo\": give the value as text"}}) {
        writeAll(temp("v.json"), json);
        try {
            MakeValues(false, {}, temp("v.json"));
            ADD_FAILURE() << json.constData() << " was taken";
        } catch (const UsageError& error) {
            EXPECT_TRUE(QString::fromUtf8(error.what()).contains(says)) << error.what();
            EXPECT_TRUE(QString::fromUtf8(error.what()).startsWith("--values " + temp("v.json")));
        }
    }
}

} // namespace
} // namespace brindlecast::cli
