#include "DeadlineEngine.h"

#include <QString>
#include <cmath>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

namespace brindlecast::engine {

namespace {

constexpr auto WaitSlice = std::chrono::milliseconds(50);

EngineError endingError() {
    return EngineError("The program is ending; the document engine was stopped.");
}

// The wrappers below hand out one object of theirs per object of the engine's, for as long as
// the session lives, as the engine itself does.
template <class Inner, class Outer> class Wrappers {
public:
    template <class Make> Outer& of(Inner& inner, Make make) {
        auto& slot = mMade[&inner];
        if (!slot)
            slot = make();
        return *slot;
    }

private:
    std::map<Inner*, std::unique_ptr<Outer>> mMade;
};

// Settings are kept here and handed to the engine's find together with the search that uses
// them: one request per search instead of one per setting.
class GuardedFind final : public Find {
public:
    GuardedFind(DeadlineEngine& guard, Range& range)
        : mGuard(guard)
        , mRange(range) {}
    void clearFormatting() override {
        later([](Find& f) { f.clearFormatting(); });
    }
    void clearReplacementFormatting() override {
        later([](Find& f) { f.clearReplacementFormatting(); });
    }
    void setText(const QString& text) override {
        later([text](Find& f) { f.setText(text); });
    }
    void setReplacementText(const QString& text) override {
        later([text](Find& f) { f.setReplacementText(text); });
    }
    void setForward(bool on) override {
        later([on](Find& f) { f.setForward(on); });
    }
    void setWrap(int wrap) override {
        later([wrap](Find& f) { f.setWrap(wrap); });
    }
    void setFormat(bool on) override {
        later([on](Find& f) { f.setFormat(on); });
    }
    void setMatchCase(bool on) override {
        later([on](Find& f) { f.setMatchCase(on); });
    }
    void setMatchWholeWord(bool on) override {
        later([on](Find& f) { f.setMatchWholeWord(on); });
    }
    void setMatchWildcards(bool on) override {
        later([on](Find& f) { f.setMatchWildcards(on); });
    }
    void setMatchSoundsLike(bool on) override {
        later([on](Find& f) { f.setMatchSoundsLike(on); });
    }
    void setMatchAllWordForms(bool on) override {
        later([on](Find& f) { f.setMatchAllWordForms(on); });
    }
    void execute(Replace replace) override {
        run([replace](Find& f) { f.execute(replace); });
    }
    void execute(const QString& findText, const QString& replaceWith, Replace replace) override {
        run([&](Find& f) { f.execute(findText, replaceWith, replace); });
    }

private:
    void later(std::function<void(Find&)> setting) { mSettings.push_back(std::move(setting)); }
    void run(const std::function<void(Find&)>& search) {
        std::vector<std::function<void(Find&)>> settings;
        settings.swap(mSettings);
        mGuard.request([&] {
            Find& find = mRange.find();
            for (const auto& setting : settings)
                setting(find);
            search(find);
        });
    }

    DeadlineEngine& mGuard;
    Range& mRange;
    std::vector<std::function<void(Find&)>> mSettings;
};

class GuardedRange final : public Range {
public:
    GuardedRange(DeadlineEngine& guard, Range& range)
        : mGuard(guard)
        , mRange(range)
        , mFind(guard, range) {}
    Find& find() override { return mFind; }
    void copyAsPicture() override {
        mGuard.request([this] { mRange.copyAsPicture(); });
    }

private:
    DeadlineEngine& mGuard;
    Range& mRange;
    GuardedFind mFind;
};

class GuardedShape final : public Shape {
public:
    GuardedShape(DeadlineEngine& guard, Shape& shape)
        : mGuard(guard)
        , mShape(shape) {}
    bool hasText() override {
        bool has = false;
        mGuard.request([&] { has = mShape.hasText(); });
        return has;
    }
    Range& textRange() override {
        Range* range = nullptr;
        mGuard.request([&] { range = &mShape.textRange(); });
        if (!mRange)
            mRange = std::make_unique<GuardedRange>(mGuard, *range);
        return *mRange;
    }

private:
    DeadlineEngine& mGuard;
    Shape& mShape;
    std::unique_ptr<GuardedRange> mRange;
};

class GuardedDocument final : public Document {
public:
    GuardedDocument(DeadlineEngine& guard, Document& document)
        : mGuard(guard)
        , mDocument(document) {}
    std::vector<Range*> storyRanges() override {
        std::vector<Range*> inner;
        mGuard.request([&] { inner = mDocument.storyRanges(); });
        std::vector<Range*> outer;
        for (Range* range : inner)
            outer.push_back(&range_(*range));
        return outer;
    }
    std::vector<Shape*> shapes() override {
        std::vector<Shape*> inner;
        mGuard.request([&] { inner = mDocument.shapes(); });
        std::vector<Shape*> outer;
        for (Shape* shape : inner)
            outer.push_back(&mShapes.of(
                *shape, [&] { return std::make_unique<GuardedShape>(mGuard, *shape); }));
        return outer;
    }
    Range& range() override {
        Range* inner = nullptr;
        mGuard.request([&] { inner = &mDocument.range(); });
        return range_(*inner);
    }
    using Document::saveAs;
    void saveAs(const QString& path, SaveFormat format) override {
        mGuard.request([&] { mDocument.saveAs(path, format); });
    }
    void setTitle(const QString& title) override {
        mGuard.request([&] { mDocument.setTitle(title); });
    }
    void close() override {
        mGuard.request([this] { mDocument.close(); });
    }

private:
    Range& range_(Range& inner) {
        return mRanges.of(inner, [&] { return std::make_unique<GuardedRange>(mGuard, inner); });
    }

    DeadlineEngine& mGuard;
    Document& mDocument;
    Wrappers<Range, GuardedRange> mRanges;
    Wrappers<Shape, GuardedShape> mShapes;
};

class GuardedApplication final : public Application {
public:
    GuardedApplication(DeadlineEngine& guard, std::unique_ptr<Application> application)
        : mGuard(guard)
        , mApplication(std::move(application)) {}
    // The engine's session goes on the request thread, within the limit, like any request.
    // When that cannot be (the engine did not answer, the program is ending), the engine is
    // stopped first, so that what is left of the session goes at once.
    ~GuardedApplication() override {
        try {
            mGuard.request([this] { mApplication.reset(); });
        } catch (...) {
            mGuard.stop();
        }
    }
    Document& open(const QString& path, bool readOnly) override {
        Document* inner = nullptr;
        mGuard.request([&] { inner = &mApplication->open(path, readOnly); });
        return document(*inner);
    }
    Range& selection() override {
        Range* inner = nullptr;
        mGuard.request([&] { inner = &mApplication->selection(); });
        return mSelections.of(*inner,
                              [&] { return std::make_unique<GuardedRange>(mGuard, *inner); });
    }
    void setDisplayAlerts(bool on) override {
        mGuard.request([&] { mApplication->setDisplayAlerts(on); });
    }
    Document& activeDocument() override {
        Document* inner = nullptr;
        mGuard.request([&] { inner = &mApplication->activeDocument(); });
        return document(*inner);
    }
    void quit() override {
        mGuard.request([this] { mApplication->quit(); });
    }

private:
    Document& document(Document& inner) {
        return mDocuments.of(inner,
                             [&] { return std::make_unique<GuardedDocument>(mGuard, inner); });
    }

    DeadlineEngine& mGuard;
    std::unique_ptr<Application> mApplication;
    Wrappers<Document, GuardedDocument> mDocuments;
    Wrappers<Range, GuardedRange> mSelections;
};

} // namespace

std::chrono::milliseconds EngineTimeLimit(std::chrono::milliseconds fallback) {
    bool ok = false;
    const double seconds = qEnvironmentVariable("BRINDLECAST_ENGINE_TIMEOUT").toDouble(&ok);
    if (!ok || !(seconds > 0) || seconds > 24 * 3600)
        return fallback;
    return std::chrono::milliseconds(std::llround(seconds * 1000));
}

EngineError DeadlineError(std::chrono::milliseconds limit) {
    const auto seconds = (limit.count() + 999) / 1000;
    return EngineError(
        QStringLiteral("The document engine did not answer within %1 seconds and was stopped.")
            .arg(seconds)
            .toStdString());
}

// The request thread: one job at a time, handed over and waited for under the mutex.
struct DeadlineEngine::Worker {
    std::mutex mutex;
    std::condition_variable changed;
    const std::function<void()>* job = nullptr;
    bool done = false;
    bool busy = false;
    bool quitting = false;
    std::exception_ptr failure;
    std::thread thread;

    Worker()
        : thread([this] { loop(); }) {}
    ~Worker() {
        {
            std::lock_guard lock(mutex);
            quitting = true;
        }
        changed.notify_all();
        thread.join();
    }
    void loop() {
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [this] { return quitting || (job && !done); });
            if (quitting)
                return;
            lock.unlock();
            std::exception_ptr caught;
            try {
                (*job)();
            } catch (...) {
                caught = std::current_exception();
            }
            lock.lock();
            failure = caught;
            done = true;
            changed.notify_all();
        }
    }
};

DeadlineEngine::DeadlineEngine(Engine& engine, DeadlineOptions options)
    : mEngine(engine)
    , mOptions(std::move(options))
    , mWorker(std::make_unique<Worker>()) {}

DeadlineEngine::~DeadlineEngine() = default;

std::unique_ptr<Application> DeadlineEngine::createApplication() {
    std::unique_ptr<Application> application;
    request([&] { application = mEngine.createApplication(); });
    return std::make_unique<GuardedApplication>(*this, std::move(application));
}

void DeadlineEngine::stop() noexcept {
    mEngine.stop();
}

void DeadlineEngine::request(const std::function<void()>& job) {
    const auto abandoned = [this] { return mOptions.abandon && mOptions.abandon(); };
    if (abandoned())
        throw endingError();
    Worker& worker = *mWorker;
    std::unique_lock lock(worker.mutex);
    // Only events are let through while waiting, never a second request of the same caller.
    if (worker.busy)
        throw EngineError("The document engine is busy with another request.");
    worker.busy = true;
    worker.job = &job;
    worker.done = false;
    worker.changed.notify_all();
    const auto deadline = std::chrono::steady_clock::now() + mOptions.limit;
    std::optional<EngineError> verdict;
    while (!worker.done) {
        if (worker.changed.wait_for(lock, WaitSlice, [&] { return worker.done; }))
            break;
        lock.unlock();
        if (mOptions.whileWaiting)
            mOptions.whileWaiting();
        if (abandoned())
            verdict = endingError();
        else if (std::chrono::steady_clock::now() >= deadline)
            verdict = DeadlineError(mOptions.limit);
        lock.lock();
        if (verdict && worker.done)
            verdict.reset(); // it answered after all
        if (verdict) {
            // A stopped engine fails the request it is blocked in; it cannot be left running,
            // as it works on data of the caller's.
            lock.unlock();
            mEngine.stop();
            lock.lock();
            worker.changed.wait(lock, [&] { return worker.done; });
        }
    }
    worker.job = nullptr;
    worker.busy = false;
    const std::exception_ptr failure = std::exchange(worker.failure, nullptr);
    lock.unlock();
    if (verdict)
        throw *verdict;
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace brindlecast::engine
