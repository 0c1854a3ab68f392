#pragma once

#include "Automation.h"
#include "engine/Engine.h"

#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace brindlecast {
class Clipboard;
}

// The engine's objects over Word's: each interface call is the Word member of the same name.
// An object of ours stays valid as long as its session; the Word object behind it is fetched
// afresh where the calling code fetches it afresh, and released with the session.
namespace brindlecast::engine::word {

class ServerProcess;

/// What the objects of one session share.
struct Session {
    Clipboard& clipboard;
    PictureSize pictureSize;
    /// The documents this session opened and has not closed: Word holding more than these
    /// holds the user's too.
    int openDocuments = 0;
    /// Documents.Open as this session opens every file: quietly (WordApplication::openQuietly).
    std::function<Dispatch(const QString& path, bool readOnly)> open;
};

class WordFind final : public Find {
public:
    /// The find object the range's "Find" gave last.
    void bind(Dispatch find) { mFind = std::move(find); }
    void release() noexcept { mFind.reset(); }

    void clearFormatting() override;
    void clearReplacementFormatting() override;
    void setText(const QString& text) override;
    void setReplacementText(const QString& text) override;
    void setForward(bool forward) override;
    void setWrap(int wrap) override;
    void setFormat(bool format) override;
    void setMatchCase(bool matchCase) override;
    void setMatchWholeWord(bool wholeWord) override;
    void setMatchWildcards(bool wildcards) override;
    void setMatchSoundsLike(bool soundsLike) override;
    void setMatchAllWordForms(bool allWordForms) override;
    void execute(Replace replace) override;
    void execute(const QString& findText, const QString& replaceWith, Replace replace) override;

private:
    void setFlag(const wchar_t* name, bool on);
    void setReplacementPiece(const QString& text);

    Dispatch mFind;
    // What the caller set, as Word holds it, for the rest of a replacement too long for Word.
    std::optional<QString> mText;
    std::vector<QString> mPieces;
};

class WordRange final : public Range {
public:
    explicit WordRange(Session& session)
        : mSession(session) {}
    void bind(Dispatch range) { mRange = std::move(range); }
    void release() noexcept;

    /// Fetches the range's "Find" afresh.
    Find& find() override;
    void copyAsPicture() override;
    QString text() override;
    int storyType() override;
    std::vector<QString> tableTexts() override;

private:
    Session& mSession;
    Dispatch mRange;
    WordFind mFind;
};

class WordShape final : public Shape {
public:
    explicit WordShape(Session& session)
        : mRange(session) {}
    void bind(Dispatch shape) { mShape = std::move(shape); }
    void release() noexcept;

    bool hasText() override;
    /// Fetches "TextFrame" then "TextRange" afresh.
    Range& textRange() override;

private:
    Dispatch mShape;
    WordRange mRange;
};

class WordDocument final : public Document {
public:
    WordDocument(Session& session, Dispatch document);
    void release() noexcept;
    bool isOpen() const { return bool(mDocument); }
    /// Range() without limits: the whole main text, as a fresh Word object.
    Dispatch mainText() const;

    std::vector<Range*> storyRanges() override;
    std::vector<Shape*> shapes() override;
    Range& range() override;
    using Document::saveAs;
    void saveAs(const QString& path, SaveFormat format) override;
    void setTitle(const QString& title) override;
    void close() override;
    void closeWithoutSaving() override;

private:
    /// WdSaveFormat's wdFormatDocument: Word 97-2003, whatever was opened.
    static constexpr int DocumentFormat = 0;
    /// WdExportFormat's wdExportFormatPDF and WdExportOptimizeFor's wdExportOptimizeForPrint.
    static constexpr int ExportPdf = 17;
    static constexpr int OptimizeForPrint = 0;
    /// WdSaveFormat's wdFormatXMLDocument: a .docx, which cannot hold a macro project.
    static constexpr int MacroFreeFormat = 12;
    void exportPdf(const Variant& file);
    bool holdsMacroProject() const;
    void leaveMacroProjectBehind();
    void closed();

    Session& mSession;
    Dispatch mDocument;
    /// The macro-free copy this document was reopened from, while Word holds it open.
    std::unique_ptr<QTemporaryDir> mMacroFree;
    std::vector<std::unique_ptr<WordRange>> mStories;
    std::vector<std::unique_ptr<WordShape>> mShapes;
    WordRange mWhole;
};

class WordApplication final : public Application {
public:
    WordApplication(Dispatch application, std::shared_ptr<ServerProcess> process, Session session);
    /// Quits Word unless quit() was called; every interface is released either way.
    ~WordApplication() override;
    WordApplication(const WordApplication&) = delete;
    WordApplication& operator=(const WordApplication&) = delete;

    Document& open(const QString& path, bool readOnly) override;
    Range& selection() override;
    void setDisplayAlerts(bool displayAlerts) override;
    Document& activeDocument() override;
    void quit() override;

private:
    /// MsoAutomationSecurity's msoAutomationSecurityForceDisable.
    static constexpr int MacrosForceDisabled = 3;
    /// MsoFileValidationMode's msoFileValidationSkip.
    static constexpr int SkipFileValidation = 1;
    /// WdSaveOptions' wdDoNotSaveChanges.
    static constexpr short DoNotSaveChanges = 0;
    Dispatch openQuietly(const QString& path, bool readOnly);
    void prepareOpening();
    WordDocument& ours();
    void releaseAll() noexcept;
    bool isUsersWord();
    void leaveToUser();

    Session mSession;
    Dispatch mApplication;
    std::shared_ptr<ServerProcess> mProcess;
    std::vector<std::unique_ptr<WordDocument>> mDocuments;
    WordRange mSelection;
    bool mQuitTried = false;
    bool mPrepared = false;
};

} // namespace brindlecast::engine::word
