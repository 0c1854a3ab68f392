// The blocks resolved in a document through the engine interface, on the recording fake: which
// texts are read and cut, in what order, and that a broken block changes and saves nothing.
#include "generate/ConditionPass.h"

#include "fakes/FakeDialogs.h"
#include "fakes/FakeEngine.h"
#include "generate/MakeNewsletter.h"
#include "support/Isolated.h"

namespace brindlecast {
namespace {

class ConditionPassTest : public testing::Isolated {
protected:
    void SetUp() override {
        writeAll(temp("own.docx"), "a template of the user's own");
        // Main text, a primary header, the text-frame story and its shape, a shape without
        // markers.
        engine.templateModel = {
            {"Dear [RecipientName],\n[IF Member]\nThanks, member.\n[END IF]\nBye",
             "[IF NOT Member]Join us[END IF]", "[IF Member]box[END IF]"},
            {"[RecipientName]\n[IF CompanyName2][CompanyName2][END IF]\n[StreetAddress2]",
             "[NLTitle]"},
            {1, 7, 5}};
    }

    FillRound round(std::optional<QString> member) {
        FillRound made;
        made.source = temp("own.docx");
        made.fields = RecipientFields;
        made.value = [](int index) { return QStringLiteral("v%1").arg(index); };
        made.target = temp("out.doc");
        made.conditions = [member](const QString& name) -> std::optional<QString> {
            if (name.compare("Member", Qt::CaseInsensitive) == 0)
                return member;
            const auto field = FieldNamed(name);
            return field && *field != 13 ? std::optional<QString>(QString("x")) : std::nullopt;
        };
        return made;
    }

    fakes::FakeClipboard clipboard;
    fakes::FakeEngine engine{clipboard};
};

TEST_F(ConditionPassTest, BlocksResolveInEveryStoryAndShapeOnceFromTheBack) {
    const FillRound fill = round(QStringLiteral("gold"));
    const auto application = engine.createApplication();
    engine::Document& document = application->open(fill.source, true);
    ConditionPass(document, fill.conditions);
    StoryPass(document, fill.value, fill.fields);
    ShapePass(document, fill.value, std::nullopt, fill.fields);
    document.saveAs(fill.target);
    const auto saved = fakes::FakeEngine::readSaved(fill.target);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->stories[0], "Dear v12,\nThanks, member.\nBye");
    EXPECT_EQ(saved->stories[1], "");
    // The text-frame story is its shape's text: resolved once, through the shape.
    EXPECT_EQ(saved->stories[2], "[IF Member]box[END IF]");
    EXPECT_EQ(saved->shapes[0], "v12\nv14"); // CompanyName2 (13) is no value here
    EXPECT_EQ(saved->shapes[1], "[NLTitle]");

    EXPECT_FALSE(engine.log.contains("story 2 paragraphs"));
    EXPECT_FALSE(engine.log.contains("shape 1 paragraphs")); // no marker in its text
    // Cut from the back of each text, so that the places read stay valid.
    EXPECT_LT(engine.log.indexOf("story 0 delete 3:0-4:0"),
              engine.log.indexOf("story 0 delete 1:0-2:0"));
}

TEST_F(ConditionPassTest, AnyBrokenBlockStopsTheNewsletterBeforeAnythingChanges) {
    engine.templateModel.shapes[1] = "[NLTitle]\n[ELSE]";
    try {
        MakeNewsletterFile(engine, round(std::nullopt));
        ADD_FAILURE() << "made";
    } catch (const BlockError& error) {
        EXPECT_STREQ(error.what(), "[ELSE] (text box, paragraph 2) belongs to no block.");
        ASSERT_EQ(error.problems().size(), 1u);
    }
    EXPECT_TRUE(engine.log.filter("delete").isEmpty());
    EXPECT_FALSE(engine.log.contains("saveAs 0"));
    EXPECT_TRUE(engine.log.contains("close without saving"));
    EXPECT_EQ(engine.log.back(), "quit");
    EXPECT_FALSE(QFile::exists(temp("out.doc")));

    // The check reads the same blocks, places and problems, and reports no marker as a word.
    const auto application = engine.createApplication();
    const TemplateReport report = CheckTemplate(application->open(temp("own.docx"), true));
    ASSERT_EQ(report.blocks.size(), 3u);
    EXPECT_EQ(report.blocks[0].block.marker, "[IF Member]");
    EXPECT_EQ(report.blocks[0].place, TextPlace::MainText);
    EXPECT_EQ(report.blocks[0].paragraph, 2);
    EXPECT_EQ(report.blocks[1].place, TextPlace::Header);
    EXPECT_EQ(report.blocks[1].block.condition.test, BlockCondition::Test::Empty);
    EXPECT_EQ(report.blocks[2].place, TextPlace::TextBox);
    ASSERT_EQ(report.blockProblems.size(), 1u);
    EXPECT_EQ(report.blockProblems[0].paragraph, 2);
    EXPECT_TRUE(report.strays.empty());
    EXPECT_FALSE(report.clean());
}

} // namespace
} // namespace brindlecast
