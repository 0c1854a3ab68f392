#include "GuardedSession.h"

#include "DeadlineEngine.h"

#include <map>

namespace brindlecast::engine {

namespace {

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

    // The caller fetched the range's find again: the engine fetches it again at the same point
    // of the batch, so that the automation calls stay the caller's own.
    void refetch() {
        if (!mSettings.empty())
            mSettings.emplace_back();
    }

private:
    void later(std::function<void(Find&)> setting) { mSettings.push_back(std::move(setting)); }
    void run(const std::function<void(Find&)>& search) {
        std::vector<std::function<void(Find&)>> settings;
        settings.swap(mSettings);
        mGuard.request([&] {
            Find* find = &mRange.find();
            for (const auto& setting : settings) {
                if (setting)
                    setting(*find);
                else
                    find = &mRange.find();
            }
            search(*find);
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
    Find& find() override {
        mFind.refetch();
        return mFind;
    }
    void copyAsPicture() override {
        mGuard.request([this] { mRange.copyAsPicture(); });
    }
    QString text() override {
        QString text;
        mGuard.request([&] { text = mRange.text(); });
        return text;
    }
    int storyType() override {
        int type = 0;
        mGuard.request([&] { type = mRange.storyType(); });
        return type;
    }
    std::vector<QString> tableTexts() override {
        std::vector<QString> tables;
        mGuard.request([&] { tables = mRange.tableTexts(); });
        return tables;
    }
    std::vector<ParagraphText> paragraphs() override {
        std::vector<ParagraphText> paragraphs;
        mGuard.request([&] { paragraphs = mRange.paragraphs(); });
        return paragraphs;
    }
    void deleteText(int fromParagraph, qsizetype fromOffset, int toParagraph,
                    qsizetype toOffset) override {
        mGuard.request(
            [&] { mRange.deleteText(fromParagraph, fromOffset, toParagraph, toOffset); });
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
    void closeWithoutSaving() override {
        mGuard.request([this] { mDocument.closeWithoutSaving(); });
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

std::unique_ptr<Application> GuardSession(DeadlineEngine& guard,
                                          std::unique_ptr<Application> application) {
    return std::make_unique<GuardedApplication>(guard, std::move(application));
}

} // namespace brindlecast::engine
