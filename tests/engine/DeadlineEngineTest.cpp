// The time limit of engine requests, on the recording fake: a request the engine never answers.
#include "engine/DeadlineEngine.h"

#include "fakes/FakeDialogs.h"
#include "fakes/FakeEngine.h"
#include "generate/FillPasses.h"
#include "support/Isolated.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <thread>

namespace brindlecast {
namespace {

using namespace std::chrono_literals;

class DeadlineEngineTest : public testing::Isolated {
protected:
    DeadlineEngineTest() {
        // The engine "hangs" in open until it is stopped, and then fails as a killed one does.
        engine.onCall = [this](const QString& call) {
            if (!call.startsWith(QLatin1String("open")) || !hangInOpen)
                return;
            // As an engine that was starting a new office when the first stop came.
            while (engine.stops < stopsToEnd)
                std::this_thread::sleep_for(1ms);
            throw engine::EngineError("The document engine stopped unexpectedly.");
        };
        writeAll(temp("t.dot"), "template");
    }
    fakes::FakeClipboard clipboard;
    fakes::FakeEngine engine{clipboard};
    bool hangInOpen = true;
    int stopsToEnd = 2;
};

TEST_F(DeadlineEngineTest, AHangingRequestIsStoppedAtItsLimitAndTheNextSessionWorks) {
    int waits = 0;
    engine::DeadlineEngine guarded(engine, {300ms, [&] { ++waits; }, {}});
    auto application = guarded.createApplication();
    // What the stopped engine knows about why it hung reaches the user with the failure.
    engine.noteAtStop = QStringLiteral("Answer its question once by hand.");
    QElapsedTimer timer;
    timer.start();
    try {
        application->open(temp("t.dot"), true);
        FAIL() << "a hanging open went unnoticed";
    } catch (const engine::EngineError& error) {
        EXPECT_STREQ(error.what(), "The document engine did not answer within 1 seconds and was "
                                   "stopped. Answer its question once by hand.");
    }
    EXPECT_GE(timer.elapsed(), 300);
    EXPECT_LT(timer.elapsed(), 2000);
    EXPECT_EQ(engine.stops, 2);
    EXPECT_GE(waits, 3) << "the caller's events were not let through while it waited";

    hangInOpen = false;
    application = guarded.createApplication();
    engine::Document& document = application->open(temp("t.dot"), true);
    // Find settings reach the engine with the search that uses them, in their order.
    engine.templateModel = {};
    StoryPass(document, [](int i) { return QStringLiteral("v%1").arg(i); });
    document.saveAs(temp("out.doc"));
    EXPECT_EQ(fakes::FakeEngine::readSaved(temp("out.doc"))->stories.at(0), "v0");
    EXPECT_TRUE(engine.log.contains("story 0 [NLTITLE]=v0"));
    // What a template check reads goes through the deadline's thread as well.
    engine::Range& story = *document.storyRanges().at(0);
    EXPECT_EQ(story.text(), "v0");
    EXPECT_EQ(story.storyType(), 1);
    EXPECT_TRUE(story.tableTexts().empty());
    EXPECT_EQ(engine.log.filter(QRegularExpression("^story 0 (text|storyType|tableTexts)$")).size(),
              3);
}

TEST_F(DeadlineEngineTest, AnEndingProgramStopsTheEngineAndAsksNothingMore) {
    bool ending = false;
    engine::DeadlineEngine guarded(engine, {60s, [&] { ending = true; }, [&] { return ending; }});
    auto application = guarded.createApplication();
    QElapsedTimer timer;
    timer.start();
    EXPECT_THROW(application->open(temp("t.dot"), true), engine::EngineError);
    EXPECT_LT(timer.elapsed(), 2000);
    EXPECT_TRUE(engine.stopped);

    const qsizetype calls = engine.log.size();
    EXPECT_THROW(guarded.createApplication(), engine::EngineError);
    EXPECT_EQ(engine.log.size(), calls) << "a request reached the engine of an ending program";
}

TEST(EngineTimeLimit, ComesFromTheEnvironmentWhenItIsAPositiveNumber) {
    for (const auto& [value, expected] : std::vector<std::pair<QByteArray, int>>{
             {"2.5", 2500}, {"0", 60000}, {"-3", 60000}, {"soon", 60000}, {"", 60000}}) {
        qputenv("BRINDLECAST_ENGINE_TIMEOUT", value);
        EXPECT_EQ(engine::EngineTimeLimit(60s).count(), expected) << value.constData();
    }
    qunsetenv("BRINDLECAST_ENGINE_TIMEOUT");
}

} // namespace
} // namespace brindlecast
