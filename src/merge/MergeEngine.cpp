#include "MergeEngine.h"

#include "cli/CommandLine.h"
#include "cli/Console.h"
#include "cli/EngineSlot.h"
#include "cli/ListSource.h"
#include "cli/MakeSteps.h"
#include "cli/SingleNewsletters.h"
#include "generate/WorkingFiles.h"

namespace brindlecast {

/// What a list run would tell a terminal along the way: the window shows its own account.
class SilentConsole final : public cli::Console {
public:
    SilentConsole()
        : cli::Console(true) {}
    void error(const QString&) override {}
    void remark(const QString&) override {}
    void summary(const QString&) override {}
    void note(const QString&) override {}
    void progress(int, int, std::chrono::steady_clock::duration, const char*) override {}
    void endProgress() override {}
};

MergeEngine::MergeEngine()
    : mSlot(std::make_unique<cli::EngineSlot>())
    , mConsole(std::make_unique<SilentConsole>()) {}

MergeEngine::~MergeEngine() {
    // The newsletters' folder goes before the engine that wrote into it.
    mMaker.reset();
}

void MergeEngine::stopNow() noexcept {
    mSlot->engine.stop();
}

void MergeEngine::load(const cli::MakeOptions& options) {
    mMaker.reset();
    mJob.reset();
    try {
        auto job = std::make_shared<cli::ListJob>(cli::SettleListJob(options, *mSlot));
        mJob = job;
        emit loaded(mJob);
    } catch (const cli::ListEngineFailure& failure) {
        emit loadFailed(QString::fromLocal8Bit(failure.what()));
    } catch (const std::exception& error) {
        emit loadFailed(QString::fromLocal8Bit(error.what()));
    }
}

void MergeEngine::preview(int index, int ticket) {
    // Only the newest selection is worth the engine's time.
    if (ticket != mNewest.load() || !mJob)
        return;
    try {
        const QImage made = picture(index);
        emit previewed(index, ticket, made, QString());
    } catch (const std::exception& error) {
        emit previewed(index, ticket, QImage(), QString::fromLocal8Bit(error.what()).simplified());
    }
}

QImage MergeEngine::picture(int index) {
    if (!mMaker) {
        mSlot->start();
        mMaker = std::make_unique<cli::SingleNewsletters>(*mJob, *mSlot, *mConsole);
    }
    const QString made = mMaker->make(index);
    std::unique_ptr<engine::Application> application = mSlot->engine.createApplication();
    try {
        engine::Document& document = application->open(made, true);
        // The first page, as the preview window shows it: the looks address their reader there.
        document.range().copyAsPicture();
        document.closeWithoutSaving();
    } catch (...) {
        engine::QuitQuietly(application);
        throw;
    }
    engine::QuitQuietly(application);
    QImage shown = GetClipboardPicture(mSlot->clipboard, 0);
    if (shown.isNull())
        throw std::runtime_error("the document engine gave no picture of the newsletter");
    return shown;
}

} // namespace brindlecast

#include "moc_MergeEngine.cpp"
