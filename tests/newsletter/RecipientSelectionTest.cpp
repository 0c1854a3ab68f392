// Which recipients a run is for: rows, conditions, and each person once.
#include "newsletter/RecipientSelection.h"

#include <gtest/gtest.h>

namespace brindlecast {
namespace {

RecipientList People() {
    return ParseRecipients("Name,Street,City,E-mail,Country\n"
                           "Dana Hollis,41 Harbor View Rd,Millbrook,dana@x.example,Norway\n"
                           "Vered Iziva,912 Stratford Ct,Del Mar,,norway\n"
                           "DANA  HOLLIS,41 Harbor View Rd,Millbrook, Dana@X.example ,Chile\n"
                           "vered iziva,912 stratford ct,del mar,,Norway\n"
                           ",,,,Norway\n"
                           ",,,,\n"
                           "Dana Hollis,1 Elm St,Burlington,,Norway\n",
                           QStringLiteral("people.csv"));
}

TEST(RecipientSelection, RowsAndConditionsPickRecipients) {
    const RecipientList list = People();
    ASSERT_EQ(list.recipients.size(), 6u); // the blank row is no recipient
    EXPECT_EQ(ParseRows(QStringLiteral(" 2-4 , 1,3 "), 6), std::vector<int>({1, 2, 3, 4}));
    for (const char* wrong : {"0", "2-", "a", "4-2", "7", "1,,2"})
        EXPECT_THROW(ParseRows(QString::fromLatin1(wrong), 6), SelectionError) << wrong;
    EXPECT_EQ(ChooseRecipients(list, QStringLiteral("2-6"), {QStringLiteral("country=NORWAY")}),
              std::vector<int>({1, 3, 4, 5}));
    EXPECT_EQ(ChooseRecipients(list, QString(),
                               {QStringLiteral("Country=norway"), QStringLiteral("City=Del Mar")}),
              std::vector<int>({1, 3}));
    try {
        ChooseRecipients(list, QString(), {QStringLiteral("Land=Norway")});
        FAIL() << "no such column";
    } catch (const SelectionError& error) {
        EXPECT_STREQ(error.what(), "--where Land=Norway: the list has no column Land; its "
                                   "columns are: Name, Street, City, E-mail, Country");
    }
    EXPECT_THROW(ChooseRecipients(list, QString(), {QStringLiteral("Country")}), SelectionError);
}

TEST(RecipientSelection, EachPersonOnceByAddressOrByNameAndAddress) {
    const RecipientList list = People();
    EXPECT_EQ(EmailColumn(list), 3);
    const std::vector<int> everyone = {0, 1, 2, 3, 4, 5};
    const std::vector<Duplicate> duplicates = FindDuplicates(list, everyone);
    ASSERT_EQ(duplicates.size(), 2u);
    EXPECT_EQ(duplicates[0].index, 2);
    EXPECT_EQ(duplicates[0].sameAs, 0);
    EXPECT_EQ(duplicates[0].why, "the same e-mail address Dana@X.example");
    // No address: the same name and address, letter case and spacing ignored.
    EXPECT_EQ(duplicates[1].index, 3);
    EXPECT_EQ(duplicates[1].sameAs, 1);
    EXPECT_EQ(WithoutDuplicates(everyone, duplicates), std::vector<int>({0, 1, 4, 5}));
    EXPECT_EQ(DescribeRecipient(list, 2), "recipient 3 (line 4, \"DANA  HOLLIS\")");
    // Only among those chosen: the first of a pair left out by --rows keeps the second.
    EXPECT_TRUE(FindDuplicates(list, {2, 3}).empty());
}

} // namespace
} // namespace brindlecast
