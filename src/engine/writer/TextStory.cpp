#include "TextStory.h"

#include "UnoSupport.h"

#include <QtGlobal>
#include <algorithm>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <com/sun/star/text/XTextRangeCompare.hpp>
#include <com/sun/star/text/XTextTable.hpp>
#include <limits>

namespace brindlecast::engine::writer {

using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

namespace {

// A replacement holding one of these changes the paragraph structure (a new paragraph, a line
// the engine stores differently), so the kept copy of the text is read again afterwards.
bool reshapesText(const QString& value) {
    return std::any_of(value.begin(), value.end(), [](QChar c) {
        return c.unicode() < 0x20 || c.unicode() == 0x2028 || c.unicode() == 0x2029;
    });
}

} // namespace

TextStory::TextStory(Reference<css::text::XText> text, Kind kind)
    : mText(std::move(text))
    , mKind(kind) {}

TextStory::~TextStory() = default;

void TextStory::keep(const Reference<css::uno::XInterface>& object) {
    if (mKind == Kind::Shape && object.is())
        mKeepAlive.push_back(object);
}

qsizetype TextStory::cursorSteps(QStringView text) const {
    return mKind == Kind::Writer ? codePointCount(text) : text.size();
}

QString TextStory::readParagraph(const Reference<css::text::XText>& owner,
                                 const Reference<css::text::XTextRange>& paragraph) {
    const Reference<css::container::XEnumerationAccess> access(paragraph, UNO_QUERY_THROW);
    const Reference<css::container::XEnumeration> portions = access->createEnumeration();
    keep(portions);
    Reference<css::text::XTextRangeCompare> compare;
    QString content;
    while (portions->hasMoreElements()) {
        const Reference<css::text::XTextRange> portion(portions->nextElement(), UNO_QUERY);
        if (!portion.is())
            continue;
        keep(portion);
        const Reference<css::beans::XPropertySet> properties(portion, UNO_QUERY_THROW);
        OUString type;
        properties->getPropertyValue(OUString("TextPortionType")) >>= type;
        if (type == "Text") {
            content += toQString(portion->getString());
            continue;
        }
        // Fields, note marks and anchored objects occupy one position; bookmarks, soft page
        // breaks and other marks none. The portion's extent tells which, whatever its type.
        if (!compare.is())
            compare.set(owner, UNO_QUERY_THROW);
        const Reference<css::text::XTextRange> end = portion->getEnd();
        keep(end);
        if (compare->compareRegionStarts(portion, end) != 0)
            content += QChar(ObjectCharacter);
    }
    return content;
}

void TextStory::collect(const Reference<css::text::XText>& text, std::vector<Paragraph>& into,
                        bool exact, int table, int cell) {
    const Reference<css::container::XEnumerationAccess> access(text, UNO_QUERY_THROW);
    const Reference<css::container::XEnumeration> elements = access->createEnumeration();
    keep(elements);
    int tables = 0;
    while (elements->hasMoreElements()) {
        const css::uno::Any element = elements->nextElement();
        if (mKind == Kind::Writer) {
            const Reference<css::text::XTextTable> inner(element, UNO_QUERY);
            if (inner.is()) {
                // A table inside a cell belongs to the outer table.
                const int number = table >= 0 ? table : tables++;
                for (const OUString& name : inner->getCellNames()) {
                    const Reference<css::text::XText> cellText(inner->getCellByName(name),
                                                               UNO_QUERY);
                    if (cellText.is())
                        collect(cellText, into, exact, number, mCells++);
                }
                continue;
            }
        }
        const Reference<css::text::XTextRange> paragraph(element, UNO_QUERY);
        if (!paragraph.is())
            continue;
        keep(paragraph);
        into.push_back(
            {text, paragraph,
             EditedText(exact ? readParagraph(text, paragraph) : toQString(paragraph->getString())),
             exact, table, cell});
    }
}

// A paragraph's string holds every character of its text, with a field's or another object's
// own text where the exact text has one position: a hit in the exact text is a hit in the
// string too, so a string without one rules the paragraph out.
bool TextStory::readIfItMayHold(Paragraph& paragraph, const TextPattern& pattern) {
    if (paragraph.exact)
        return true;
    if (findHits(paragraph.text.text(), TextPattern{pattern.text, false, false}, true).empty())
        return false;
    paragraph.text = EditedText(readParagraph(paragraph.owner, paragraph.range));
    paragraph.exact = true;
    return true;
}

void TextStory::load() {
    if (mLoaded)
        return;
    mWholeText.reset();
    std::vector<Paragraph> paragraphs;
    collect(mText, paragraphs, false);
    mParagraphs = std::move(paragraphs);
    mLoaded = true;
}

bool TextStory::moveRight(const Reference<css::text::XTextCursor>& cursor, qsizetype steps,
                          bool select) const {
    // goRight takes a 16-bit count.
    while (steps > 0) {
        const auto step =
            sal_Int16(std::min<qsizetype>(steps, std::numeric_limits<sal_Int16>::max()));
        if (!cursor->goRight(step, select))
            return false;
        steps -= step;
    }
    return true;
}

bool TextStory::writeEdits(Paragraph& paragraph) {
    const QString& original = paragraph.text.original();
    bool inStep = true;
    const std::vector<EditedText::Edit> edits = paragraph.text.edits();
    // From the back: every span is then found by walking the paragraph's own text only, never
    // a value written a moment before.
    for (auto edit = edits.rbegin(); edit != edits.rend(); ++edit) {
        const QStringView replaced =
            QStringView(original).sliced(edit->start, edit->end - edit->start);
        const Reference<css::text::XTextCursor> cursor =
            paragraph.owner->createTextCursorByRange(paragraph.range->getStart());
        keep(cursor);
        // The selection must be exactly the span; otherwise the copy is out of step and
        // writing would damage text that is not ours to change.
        if (!moveRight(cursor, cursorSteps(QStringView(original).first(edit->start)), false) ||
            !moveRight(cursor, cursorSteps(replaced), true) ||
            toQString(cursor->getString()) != replaced) {
            inStep = false;
            continue;
        }
        cursor->setString(toOUString(edit->replacement));
    }
    paragraph.text.settle();
    return inStep;
}

int TextStory::replaceInParagraph(Paragraph& paragraph, const TextPattern& pattern,
                                  const QString& value, bool firstOnly) {
    if (!readIfItMayHold(paragraph, pattern))
        return 0;
    const std::vector<TextHit> hits = findHits(paragraph.text.text(), pattern, firstOnly);
    // From the back, so that the positions of the hits not yet replaced stay valid.
    for (auto hit = hits.rbegin(); hit != hits.rend(); ++hit)
        paragraph.text.replace(hit->position, hit->length, value);
    if (!hits.empty())
        mPending = true;
    return int(hits.size());
}

void TextStory::flush() {
    if (!mPending)
        return;
    mPending = false;
    bool inStep = true;
    // From the last paragraph: a value that splits a shape's paragraph renumbers only the
    // paragraphs after it, which are done by then.
    for (auto paragraph = mParagraphs.rbegin(); paragraph != mParagraphs.rend(); ++paragraph) {
        if (paragraph->text.edited() && !writeEdits(*paragraph))
            inStep = false;
    }
    if (!inStep) {
        qWarning(
            "Text engine: a paragraph could not be matched to its copy; a hit was left alone.");
        mLoaded = false;
    }
}

void TextStory::requireOpen() const {
    if (!mText.is())
        throw EngineError("The document is closed.");
}

// Reading a text paragraph by paragraph costs many calls into the engine; its whole string
// costs one. A text whose string does not hold the find text (in any case, as a part of a
// word or not) cannot hold a hit, so most texts are never read in full.
bool TextStory::mayHold(const TextPattern& pattern) {
    if (mLoaded)
        return true;
    if (!mWholeText)
        mWholeText = toQString(mText->getString());
    return !findHits(*mWholeText, TextPattern{pattern.text, false, false}, true).empty();
}

int TextStory::replace(const TextPattern& pattern, const QString* value, bool all) {
    requireOpen();
    if (!mayHold(pattern))
        return 0;
    load();
    int count = 0;
    if (!value) {
        for (Paragraph& paragraph : mParagraphs) {
            if (!readIfItMayHold(paragraph, pattern))
                continue;
            count += int(findHits(paragraph.text.text(), pattern, !all).size());
            if (!all && count > 0)
                break;
        }
        return count;
    }
    for (Paragraph& paragraph : mParagraphs) {
        count += replaceInParagraph(paragraph, pattern, *value, !all);
        if (!all && count > 0)
            break;
    }
    // A value that changes the paragraph structure is written at once and the copy read again.
    if (count > 0 && reshapesText(*value)) {
        flush();
        mLoaded = false;
    }
    return count;
}

// An object in a paragraph that holds no bracket cannot be inside a bracketed word.
void TextStory::markObjectsNearBrackets(Paragraph& paragraph) {
    if (!paragraph.exact && paragraph.text.text().contains(QLatin1Char('['))) {
        paragraph.text = EditedText(readParagraph(paragraph.owner, paragraph.range));
        paragraph.exact = true;
    }
}

// With objects marked near brackets only, the kept copy serves: it is what the document holds
// once the replacements are written, and a long text is read once for the text and its tables.
QString TextStory::plainText(Objects objects) {
    requireOpen();
    flush();
    std::vector<Paragraph> fresh;
    if (objects == Objects::Marked)
        collect(mText, fresh, true);
    else
        load();
    QString text;
    for (Paragraph& paragraph : objects == Objects::Marked ? fresh : mParagraphs) {
        if (objects == Objects::MarkedNearBrackets)
            markObjectsNearBrackets(paragraph);
        text += paragraph.text.text() + QLatin1Char('\n');
    }
    return text;
}

std::vector<QString> TextStory::tableTexts(Objects objects) {
    requireOpen();
    flush();
    std::vector<QString> tables;
    if (mKind != Kind::Writer)
        return tables;
    std::vector<Paragraph> fresh;
    if (objects == Objects::Marked)
        collect(mText, fresh, true);
    else
        load();
    for (Paragraph& paragraph : objects == Objects::Marked ? fresh : mParagraphs) {
        if (paragraph.table < 0)
            continue;
        if (objects == Objects::MarkedNearBrackets)
            markObjectsNearBrackets(paragraph);
        if (size_t(paragraph.table) >= tables.size())
            tables.resize(size_t(paragraph.table) + 1);
        tables[size_t(paragraph.table)] += paragraph.text.text() + QLatin1Char('\n');
    }
    for (QString& table : tables)
        table.chop(1);
    return tables;
}

bool TextStory::hasText() {
    requireOpen();
    flush();
    if (mLoaded)
        return !mText->getString().isEmpty();
    if (!mWholeText)
        mWholeText = toQString(mText->getString());
    return !mWholeText->isEmpty();
}

void TextStory::release() {
    mParagraphs.clear();
    mListed.clear();
    mLoaded = false;
    mPending = false;
    mWholeText.reset();
    mKeepAlive.clear();
    mText.clear();
}

} // namespace brindlecast::engine::writer
