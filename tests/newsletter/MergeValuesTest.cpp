// The values of one recipient of a mail merge: every column a field, read as a template's
// brackets read names.
#include "newsletter/MergeValues.h"

#include "newsletter/Recipients.h"

#include <gtest/gtest.h>

namespace brindlecast {
namespace {

TEST(MergeValues, EveryColumnIsANameAndAColumnNamedLikeAFieldFillsIt) {
    const RecipientList list =
        ParseRecipients("Name,Salutation,First  Name,Stra\xC3\x9F"
                        "e,Website,RecipientName,IssueDate\n"
                        "Dana Hollis, Ms. ,Dana,Elm 1,dana.example,,14 March\n",
                        QStringLiteral("list.csv"));
    MergeValues base;
    base.fields[size_t(FieldNamed("Website").value())] = QStringLiteral("ours.example");
    base.fields[size_t(FieldNamed("NLTitle").value())] = QStringLiteral("Harbor News");
    base.issueDate = QStringLiteral("March 14, 2026");
    base.set(QStringLiteral("Motto"), QStringLiteral("Onward"));
    const MergeValues values = RecipientValues(base, list, 0);

    EXPECT_EQ(values.value(QStringLiteral("salutation")), QStringLiteral("Ms."));
    EXPECT_EQ(values.value(QStringLiteral("FIRST NAME")), QStringLiteral("Dana"));
    EXPECT_EQ(values.value(QString::fromUtf8("stra\xC3\x9F"
                                             "e")),
              QStringLiteral("Elm 1"));
    EXPECT_EQ(values.value(QStringLiteral("Motto")), QStringLiteral("Onward"));
    EXPECT_EQ(values.value(QStringLiteral("NLTitle")), QStringLiteral("Harbor News"));
    EXPECT_EQ(values.value(QStringLiteral("Nope")), std::nullopt);
    // A column named like a field fills that field, for this recipient only...
    EXPECT_EQ(values.value(QStringLiteral("website")), QStringLiteral("dana.example"));
    EXPECT_EQ(values.value(QStringLiteral("IssueDate")), QStringLiteral("14 March"));
    EXPECT_EQ(values.namedValue(QStringLiteral("Website")), nullptr);
    EXPECT_EQ(base.value(QStringLiteral("Website")), QStringLiteral("ours.example"));
    // ...but the recipient's own fields come from the columns the reader chose for them: an
    // empty RecipientName column does not hide the Name column.
    EXPECT_EQ(values.value(QStringLiteral("RecipientName")), QStringLiteral("Dana Hollis"));
    EXPECT_EQ(FieldsNamedByColumns(list), std::vector<int>({*FieldNamed("Website")}));
}

TEST(MergeValues, ListsGiveEveryColumnsValueInColumnOrder) {
    const RecipientList csv =
        ParseRecipients("Name,Note,Email\nDana,\"two\nlines\",d@x.example\nVered\n");
    ASSERT_EQ(csv.recipients.size(), 2u);
    EXPECT_EQ(csv.recipients[0].cells, QStringList({"Dana", "two\nlines", "d@x.example"}));
    EXPECT_EQ(csv.cell(1, 2), QString());
    EXPECT_EQ(csv.columnNamed(QStringLiteral(" EMAIL ")), 2);

    const RecipientList json =
        ParseRecipients(R"([{"Name": "Dana", "Age": 41}, {"Name": "Vered"}])");
    EXPECT_EQ(json.cell(0, *json.columnNamed("Age")), "41");
    EXPECT_EQ(json.cell(1, *json.columnNamed("Age")), "");

    const RecipientList cards = ParseRecipients(
        "BEGIN:VCARD\r\nN:Hollis;Dana;;Ms.;\r\nEMAIL:d@x.example\r\nEMAIL:second@x.example\r\n"
        "ADR;TYPE=work:;;41 Harbor View Rd;Millbrook;VT;05401;\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nFN:Vered Iziva\r\nEND:VCARD\r\n");
    EXPECT_EQ(cards.cell(0, *cards.columnNamed("N")), "Ms. Dana Hollis");
    EXPECT_EQ(cards.cell(0, *cards.columnNamed("EMAIL")), "d@x.example");
    EXPECT_EQ(cards.cell(0, *cards.columnNamed("ADR")), "41 Harbor View Rd, Millbrook, VT, 05401");
    EXPECT_EQ(cards.cell(1, *cards.columnNamed("EMAIL")), "");
    EXPECT_EQ(cards.cell(1, *cards.columnNamed("FN")), "Vered Iziva");
}

} // namespace
} // namespace brindlecast
