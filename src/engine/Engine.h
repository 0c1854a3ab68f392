#pragma once

#include <QString>
#include <memory>
#include <stdexcept>
#include <vector>

// The surface that generation drives. It mirrors the handful of word-processor automation calls
// the generation run makes, one virtual call per automation call, so that the run reads like its
// numbered steps and a second back-end (Word through COM) is a new folder, not a rewrite.
namespace brindlecast::engine {

/// Any failure of the engine; what() is a sentence a user can read.
class EngineError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Application::open failed on the document itself: it is damaged, it is not what it seems, or
/// it stopped the engine while it was being opened. reason() says why without naming the file,
/// for a message that names it as the user knows it.
class OpenError : public EngineError {
public:
    OpenError(const QString& path, const QString& reason)
        : EngineError(
              QStringLiteral("Cannot open the document %1: %2.").arg(path, reason).toStdString())
        , mReason(reason) {}
    const QString& reason() const { return mReason; }

private:
    QString mReason;
};

/// The "FileFormat" argument of a document's SaveAs, numbered as the word processor numbers it,
/// so that a back-end on that word processor passes it on unchanged.
enum class SaveFormat { Doc = 0, Docx = 12, Pdf = 17, Odt = 23 };

/// The "Replace" argument of a find's Execute.
enum class Replace { None = 0, One = 1, All = 2 };

/// A range's find object. Settings persist between calls, as they do in the word processor.
/// Matching is literal (no wildcards, no escape sequences): the replacement text is inserted
/// exactly as given, whatever its length or characters.
class Find {
public:
    virtual ~Find() = default;
    virtual void clearFormatting() = 0;
    /// Find.Replacement.ClearFormatting
    virtual void clearReplacementFormatting() = 0;
    virtual void setText(const QString& text) = 0;
    /// Find.Replacement.Text
    virtual void setReplacementText(const QString& text) = 0;
    virtual void setForward(bool forward) = 0;
    virtual void setWrap(int wrap) = 0;
    virtual void setFormat(bool format) = 0;
    virtual void setMatchCase(bool matchCase) = 0;
    virtual void setMatchWholeWord(bool wholeWord) = 0;
    virtual void setMatchWildcards(bool wildcards) = 0;
    virtual void setMatchSoundsLike(bool soundsLike) = 0;
    virtual void setMatchAllWordForms(bool allWordForms) = 0;
    /// Execute with the settings made so far.
    virtual void execute(Replace replace) = 0;
    /// Execute with this find text and replacement; every other setting keeps its value.
    virtual void execute(const QString& findText, const QString& replaceWith, Replace replace) = 0;
};

/// A story range, the selection, a shape's text or the whole main text.
class Range {
public:
    virtual ~Range() = default;
    virtual Find& find() = 0;
    /// Puts a picture of the range's first page on the clipboard.
    virtual void copyAsPicture() = 0;
    /// Range.Text: the range's text now; paragraphs separated by '\n'.
    virtual QString text() = 0;
    /// Range.StoryType, numbered as Word's WdStoryType (1 main text, 2 footnotes, 3 endnotes, 5
    /// text frame, 6 even-pages header, 7 primary header, 8 even-pages footer, 9 primary footer, 10
    /// first-page header, 11 first-page footer); a shape's text range answers 5.
    virtual int storyType() = 0;
    /// Range.Tables: the text of each table in the range, in document order.
    virtual std::vector<QString> tableTexts() = 0;
};

/// A floating shape (text box or drawing shape) of the document.
class Shape {
public:
    virtual ~Shape() = default;
    /// TextFrame.HasText
    virtual bool hasText() = 0;
    /// TextFrame.TextRange
    virtual Range& textRange() = 0;
};

/// An open document. Ranges and shapes it hands out stay valid until it is closed.
class Document {
public:
    virtual ~Document() = default;
    /// Every story of the document: main text, headers and footers, notes, text boxes.
    virtual std::vector<Range*> storyRanges() = 0;
    virtual std::vector<Shape*> shapes() = 0;
    /// The whole main text.
    virtual Range& range() = 0;
    /// SaveAs with a FileFormat: writes the document to `path` in `format`. A PDF carries the
    /// document's title, is tagged for screen readers and embeds every font it uses.
    virtual void saveAs(const QString& path, SaveFormat format) = 0;
    /// SaveAs without a FileFormat: the word processor's default format, Word 97-2003 .doc.
    void saveAs(const QString& path) { saveAs(path, SaveFormat::Doc); }
    /// BuiltInDocumentProperties("Title"): saved with the document and passed on by every
    /// format that has a title.
    virtual void setTitle(const QString& title) = 0;
    /// Closes the document without saving it again.
    virtual void close() = 0;
    /// Close with SaveChanges = 0: closes it without saving, whatever changed since it was
    /// opened.
    virtual void closeWithoutSaving() = 0;
};

/// One automation session ("Word.Application"). Destroying it without quit() also ends it.
class Application {
public:
    virtual ~Application() = default;
    /// Documents.Open. The document is owned by the application and becomes the active one.
    virtual Document& open(const QString& path, bool readOnly) = 0;
    /// The selection of the active document; its find covers the main text. The active
    /// document is always the one this session opened last: never a document the user opened
    /// in the same word processor.
    virtual Range& selection() = 0;
    virtual void setDisplayAlerts(bool displayAlerts) = 0;
    /// The document this session opened last and has not closed.
    virtual Document& activeDocument() = 0;
    /// Closes every document of this session.
    virtual void quit() = 0;
};

/// Ends a session whose work is over or failed; a session that is already gone is not news.
inline void QuitQuietly(std::unique_ptr<Application>& application) noexcept {
    if (!application)
        return;
    try {
        application->quit();
    } catch (...) {
    }
    application.reset();
}

/// Creates automation sessions: CreateObject("Word.Application").
class Engine {
public:
    virtual ~Engine() = default;
    /// Throws EngineError when no session can be had (engine missing, failing to start).
    virtual std::unique_ptr<Application> createApplication() = 0;
    /// Ends the engine's process at once; callable from any thread. A request that is under
    /// way fails, and the next session starts a fresh engine. For an engine that stops
    /// answering.
    virtual void stop() noexcept = 0;
    /// True when a request that stop() did not end may be given up and left on its thread: the
    /// engine then sees to it that the request never returns to its caller. An engine that must
    /// not be ended (a word processor the user has come to use) needs this; the others are
    /// waited for.
    virtual bool requestsCanBeAbandoned() const noexcept { return false; }
    /// What the user should be told beside the failure of a request that stop() ended (what to
    /// do about an engine that was waiting for an answer nobody could give); empty when there
    /// is nothing to add.
    virtual QString stopNote() const { return {}; }
};

/// The size of the page picture that Range::copyAsPicture puts on the clipboard: the page's
/// width in logical pixels at zoom 1, and how many device pixels each logical pixel gets. The
/// picture records its resolution (96 dpi times the scale) so that its size in twips is known.
struct PictureSize {
    int logicalWidth = 580;
    int scale = 2;
};

} // namespace brindlecast::engine
