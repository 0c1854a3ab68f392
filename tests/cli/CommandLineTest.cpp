#include "cli/CommandLine.h"

#include "support/Isolated.h"

#include <QDir>

namespace brindlecast::cli {
namespace {

TEST(WantsCommandLine, EveryArgumentButQtsWindowOptions) {
    for (const auto& [arguments, wanted] : std::vector<std::pair<std::vector<const char*>, bool>>{
             {{"brindlecast"}, false},
             {{"brindlecast", "-session", "10d3a8c"}, false}, // a desktop session restoring it
             {{"brindlecast", "-platform", "offscreen"}, false},
             {{"brindlecast", "--style=Fusion"}, false},
             {{"brindlecast", "make", "--output", "x.doc"}, true},
             {{"brindlecast", "--help"}, true},
             {{"brindlecast", "-version"}, true},
             {{"brindlecast", "--frob"}, true},
             // A command after Qt's options is still a command, not a window that ignores it.
             {{"brindlecast", "-platform", "offscreen", "make"}, true}})
        EXPECT_EQ(WantsCommandLine(int(arguments.size()), arguments.data()), wanted)
            << arguments.back();
}

TEST(WantsCommandLine, MailMergeWithOneListAtMostIsAWindow) {
    for (const auto& [arguments, wanted] : std::vector<std::pair<std::vector<const char*>, bool>>{
             {{"brindlecast", "mail-merge"}, false},
             {{"brindlecast", "mail-merge", "members.csv"}, false},
             {{"brindlecast", "mail-merge", "members.csv", "-platform", "offscreen"}, false},
             {{"brindlecast", "-session", "10d3a8c", "mail-merge", "-reverse"}, false},
             // What the window cannot take, the command line refuses with its usage message.
             {{"brindlecast", "mail-merge", "--help"}, true},
             {{"brindlecast", "mail-merge", "a.csv", "b.csv"}, true},
             {{"brindlecast", "mail-merge", ""}, true},
             {{"brindlecast", "mail-merge.csv"}, true}})
        EXPECT_EQ(WantsCommandLine(int(arguments.size()), arguments.data()), wanted)
            << arguments.back();
}

class MailMergeRequestTest : public testing::Isolated {
protected:
    void TearDown() override { QDir::setCurrent(mFolder); }

    const QString mFolder = QDir::currentPath();
};

TEST_F(MailMergeRequestTest, TheListIsTakenFromTheFolderTheCommandRunsIn) {
    ASSERT_TRUE(QDir::setCurrent(root()));
    const QString here = QDir::currentPath();
    // Whether the list is there is for the window to say: a missing one is passed on too.
    EXPECT_EQ(MailMergeRequest({"brindlecast", "mail-merge", "lists/members.csv"}),
              here + "/lists/members.csv");
    EXPECT_EQ(MailMergeRequest({"brindlecast", "mail-merge", "../Über uns.xlsx"}),
              QDir::cleanPath(here + "/../Über uns.xlsx"));
    EXPECT_EQ(MailMergeRequest({"brindlecast", "mail-merge", here + "/m.vcf"}), here + "/m.vcf");
    EXPECT_EQ(MailMergeRequest({"brindlecast", "mail-merge"}), QString());
    EXPECT_EQ(MailMergeRequest({"brindlecast", "-style", "Fusion", "mail-merge", "--reverse"}),
              QString());
}

TEST_F(MailMergeRequestTest, OtherArgumentsAreNoRequest) {
    for (const QStringList& arguments :
         std::vector<QStringList>{{"brindlecast"},
                                  {"brindlecast", "make", "--recipients", "members.csv"},
                                  {"brindlecast", "mail-merge", "--help"},
                                  {"brindlecast", "mail-merge", "a.csv", "b.csv"},
                                  {"brindlecast", "mail-merge", ""},
                                  {"brindlecast", "members.csv", "mail-merge"},
                                  // The value of Qt's option is no command, whatever it says.
                                  {"brindlecast", "-qwindowtitle", "mail-merge"}})
        EXPECT_EQ(MailMergeRequest(arguments), std::nullopt) << arguments.join(' ').toStdString();
}

} // namespace
} // namespace brindlecast::cli
