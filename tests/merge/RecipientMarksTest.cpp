// Why a recipient is marked in the mail merge window.
#include "merge/RecipientMarks.h"

#include "MergeLists.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace brindlecast {
namespace {

using testing::MarkedList;

TemplateReport Letter() {
    return AnalyseTemplate(
        {{TextPlace::MainText, QStringLiteral("[NLTitle]: Dear [Salutation] [RecipientName], "
                                              "[Motto] [Nickname]")}});
}

std::vector<QString> Expected(std::initializer_list<const char*> marks) {
    std::vector<QString> expected;
    for (const char* mark : marks)
        expected.push_back(QString::fromUtf8(mark));
    return expected;
}

TEST(RecipientMarks, EachReasonOnItsRowAndTheTemplatesOnlyOnceItIsRead) {
    const RecipientList list = MarkedList();
    MergeValues base;
    base.set(QStringLiteral("Motto"), QStringLiteral(" "));
    EXPECT_EQ(
        MarkRecipients(list, nullptr, base),
        Expected({"", "no e-mail address",
                  "the same as recipient 1: the same e-mail address DANA@example.org", "", ""}));
    const TemplateReport report = Letter();
    EXPECT_EQ(MarkRecipients(list, &report, base),
              Expected({"", "no e-mail address; [Salutation] left empty",
                        "the same as recipient 1: the same e-mail address DANA@example.org", "",
                        "[RecipientName] left empty"}));
    // The run's own values are the same for every recipient: said once, not on every row.
    EXPECT_EQ(LeftEmptyForEveryone(list, report, base),
              QStringList({QStringLiteral("[NLTitle]"), QStringLiteral("[Motto]")}));
    base.set(QStringLiteral("NLTitle"), QStringLiteral("News"));
    base.set(QStringLiteral("Motto"), QStringLiteral("Onward"));
    EXPECT_TRUE(LeftEmptyForEveryone(list, report, base).isEmpty());
}

TEST(RecipientMarks, WithoutAnEmailColumnNoRowLacksAnAddressAndDuplicatesGoByPostalAddress) {
    const RecipientList list = ParseRecipients("Name,Street,City\n"
                                               "Dana Hollis,41 Harbor View Rd,Millbrook\n"
                                               "DANA  hollis,41 Harbor View Rd,Millbrook\n"
                                               "Vered Iziva,,\n");
    EXPECT_EQ(MarkRecipients(list, nullptr, {}),
              Expected({"", "the same as recipient 1: the same name and address", ""}));
    // The recipient's own fields come from the list even where no column fills them, so an
    // unmapped [CompanyName2] is empty for all, never a mark of one.
    const TemplateReport report =
        AnalyseTemplate({{TextPlace::MainText, QStringLiteral("[CompanyName2] [StreetAddress2]")}});
    EXPECT_EQ(MarkRecipients(list, &report, {}),
              Expected({"", "the same as recipient 1: the same name and address",
                        "[StreetAddress2] left empty"}));
    EXPECT_EQ(LeftEmptyForEveryone(list, report, {}),
              QStringList({QStringLiteral("[CompanyName2]")}));
}

} // namespace
} // namespace brindlecast
