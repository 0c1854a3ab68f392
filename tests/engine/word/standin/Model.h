#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

// The document the calls change: stories of text (paragraphs end in "\r" as in Word), the
// floating shapes, a table in the main text, and the built-in properties.
namespace standin {

// Word's WdStoryType numbers of the stories the model has.
enum StoryType {
    MainText = 1,
    TextFrame = 5,
    PrimaryHeader = 7,
    PrimaryFooter = 9,
    FirstPageHeader = 10
};

/// Part of a story, kept in step with edits of the story.
struct Span {
    long start = 0;
    long end = 0;
};

class Story {
public:
    Story(int type, std::wstring text)
        : mType(type)
        , mText(std::move(text)) {}
    int type() const { return mType; }
    const std::wstring& text() const { return mText; }
    /// A span of this story that later edits move and stretch as Word moves a range.
    std::shared_ptr<Span> track(long start, long end);
    void replace(long position, long length, const std::wstring& with);

private:
    int mType;
    std::wstring mText;
    std::vector<std::weak_ptr<Span>> mSpans;
};

struct ShapeModel {
    std::wstring name;
    /// Null for a shape whose frame holds no text (a line).
    std::shared_ptr<Story> text;
};

/// What ExportAsFixedFormat was asked to put into a PDF beside the text.
struct ExportOptions {
    bool docProps = false;
    bool structureTags = false;
    bool bitmapMissingFonts = false;
    long optimizeFor = 0;
};

struct DocModel {
    std::wstring path;
    bool readOnly = false;
    bool closed = false;
    bool dirty = false;
    /// A document the user opened in this Word: the client must never write into it or close
    /// it.
    bool users = false;
    /// It holds a macro project (HasVBProject): a Word 97-2003 file with a "Macros" storage,
    /// or a saved document that kept one.
    bool vbaProject = false;
    /// The FileFormat it was last saved with (0 when SaveAs got none).
    long fileFormat = 0;
    /// The main text and the headers and footers, by story type.
    std::map<int, std::shared_ptr<Story>> stories;
    std::vector<ShapeModel> shapes;
    /// Spans of the main text.
    std::vector<std::shared_ptr<Span>> tables;
    /// Built-in properties by Word's English names ("Title").
    std::map<std::wstring, std::wstring> properties;
    /// The open file, held as Word holds it: others may read it but not delete it.
    std::shared_ptr<void> lock;

    /// Opens one of the stand-in's saved documents, or starts from the built-in model for any
    /// Word file (an OLE compound file); WordError otherwise.
    static std::shared_ptr<DocModel> open(const std::wstring& path, bool readOnly);
    /// Writes the saved-document format; WordError when the file cannot be written. An export
    /// records its options, and carries the properties only when asked to.
    void save(const std::wstring& path, long fileFormat,
              const ExportOptions* exported = nullptr) const;
    /// True for the formats that cannot hold a macro project: Word leaves it out of the file.
    static bool macroFree(long fileFormat);

    /// Every story once, in Word's story-type order; the text-frame story is the first text
    /// box's text.
    std::vector<std::shared_ptr<Story>> storyRanges() const;
    /// The file name after the last separator.
    std::wstring name() const;
    /// Holds `file` open as Word does while the document is open; releases the file before.
    void hold(const std::wstring& file);
    /// Every change of a story; one of a document of the user's is logged as a finding.
    void edit(Story& story, long position, long length, const std::wstring& with);
};

} // namespace standin
