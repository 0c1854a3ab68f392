// check-template's lines on a list, without an engine: the template's words come as text.
#include "cli/ListCheck.h"

#include "support/QtPrint.h"

#include <gtest/gtest.h>

namespace brindlecast::cli {
namespace {

ListCheckInput Members() {
    ListCheckInput input;
    input.path = QStringLiteral("members.csv");
    input.list = ParseRecipients("Name,Salutation,MemberSince,Email,First Name,Last,Country\n"
                                 "Dana Hollis,Ms.,2019,dana@x.example,Dana,Hollis,Norway\n"
                                 "Vered Iziva,,2021,vered@x.example,Vered,Iziva,Chile\n"
                                 "Dana Hollis,Ms.,2019,DANA@x.example,Dana,Hollis,Norway\n"
                                 "Ann Oduya,Dr.,,ann@x.example,Ann,Oduya,Norway\n"
                                 "Bo Ek,,,bo@x.example,Bo,Ek,Sweden\n",
                                 input.path);
    input.chosen = {0, 1, 2, 3, 4};
    input.duplicates = FindDuplicates(input.list, input.chosen);
    input.chosen = WithoutDuplicates(input.chosen, input.duplicates);
    return input;
}

TEST(ListCheck, SaysWhatTheListFillsWhatStaysEmptyForWhomAndWhatNothingUses) {
    const TemplateReport report = AnalyseTemplate(
        {{TextPlace::MainText, QStringLiteral("[NLTitle] says [Motto]. Dear [Salutation] "
                                              "[RecipientName], member since [MemberSince]. "
                                              "[CompanyName2] [Nickname]")}});
    NewsletterValues values;
    values.named = {{QStringLiteral("Motto"), QStringLiteral("Onward")}};
    const ListCheck check = CheckAgainstList(report, values, Members());
    EXPECT_EQ(check.names, QStringList({"Motto", "Name", "Salutation", "MemberSince", "Email",
                                        "First Name", "Last", "Country"}));
    EXPECT_EQ(check.lines,
              QStringList({"List members.csv: 5 recipients, 1 left out as duplicates.",
                           "Filled from the list: [RecipientName] from Name or First Name, "
                           "[Salutation] from Salutation, [MemberSince] from MemberSince.",
                           "Left empty:", "  [NLTitle] stays empty for every recipient",
                           "  [CompanyName2] stays empty for every recipient",
                           "  [Salutation] stays empty for 2 of 4: recipient 2 (line 3, \"Vered "
                           "Iziva\"), recipient 5 (line 6, \"Bo Ek\")",
                           "  [MemberSince] stays empty for 2 of 4: recipient 4 (line 5, \"Ann "
                           "Oduya\"), recipient 5 (line 6, \"Bo Ek\")",
                           "Columns nothing uses: Email, Last, Country."}));
    EXPECT_TRUE(CheckAgainstList(report, values, std::nullopt).lines.isEmpty());
}

} // namespace
} // namespace brindlecast::cli
