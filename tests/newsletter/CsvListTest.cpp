#include "RecipientExpect.h"
#include "newsletter/FieldTable.h"
#include "newsletter/Recipients.h"
#include "support/Isolated.h"

namespace brindlecast {
namespace {

using testing::Expected;
using testing::ExpectRecipients;

struct CsvCase {
    const char* what;
    QByteArray bytes;
    char delimiter;
    std::vector<Expected> recipients;
};

// clang-format off
const CsvCase CsvCases[] = {
    {"placeholder names, LF", "RecipientName,CompanyName2,StreetAddress2,CitySTZIP2\n"
     "Dana Hollis,Quillmark,41 Harbor View Rd,Millbrook VT 05401\n", ',',
     {{2, "Dana Hollis", "Quillmark", "41 Harbor View Rd", "Millbrook VT 05401"}}},
    {"BOM, CRLF, semicolons, quotes, loose header spelling",
     "\xEF\xBB\xBF recipient_name ;COMPANY-NAME-2;Street Address 2;citystzip2\r\n"
     "\"Hollis; Dana\";\"Quill \"\"Mark\"\", Inc\";  \"41 Harbor View Rd\" ;Millbrook VT\r\n", ';',
     {{2, "Hollis; Dana", "Quill \"Mark\", Inc", "41 Harbor View Rd", "Millbrook VT"}}},
    {"tabs, commas inside unquoted cells",
     "Name\tCompany\tAddress\tCity, State Zip\nDana Hollis\tQuillmark, Inc.\t41 Harbor View Rd\t"
     "Millbrook, VT 05401", '\t',
     {{2, "Dana Hollis", "Quillmark, Inc.", "41 Harbor View Rd", "Millbrook, VT 05401"}}},
    {"quoted line breaks keep the lines counted",
     "Name,Street\r\n\"Dana\r\nHollis\",\"41 Harbor View Rd\r\nSuite 5\r\n\"\r\nVered Iziva,912 "
     "Stratford Ct\r\n", ',',
     {{2, "Dana\nHollis", "", "41 Harbor View Rd\nSuite 5", ""},
      {6, "Vered Iziva", "", "912 Stratford Ct", ""}}},
    {"blank, empty and short rows; blank lines before the header; lone CR",
     "\n\nFull Name,Company,Street,City\r,,,\r\rDana Hollis\r \t, ,\r\"\",\"\"\rVered Iziva,Devuvad", ',',
     {{6, "Dana Hollis", "", "", ""}, {9, "Vered Iziva", "Devuvad", "", ""}}},
    {"parts of names and addresses joined, missing parts left out",
     "First Name,Last Name,Address Line 1,Address Line 2,City,State,ZIP\n"
     "Dana,Hollis,41 Harbor View Rd,Suite 5,Millbrook,VT,05401\n"
     ",Iziva,912 Stratford Ct,,Del Mar,,92014\n", ',',
     {{2, "Dana Hollis", "", "41 Harbor View Rd, Suite 5", "Millbrook VT 05401"},
      {3, "Iziva", "", "912 Stratford Ct", "Del Mar 92014"}}},
    {"a sep= line names the delimiter", "sep=;\nName;Company,Inc.,Ltd\nDana, Hollis;x", ';',
     {{3, "Dana, Hollis", "", "", ""}}},
    {"not UTF-8: read as Windows-1252", "Name\nRen\xE9" "e M\xFCller \x96 \x80\n", ',',
     {{2, "Renée Müller – €", "", "", ""}}},
    {"UTF-16 with BOM", QByteArray("\xFF\xFEN\0a\0m\0e\0\n\0\xE9\0\n\0", 16), ',',
     {{2, "é", "", "", ""}}},
};
// clang-format on

TEST(CsvList, ReadsAwkwardInput) {
    for (const CsvCase& c : CsvCases) {
        SCOPED_TRACE(c.what);
        const RecipientList list = ParseRecipients(c.bytes, QStringLiteral("list.csv"));
        EXPECT_EQ(list.format, RecipientFormat::Csv);
        EXPECT_EQ(list.delimiter, QLatin1Char(c.delimiter));
        ExpectRecipients(list, c.recipients);
    }
}

TEST(CsvList, TellsTheEncodingItRead) {
    EXPECT_EQ(ParseRecipients("Name\nDana").encoding, "UTF-8");
    EXPECT_EQ(ParseRecipients("Name\n\xC3\xA9").encoding, "UTF-8");
    EXPECT_EQ(ParseRecipients("Name\n\xE9").encoding, "Windows-1252");
}

// The columns of a typical mail program's contact export: the work address wins, a contact
// without one gets the home address whole (never a work street with a home city).
TEST(CsvList, ReadsAnAddressBookExport) {
    const QByteArray bytes =
        "Title,First Name,Middle Name,Last Name,Suffix,Company,Department,Job Title,"
        "Home Street,Home City,Home State,Home Postal Code,Business Street,Business Street 2,"
        "Business City,Business State,Business Postal Code,Business Country/Region,"
        "Business Phone,E-mail Address,Notes\r\n"
        "Ms.,Dana,J.,Hollis,,Quillmark,Sales,Editor,1 Elm St,Burlington,VT,05402,"
        "41 Harbor View Rd,Suite 5,Millbrook,VT,05401,United States,555-010-4400,"
        "dana@quillmark.example,\"Met at the fair,\r\nlikes tea\"\r\n"
        ",Vered,,Iziva,,,,,912 Stratford Ct,Del Mar,CA,92014,,,,,,,,,\r\n";
    const RecipientList list = ParseRecipients(bytes);
    ExpectRecipients(list, {{2, "Dana J. Hollis", "Quillmark", "41 Harbor View Rd, Suite 5",
                             "Millbrook VT 05401"},
                            {4, "Vered Iziva", "", "912 Stratford Ct", "Del Mar CA 92014"}});
    EXPECT_EQ(DescribeColumns(list.columns),
              "used: First Name (RecipientName), Middle Name (RecipientName), Last Name "
              "(RecipientName), Company (CompanyName2), Home Street (StreetAddress2), Home City "
              "(CitySTZIP2), Home State (CitySTZIP2), Home Postal Code (CitySTZIP2), Business "
              "Street (StreetAddress2), Business Street 2 (StreetAddress2), Business City "
              "(CitySTZIP2), Business State (CitySTZIP2), Business Postal Code (CitySTZIP2); "
              "ignored: Title, Suffix, Department, Job Title, Business Country/Region, Business "
              "Phone, E-mail Address, Notes");
}

TEST(CsvList, PrefersTheFullNameAndOurOwnColumnNames) {
    const RecipientList list = ParseRecipients(
        "First Name,Last Name,Name,Street,StreetAddress2,,City,CitySTZIP2\n"
        "Dana,Hollis,Dana J. Hollis,1 Elm St,41 Harbor View Rd,x,Burlington,Millbrook VT\n"
        "Vered,Iziva,,,912 Stratford Ct,x,Del Mar,\n");
    ExpectRecipients(list, {{2, "Dana J. Hollis", "", "41 Harbor View Rd", "Millbrook VT"},
                            {3, "Vered Iziva", "", "912 Stratford Ct", "Del Mar"}});
    EXPECT_EQ(list.columns[5].column, "column 6");
    EXPECT_TRUE(list.columns[5].fields.empty());
}

struct BrokenCase {
    const char* what;
    QByteArray bytes;
    const char* fileName;
    const char* message;
    int line;
};

// clang-format off
const BrokenCase BrokenCases[] = {
    {"open quote", "Name,City\r\nDana,Millbrook\r\n\"Vered, Del Mar\r\nx,y\r\n", "a.csv",
     "unterminated quote at line 3", 3},
    {"no name column", "\nPhone;E-mail;City\n555;d@q.example;Millbrook\n", "a.csv",
     "no name column in the header at line 2 (looked for RecipientName, Name, Full Name, First "
     "Name and Last Name); its columns are: Phone, E-mail, City", 2},
    {"empty file", "\xEF\xBB\xBF \r\n\r\n", "a.csv", "the list is empty", 0},
    {"header only", "Name,City\n,\n", "a.csv",
     "the list has no recipient below its header at line 1", 1},
    {"card without end", "BEGIN:VCARD\nFN:Dana\nEND:VCARD\nBEGIN:VCARD\nFN:Vered\n", "",
     "the vCard that starts at line 4 has no END:VCARD", 4},
    {"card inside a card", "BEGIN:VCARD\r\nFN:Dana\r\n\r\nBEGIN:VCARD\r\nEND:VCARD\r\n", "",
     "the vCard that starts at line 1 has no END:VCARD", 1},
    {"vcf without cards", "Name\nDana\n", "a.VCF", "the list holds no vCard (no BEGIN:VCARD line)",
     0},
};
// clang-format on

TEST(RecipientList, RejectsBrokenListsWithTheirLine) {
    for (const BrokenCase& c : BrokenCases) {
        SCOPED_TRACE(c.what);
        try {
            ParseRecipients(c.bytes, QString::fromUtf8(c.fileName));
            ADD_FAILURE() << "read without complaint";
        } catch (const RecipientListError& error) {
            EXPECT_STREQ(error.what(), c.message);
            EXPECT_EQ(error.line(), c.line);
        }
    }
}

class RecipientFile : public testing::Isolated {};

TEST_F(RecipientFile, ReadsAFileAndRejectsWhatIsNoFile) {
    writeAll(temp("people.txt"), "BEGIN:VCARD\nFN:Dana\nEND:VCARD\n");
    EXPECT_EQ(ReadRecipients(temp("people.txt")).recipients.at(0).name(), "Dana");
    writeAll(temp("plain"), "x");
    for (const QString& path : {temp("missing.csv"), temp(), temp("plain/list.csv")}) {
        try {
            ReadRecipients(path);
            ADD_FAILURE() << path.toStdString();
        } catch (const RecipientListError& error) {
            EXPECT_TRUE(QString::fromUtf8(error.what()).startsWith("cannot read " + path + ": "))
                << error.what();
        }
    }
}

TEST(RecipientList, FieldsAreTheRecipientFieldsOfTheTable) {
    for (int i = 0; i < RecipientFieldCount; ++i) {
        const auto field = static_cast<RecipientField>(i);
        EXPECT_EQ(QLatin1Char('[') + RecipientFieldName(field).toUpper() + QLatin1Char(']'),
                  QLatin1String(Fields()[size_t(FieldIndex(field))].tag));
    }
}

} // namespace
} // namespace brindlecast
