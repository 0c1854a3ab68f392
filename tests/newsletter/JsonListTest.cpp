#include "RecipientExpect.h"
#include "newsletter/JsonText.h"
#include "newsletter/Recipients.h"

namespace brindlecast {
namespace {

using testing::ExpectRecipients;

TEST(JsonList, TakesTheColumnNamesOfACsvHeaderAsKeys) {
    const RecipientList list = ParseRecipients(R"([
  {"Full Name": "Dana Hollis", "Company": "Quillmark", "Street": "41 Harbor View Rd",
   "City": "Millbrook", "State": "VT", "Zip": 5401},
  {"recipient_name": "Vered \"V\" Iziva", "CITYSTZIP2": "Del Mar CA 92014", "Phone": null},

  {"First Name": "Ann", "Last Name": "Oduya", "Notes": "[a] {b}, \"c\""}
])",
                                               QStringLiteral("list.json"));
    EXPECT_EQ(list.format, RecipientFormat::Json);
    ExpectRecipients(list,
                     {{2, "Dana Hollis", "Quillmark", "41 Harbor View Rd", "Millbrook VT 5401"},
                      {4, "Vered \"V\" Iziva", "", "", "Del Mar CA 92014"},
                      {6, "Ann Oduya", "", "", ""}});
    EXPECT_TRUE(DescribeColumns(list.columns).contains("ignored: Phone, Notes"))
        << DescribeColumns(list.columns).toStdString();
}

TEST(JsonList, NamesTheLineAndColumnOfAMistake) {
    for (const auto& [bytes, message, line] : std::vector<std::tuple<QByteArray, QString, int>>{
             {"[\n  {\"Name\": \"Dana\"}\n  {\"Name\": \"Vered\"}\n]",
              "not valid JSON at line 3, column 3", 3},
             {"[{\"Näme\": \"Dana\",}]", "not valid JSON at line 1, column 18", 1},
             {"{\"Name\": \"Dana\"}", "a JSON list is an array of objects", 0},
             {"[{\"Name\": \"Dana\"},\n \"Vered\"]", "recipient 2 (line 2) is not an object", 2},
             {"[{\"Name\": {\"first\": \"Dana\"}}]", "\"Name\" holds a list or an object", 1},
             {"[{\"Phone\": \"555\"}]", "no name column in the list's keys", 1}}) {
        try {
            ParseRecipients(bytes, QStringLiteral("list.json"));
            ADD_FAILURE() << bytes.constData();
        } catch (const RecipientListError& error) {
            EXPECT_TRUE(QString::fromUtf8(error.what()).contains(message)) << error.what();
            EXPECT_EQ(error.line(), line) << error.what();
        }
    }
}

} // namespace
} // namespace brindlecast
