// Word's documents, their stories, shapes and ranges.
#include "FindText.h"
#include "WordObjects.h"

#include <QDir>
#include <QTemporaryDir>

namespace brindlecast::engine::word {

namespace {

// Range.Text ends a paragraph with a carriage return, and a table's cell and row each with a
// carriage return and a bell: a cell is a paragraph of its own, a row's end is no text.
QString plainText(const QString& text) {
    QString plain;
    plain.reserve(text.size());
    bool cellEnded = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool mark = text[i] == QLatin1Char('\r');
        const bool bell = mark && i + 1 < text.size() && text[i + 1] == QChar(0x07);
        if (bell && cellEnded) {
            cellEnded = false;
        } else if (mark) {
            plain += QLatin1Char('\n');
            cellEnded = bell;
        } else if (text[i] != QChar(0x07)) {
            plain += text[i];
            cellEnded = false;
        }
        i += bell ? 1 : 0;
    }
    return plain;
}

// Objects of ours for the members of a collection, reused from one walk to the next so that
// what the caller holds stays valid; each takes the Word object of its place afresh.
template <class Ours>
std::vector<Ours*> rebind(std::vector<std::unique_ptr<Ours>>& ours,
                          const std::vector<Dispatch>& members, Session& session) {
    while (ours.size() < members.size())
        ours.push_back(std::make_unique<Ours>(session));
    std::vector<Ours*> bound;
    for (size_t i = 0; i < ours.size(); ++i) {
        if (i < members.size()) {
            ours[i]->bind(members[i]);
            bound.push_back(ours[i].get());
        } else {
            ours[i]->release();
        }
    }
    return bound;
}

} // namespace

void WordRange::release() noexcept {
    mFind.release();
    mRange.reset();
}

Find& WordRange::find() {
    mFind.bind(mRange.object(L"Find"));
    return mFind;
}

QString WordRange::text() {
    return plainText(mRange.get(L"Text").toString());
}

int WordRange::storyType() {
    return mRange.get(L"StoryType").toInt();
}

std::vector<QString> WordRange::tableTexts() {
    std::vector<QString> texts;
    for (const Dispatch& table : mRange.object(L"Tables").members()) {
        QString text = plainText(table.object(L"Range").get(L"Text").toString());
        if (text.endsWith(QLatin1Char('\n')))
            text.chop(1);
        texts.push_back(text);
    }
    return texts;
}

void WordShape::release() noexcept {
    mRange.release();
    mShape.reset();
}

bool WordShape::hasText() {
    // Lines, pictures, groups and canvases may have no text frame Word will hand out: a shape
    // without text, not a failed run.
    try {
        return mShape.object(L"TextFrame").get(L"HasText").toBool();
    } catch (const WordRefusal&) {
        return false;
    }
}

Range& WordShape::textRange() {
    mRange.bind(mShape.object(L"TextFrame").object(L"TextRange"));
    return mRange;
}

WordDocument::WordDocument(Session& session, Dispatch document)
    : mSession(session)
    , mDocument(std::move(document))
    , mWhole(session) {}

void WordDocument::release() noexcept {
    for (const auto& story : mStories)
        story->release();
    for (const auto& shape : mShapes)
        shape->release();
    mWhole.release();
    mDocument.reset();
    mMacroFree.reset();
}

Dispatch WordDocument::mainText() const {
    return mDocument.callObject(L"Range");
}

std::vector<Range*> WordDocument::storyRanges() {
    const std::vector<WordRange*> stories =
        rebind(mStories, mDocument.object(L"StoryRanges").members(), mSession);
    return {stories.begin(), stories.end()};
}

std::vector<Shape*> WordDocument::shapes() {
    const std::vector<WordShape*> shapes =
        rebind(mShapes, mDocument.object(L"Shapes").members(), mSession);
    return {shapes.begin(), shapes.end()};
}

Range& WordDocument::range() {
    mWhole.bind(mDocument.callObject(L"Range"));
    return mWhole;
}

void WordDocument::saveAs(const QString& path, SaveFormat format) {
    const Variant file = Variant::string(QDir::toNativeSeparators(path));
    if (format == SaveFormat::Pdf)
        return exportPdf(file);
    // A .docx cannot hold a macro project and Word leaves it out; a .doc (and, for all Word
    // says, an .odt) would carry the template's on.
    if (format != SaveFormat::Docx && holdsMacroProject())
        leaveMacroProjectBehind();
    // A SaveAs without a format keeps the format of what was opened, and the look's template
    // is opened itself: a .doc is asked for as a document, or it would be a template under a
    // .doc name. The old SaveAs knows .doc; the other formats need SaveAs2 (Word 2010 on).
    if (format == SaveFormat::Doc)
        mDocument.call(L"SaveAs", {file}, {{L"FileFormat", Variant::int32(DocumentFormat)}});
    else
        mDocument.call(L"SaveAs2", {},
                       {{L"FileName", file}, {L"FileFormat", Variant::int32(int(format))}});
    // Word holds the file it saved now, no longer the macro-free copy.
    mMacroFree.reset();
}

bool WordDocument::holdsMacroProject() const {
    try {
        return mDocument.get(L"HasVBProject").toBool();
    } catch (const WordRefusal&) {
        return true; // a Word that cannot say goes the safe way
    }
}

// Word's way to a document without its macro project: saved in a format that cannot hold one
// (HasVBProject is there to tell when that would lose a project), closed, since Word keeps the
// project of a document it has open, and opened again from what was saved. It stays the
// document the caller has, with its text, shapes and title.
void WordDocument::leaveMacroProjectBehind() {
    // In TEMP, where the program keeps every working file of its own.
    QString temp = QDir::fromNativeSeparators(qEnvironmentVariable("TEMP"));
    if (temp.isEmpty())
        temp = QDir::tempPath();
    auto folder = std::make_unique<QTemporaryDir>(temp + QStringLiteral("/brindlecast-XXXXXX"));
    if (!folder->isValid())
        throw EngineError(QStringLiteral("No working folder can be made in %1 to leave the "
                                         "template's macros out of the newsletter.")
                              .arg(QDir::toNativeSeparators(temp))
                              .toStdString());
    const QString copy = folder->filePath(QStringLiteral("newsletter.docx"));
    mDocument.call(L"SaveAs2", {},
                   {{L"FileName", Variant::string(QDir::toNativeSeparators(copy))},
                    {L"FileFormat", Variant::int32(MacroFreeFormat)}});
    mDocument.call(L"Close", {}, {{L"SaveChanges", Variant::int16(0)}});
    closed();
    mDocument = mSession.open(copy, true);
    ++mSession.openDocuments;
    mMacroFree = std::move(folder);
    if (holdsMacroProject())
        throw EngineError("Word kept the template's macros in a document saved without them, so "
                          "the newsletter was not saved.");
}

// SaveAs2's PDF leaves to Word's defaults what the newsletter's PDF promises: the title,
// tags for screen readers, and fonts that cannot be embedded drawn rather than swapped.
void WordDocument::exportPdf(const Variant& file) {
    mDocument.call(L"ExportAsFixedFormat", {},
                   {{L"OutputFileName", file},
                    {L"ExportFormat", Variant::int32(ExportPdf)},
                    {L"OpenAfterExport", Variant::boolean(false)},
                    {L"OptimizeFor", Variant::int32(OptimizeForPrint)},
                    {L"IncludeDocProps", Variant::boolean(true)},
                    {L"DocStructureTags", Variant::boolean(true)},
                    {L"BitmapMissingFonts", Variant::boolean(true)}});
}

void WordDocument::setTitle(const QString& title) {
    // A document property holds at most 255 characters; the title is only a label of the file.
    QString shown = title.left(WordTextLimit);
    if (shown.size() < title.size() && shown.back().isHighSurrogate())
        shown.chop(1);
    // BuiltInDocumentProperties takes no argument in Word's type library; VB's
    // BuiltInDocumentProperties("Title") is its default member, Item, in disguise.
    mDocument.object(L"BuiltInDocumentProperties")
        .object(L"Item", {Variant::string(QStringLiteral("Title"))})
        .put(L"Value", Variant::string(shown));
}

void WordDocument::close() {
    mDocument.call(L"Close");
    closed();
}

void WordDocument::closeWithoutSaving() {
    mDocument.call(L"Close", {}, {{L"savechanges", Variant::int16(0)}});
    closed();
}

void WordDocument::closed() {
    --mSession.openDocuments;
    release();
}

} // namespace brindlecast::engine::word
