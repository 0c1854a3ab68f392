#include "engine/ModuleEngine.h"

#include "app/MessageBoxes.h"
#include "fakes/FakeDialogs.h"
#include "generate/EngineCheck.h"
#include "support/Isolated.h"

namespace brindlecast {
namespace {

using engine::ModuleEngine;

class ModuleEngineTest : public testing::Isolated {
protected:
    fakes::FakeClipboard clipboard;
    fakes::FakeMessageBoxes boxes;
    int ended = 0;
};

TEST_F(ModuleEngineTest, AMissingModuleIsAnEngineThatCannotBeCreated) {
    ModuleEngine engine(temp("brindlecast-writer.so"), clipboard);
    try {
        engine.createApplication();
        FAIL() << "no error";
    } catch (const engine::EngineError& e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).startsWith("The document engine cannot be loaded"));
    }
    // So the program starts, gives its advice and ends.
    SetProgramTitle("Brindlecast");
    EXPECT_FALSE(CheckWordInstalled(engine, boxes, [this] { ++ended; }));
    EXPECT_EQ(ended, 1);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].prompt.startsWith("Error 842001."));
}

TEST_F(ModuleEngineTest, AModuleWithoutTheEntryPointIsRefused) {
    // A shared library every machine has, which is no engine.
    ModuleEngine engine(QStringLiteral("libm.so.6"), clipboard);
    try {
        engine.createApplication();
        FAIL() << "no error";
    } catch (const engine::EngineError& e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains("is no engine module"));
    }
}

TEST_F(ModuleEngineTest, TheWriterModuleGivesWorkingSessions) {
    ModuleEngine engine(QStringLiteral(BRINDLECAST_WRITER_MODULE), clipboard);
    EXPECT_TRUE(CheckWordInstalled(engine, boxes, [this] { ++ended; }));
    EXPECT_TRUE(boxes.shown.empty());
    auto application = engine.createApplication();
    EXPECT_THROW(application->open(temp("missing.doc"), true), engine::EngineError);
    application->quit();
}

} // namespace
} // namespace brindlecast
