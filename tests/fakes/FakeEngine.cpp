#include "FakeEngine.h"

#include "app/Clipboard.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>

namespace brindlecast::fakes {

namespace {

const QByteArray Magic = "BRINDLECAST-FAKE-DOCUMENT\n";

class FakeFind final : public engine::Find {
public:
    FakeFind(FakeEngine& engine, QString& text, QString name)
        : mEngine(engine)
        , mText(text)
        , mName(std::move(name)) {}
    void clearFormatting() override { mEngine.record(mName + QStringLiteral(" clearFormatting")); }
    void clearReplacementFormatting() override {
        mEngine.record(mName + QStringLiteral(" clearReplacementFormatting"));
    }
    void setText(const QString& text) override { mFind = text; }
    void setReplacementText(const QString& text) override { mReplacement = text; }
    void setForward(bool) override {}
    void setWrap(int) override {}
    void setFormat(bool) override {}
    void setMatchCase(bool matchCase) override { mMatchCase = matchCase; }
    void setMatchWholeWord(bool) override {}
    void setMatchWildcards(bool) override {}
    void setMatchSoundsLike(bool) override {}
    void setMatchAllWordForms(bool) override {}
    void execute(engine::Replace replace) override {
        mEngine.record(mName + QLatin1Char(' ') + mFind + QLatin1Char('=') + mReplacement);
        if (replace != engine::Replace::All || mFind.isEmpty())
            return;
        const Qt::CaseSensitivity cs = mMatchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
        qsizetype from = 0;
        while ((from = mText.indexOf(mFind, from, cs)) >= 0) {
            mText.replace(from, mFind.size(), mReplacement);
            from += mReplacement.size();
        }
    }
    void execute(const QString& findText, const QString& replaceWith,
                 engine::Replace replace) override {
        mFind = findText;
        mReplacement = replaceWith;
        execute(replace);
    }

private:
    FakeEngine& mEngine;
    QString& mText;
    QString mName;
    QString mFind, mReplacement;
    bool mMatchCase = false;
};

class FakeRange final : public engine::Range {
public:
    FakeRange(FakeEngine& engine, QString& text, const QString& name, int storyType = 1,
              std::vector<QString> tables = {})
        : mEngine(engine)
        , mText(text)
        , mFind(engine, text, name)
        , mName(name)
        , mStoryType(storyType)
        , mTables(std::move(tables)) {}
    engine::Find& find() override { return mFind; }
    QString text() override {
        mEngine.record(mName + QStringLiteral(" text"));
        return mText;
    }
    int storyType() override {
        mEngine.record(mName + QStringLiteral(" storyType"));
        return mStoryType;
    }
    std::vector<QString> tableTexts() override {
        mEngine.record(mName + QStringLiteral(" tableTexts"));
        return mTables;
    }
    // Paragraphs are the text's lines; the fake has no table cells.
    std::vector<engine::ParagraphText> paragraphs() override {
        mEngine.record(mName + QStringLiteral(" paragraphs"));
        std::vector<engine::ParagraphText> paragraphs;
        for (const QString& line : mText.split(QLatin1Char('\n')))
            paragraphs.push_back({line, -1});
        return paragraphs;
    }
    void deleteText(int fromParagraph, qsizetype fromOffset, int toParagraph,
                    qsizetype toOffset) override {
        mEngine.record(QStringLiteral("%1 delete %2:%3-%4:%5")
                           .arg(mName)
                           .arg(fromParagraph)
                           .arg(fromOffset)
                           .arg(toParagraph)
                           .arg(toOffset));
        const QStringList lines = mText.split(QLatin1Char('\n'));
        const auto place = [&](int paragraph, qsizetype offset) {
            if (paragraph < 0 || paragraph >= lines.size() || offset < 0 ||
                offset > lines[paragraph].size())
                throw engine::EngineError("No such place in the text.");
            qsizetype at = offset;
            for (int k = 0; k < paragraph; ++k)
                at += lines[k].size() + 1;
            return at;
        };
        const qsizetype from = place(fromParagraph, fromOffset);
        const qsizetype to = place(toParagraph, toOffset);
        if (to < from)
            throw engine::EngineError("The span ends before it starts.");
        mText.remove(from, to - from);
    }
    void copyAsPicture() override {
        mEngine.record(mName + QStringLiteral(" copyAsPicture"));
        QImage picture(mEngine.pictureSize, QImage::Format_RGB32);
        picture.fill(Qt::white);
        QPainter(&picture).fillRect(40, 40, 200, 30, Qt::black);
        const int dpm = qRound(mEngine.pictureDpi / 0.0254);
        picture.setDotsPerMeterX(dpm);
        picture.setDotsPerMeterY(dpm);
        mEngine.clipboard().setPicture(picture);
    }

private:
    FakeEngine& mEngine;
    QString& mText;
    FakeFind mFind;
    QString mName;
    int mStoryType;
    std::vector<QString> mTables;
};

class FakeShape final : public engine::Shape {
public:
    FakeShape(FakeEngine& engine, QString& text, const QString& name)
        : mText(text)
        , mRange(engine, text, name, 5) {}
    bool hasText() override { return !mText.isEmpty(); }
    engine::Range& textRange() override { return mRange; }

private:
    QString& mText;
    FakeRange mRange;
};

class FakeDocument final : public engine::Document {
public:
    FakeDocument(FakeEngine& engine, FakeDocumentModel model)
        : mEngine(engine)
        , mModel(std::move(model)) {
        for (size_t i = 0; i < mModel.stories.size(); ++i) {
            const int type = i < mModel.storyTypes.size() ? mModel.storyTypes[i] : i == 0 ? 1 : 7;
            mStories.push_back(std::make_unique<FakeRange>(
                mEngine, mModel.stories[i], QStringLiteral("story %1").arg(i), type,
                i < mModel.storyTables.size() ? mModel.storyTables[i] : std::vector<QString>{}));
        }
        for (size_t i = 0; i < mModel.shapes.size(); ++i)
            mShapes.push_back(std::make_unique<FakeShape>(mEngine, mModel.shapes[i],
                                                          QStringLiteral("shape %1").arg(i)));
        if (mModel.stories.empty())
            mModel.stories.emplace_back();
        mMain =
            std::make_unique<FakeRange>(mEngine, mModel.stories[0], QStringLiteral("selection"));
        mWhole = std::make_unique<FakeRange>(mEngine, mModel.stories[0], QStringLiteral("range"));
    }
    std::vector<engine::Range*> storyRanges() override {
        mEngine.record(QStringLiteral("storyRanges"));
        std::vector<engine::Range*> ranges;
        for (auto& story : mStories)
            ranges.push_back(story.get());
        return ranges;
    }
    std::vector<engine::Shape*> shapes() override {
        mEngine.record(QStringLiteral("shapes"));
        std::vector<engine::Shape*> shapes;
        for (auto& shape : mShapes)
            shapes.push_back(shape.get());
        return shapes;
    }
    engine::Range& range() override { return *mWhole; }
    engine::Range& selection() { return *mMain; }
    using engine::Document::saveAs;
    void saveAs(const QString& path, engine::SaveFormat format) override {
        mEngine.record(QStringLiteral("saveAs %1").arg(int(format)));
        QJsonObject object{
            {QStringLiteral("stories"),
             QJsonArray::fromStringList(QStringList(mModel.stories.begin(), mModel.stories.end()))},
            {QStringLiteral("shapes"),
             QJsonArray::fromStringList(QStringList(mModel.shapes.begin(), mModel.shapes.end()))}};
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            throw engine::EngineError("Cannot save " + path.toStdString());
        file.write(Magic + QJsonDocument(object).toJson());
    }
    void setTitle(const QString& title) override {
        mEngine.record(QStringLiteral("setTitle ") + title);
    }
    void close() override { mEngine.record(QStringLiteral("close")); }
    void closeWithoutSaving() override { mEngine.record(QStringLiteral("close without saving")); }

private:
    FakeEngine& mEngine;
    FakeDocumentModel mModel;
    std::vector<std::unique_ptr<FakeRange>> mStories;
    std::vector<std::unique_ptr<FakeShape>> mShapes;
    std::unique_ptr<FakeRange> mMain;
    std::unique_ptr<FakeRange> mWhole;
};

class FakeApplication final : public engine::Application {
public:
    explicit FakeApplication(FakeEngine& engine)
        : mEngine(engine) {
        ++mEngine.liveApplications;
    }
    ~FakeApplication() override { --mEngine.liveApplications; }
    engine::Document& open(const QString& path, bool readOnly) override {
        mEngine.record(QStringLiteral("open %1 %2").arg(path, readOnly ? "ro" : "rw"));
        FakeDocumentModel model;
        if (auto saved = FakeEngine::readSaved(path)) {
            model = *saved;
        } else {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                throw engine::EngineError("Cannot open the document " + path.toStdString() + ".");
            mEngine.openedForeignFiles.push_back(file.readAll());
            model = mEngine.templateModel;
        }
        mDocuments.push_back(std::make_unique<FakeDocument>(mEngine, std::move(model)));
        return *mDocuments.back();
    }
    engine::Range& selection() override {
        if (mDocuments.empty())
            throw engine::EngineError("No document is open.");
        return mDocuments.back()->selection();
    }
    void setDisplayAlerts(bool) override { mEngine.record(QStringLiteral("displayAlerts")); }
    engine::Document& activeDocument() override {
        if (mDocuments.empty())
            throw engine::EngineError("No document is open.");
        return *mDocuments.back();
    }
    void quit() override {
        mEngine.record(QStringLiteral("quit"));
        mDocuments.clear();
    }

private:
    FakeEngine& mEngine;
    std::vector<std::unique_ptr<FakeDocument>> mDocuments;
};

} // namespace

std::unique_ptr<engine::Application> FakeEngine::createApplication() {
    record(QStringLiteral("create"));
    return std::make_unique<FakeApplication>(*this);
}

void FakeEngine::record(const QString& call) {
    log << call;
    if (onCall)
        onCall(call);
}

std::optional<FakeDocumentModel> FakeEngine::readSaved(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (!bytes.startsWith(Magic))
        return std::nullopt;
    const QJsonObject object = QJsonDocument::fromJson(bytes.mid(Magic.size())).object();
    FakeDocumentModel model;
    for (const auto& story : object.value(QStringLiteral("stories")).toArray())
        model.stories.push_back(story.toString());
    for (const auto& shape : object.value(QStringLiteral("shapes")).toArray())
        model.shapes.push_back(shape.toString());
    return model;
}

} // namespace brindlecast::fakes
