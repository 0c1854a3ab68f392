#pragma once

#include "FileGate.h"
#include "TextStory.h"
#include "engine/Engine.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <initializer_list>
#include <memory>
#include <vector>

namespace brindlecast {
class Clipboard;
}

namespace brindlecast::engine::writer {

class OfficeProcess;
class WriterDocument;

// Word's numbers of the stories (WdStoryType), which Range::storyType answers.
inline constexpr int MainTextStory = 1;
inline constexpr int FootnotesStory = 2;
inline constexpr int EndnotesStory = 3;
inline constexpr int TextFrameStory = 5;
inline constexpr int PrimaryHeaderStory = 7; // the even pages' is one less
inline constexpr int PrimaryFooterStory = 9; // the even pages' is one less
inline constexpr int FirstPageHeaderStory = 10;
inline constexpr int FirstPageFooterStory = 11;

/// What the objects of one session share: the engine process and where pictures go.
struct SessionContext {
    std::shared_ptr<OfficeProcess> office;
    Clipboard& clipboard;
    PictureSize pictureSize;

    bool engineAlive() const;
    /// Converts the exception being handled into an EngineError (see currentEngineError).
    EngineError error(const QString& context) const;
};

class WriterFind final : public Find {
public:
    WriterFind(const SessionContext& session, TextStory& story)
        : mSession(session)
        , mStory(story) {}

    void clearFormatting() override {}
    void clearReplacementFormatting() override {}
    void setText(const QString& text) override { mText = text; }
    void setReplacementText(const QString& text) override { mReplacement = text; }
    // Every search covers the whole range, forward, without formatting conditions: the only
    // search the generation makes, so these settings have nothing to change.
    void setForward(bool) override {}
    void setWrap(int) override {}
    void setFormat(bool) override {}
    void setMatchCase(bool matchCase) override { mMatchCase = matchCase; }
    void setMatchWholeWord(bool wholeWord) override { mWholeWord = wholeWord; }
    void setMatchWildcards(bool wildcards) override { mWildcards = wildcards; }
    void setMatchSoundsLike(bool soundsLike) override { mSoundsLike = soundsLike; }
    void setMatchAllWordForms(bool allWordForms) override { mAllWordForms = allWordForms; }
    void execute(Replace replace) override;
    void execute(const QString& findText, const QString& replaceWith, Replace replace) override;

private:
    const SessionContext& mSession;
    TextStory& mStory;
    QString mText;
    QString mReplacement;
    bool mMatchCase = false;
    bool mWholeWord = false;
    bool mWildcards = false;
    bool mSoundsLike = false;
    bool mAllWordForms = false;
};

class WriterRange final : public Range {
public:
    /// `storyType` as Word numbers its stories (see Range::storyType).
    WriterRange(WriterDocument& document, std::shared_ptr<TextStory> story, int storyType);
    Find& find() override { return mFind; }
    void copyAsPicture() override;
    QString text() override;
    int storyType() override { return mStoryType; }
    std::vector<QString> tableTexts() override;
    std::vector<ParagraphText> paragraphs() override;
    void deleteText(int fromParagraph, qsizetype fromOffset, int toParagraph,
                    qsizetype toOffset) override;
    TextStory& story() { return *mStory; }
    WriterDocument& document() { return mDocument; }

private:
    WriterDocument& mDocument;
    std::shared_ptr<TextStory> mStory;
    WriterFind mFind;
    int mStoryType;
};

class WriterShape final : public Shape {
public:
    /// A shape without text has no story.
    WriterShape(WriterDocument& document, std::shared_ptr<TextStory> story, bool textBox);
    bool hasText() override;
    Range& textRange() override;
    /// A text frame or a text box (as opposed to a drawing shape's own text or no text).
    bool isTextBox() const { return mTextBox; }
    const std::shared_ptr<TextStory>& story() const { return mStory; }

private:
    WriterDocument& mDocument;
    std::shared_ptr<TextStory> mStory;
    std::unique_ptr<WriterRange> mRange;
    bool mTextBox;
};

class WriterDocument final : public Document {
public:
    /// `pass` lets the office read the document's file for as long as it is open.
    WriterDocument(const SessionContext& session,
                   css::uno::Reference<css::lang::XComponent> component, QString path,
                   FileGate::Pass pass);
    ~WriterDocument() override;

    std::vector<Range*> storyRanges() override;
    std::vector<Shape*> shapes() override;
    Range& range() override;
    using Document::saveAs;
    void saveAs(const QString& path, SaveFormat format) override;
    void setTitle(const QString& title) override;
    void close() override;
    // Closing never saves here.
    void closeWithoutSaving() override { close(); }

    /// Writes the document with the engine's export filter `filterName`; `more` goes with the
    /// filter's name (such as its FilterData).
    void exportTo(const QString& path, const QString& filterName,
                  std::initializer_list<css::beans::PropertyValue> more = {});
    /// The range the session's selection searches: the main text.
    WriterRange& selectionRange();
    /// Renders page 1 and puts it on the clipboard.
    void copyFirstPageAsPicture();
    bool isClosed() const { return !mComponent.is(); }
    const SessionContext& session() const { return mSession; }
    /// Closes without reporting failures (a dead engine has nothing left to close).
    void closeQuietly();
    /// Keeps the engine from laying the document out again after every replacement; the
    /// layout is made once, when the document is first written or drawn.
    void holdLayout();

private:
    void requireOpen() const;
    /// Writes every story's pending replacements and lets the layout follow: before the
    /// document is stored or drawn.
    void prepareOutput();
    void discoverStories();
    void discoverHeadersAndFooters();
    void discoverNotes();
    void addStory(const css::uno::Reference<css::text::XText>& text, int storyType);
    void discoverShapes();
    std::shared_ptr<TextStory> mainStory();
    WriterRange& mainRange(std::unique_ptr<WriterRange>& range);

    const SessionContext& mSession;
    css::uno::Reference<css::lang::XComponent> mComponent;
    QString mPath;
    FileGate::Pass mPass;
    std::shared_ptr<TextStory> mMain;
    std::vector<std::shared_ptr<TextStory>> mStories; // every story made, released on close
    std::vector<std::unique_ptr<WriterRange>> mStoryRanges;
    bool mStoriesKnown = false;
    std::vector<std::unique_ptr<WriterShape>> mShapes;
    bool mShapesKnown = false;
    std::unique_ptr<WriterRange> mWholeRange;
    std::unique_ptr<WriterRange> mSelection;
    int mPictureCount = 0;
    bool mLayoutHeld = false;
};

class WriterApplication final : public Application {
public:
    WriterApplication(std::shared_ptr<OfficeProcess> office, Clipboard& clipboard,
                      PictureSize pictureSize);
    ~WriterApplication() override;

    Document& open(const QString& path, bool readOnly) override;
    Range& selection() override;
    void setDisplayAlerts(bool displayAlerts) override { mDisplayAlerts = displayAlerts; }
    Document& activeDocument() override;
    void quit() override;

private:
    WriterDocument& active();

    SessionContext mSession;
    std::vector<std::unique_ptr<WriterDocument>> mDocuments;
    bool mDisplayAlerts = true;
};

} // namespace brindlecast::engine::writer
