// A range's paragraphs and the members that place and delete a range, as Word has them: a
// paragraph runs to its mark and takes it along; a table cell's last paragraph ends in the
// cell's mark "\r\a", and a row's end is a paragraph of its own, "\r\a" alone.
#include "Dispatch.h"
#include "Objects.h"

#include <algorithm>

namespace standin {

namespace {

struct Extent {
    long start = 0;
    long end = 0;
};

// The paragraphs that a range touches, each with its mark.
std::vector<Extent> paragraphsOf(const Where& where) {
    const std::wstring& text = where.story->text();
    const long size = static_cast<long>(text.size());
    std::vector<Extent> found;
    for (long start = 0; start < size;) {
        long end = static_cast<long>(text.find(L'\r', static_cast<size_t>(start)));
        end = end < 0 ? size : end + 1;
        if (end < size && text[static_cast<size_t>(end)] == L'\a')
            ++end;
        if (end > where.start() && (start < where.end() || start == where.start()))
            found.push_back({start, end});
        start = end;
    }
    return found;
}

class Paragraph final : public DispatchObject {
public:
    Paragraph(SessionPtr session, Where where)
        : DispatchObject(L"Paragraph", members())
        , mSession(std::move(session))
        , mWhere(std::move(where)) {}

private:
    static const std::vector<Member>& members() {
        static const std::vector<Member> table = {{1, L"Range", Get}};
        return table;
    }
    void invoke(const Member&, Access, Args&, VARIANT& result) override {
        mWhere.check();
        setObject(result, newRange(mSession, mWhere));
    }

    SessionPtr mSession;
    Where mWhere;
};

// Word's collection: Item(1 to Count) a method and the default member, Count, _NewEnum.
class Paragraphs final : public DispatchObject {
public:
    Paragraphs(SessionPtr session, Where where)
        : DispatchObject(L"Paragraphs", members())
        , mSession(std::move(session))
        , mWhere(std::move(where)) {}

private:
    enum : DISPID { Item = 0, Count = 1 };
    static const std::vector<Member>& members() {
        static const std::vector<Member> table = {{Item, L"Item", Call, 1, {L"Index"}},
                                                  {Count, L"Count", Get},
                                                  {DISPID_NEWENUM, L"_NewEnum", Get | Call}};
        return table;
    }

    IDispatch* at(const Extent& paragraph) {
        return new Paragraph(mSession, {mWhere.doc, mWhere.story,
                                        mWhere.story->track(paragraph.start, paragraph.end)});
    }

    void invoke(const Member& member, Access, Args& args, VARIANT& result) override {
        mWhere.check();
        const std::vector<Extent> paragraphs = paragraphsOf(mWhere);
        const long count = static_cast<long>(paragraphs.size());
        if (member.id == Count)
            return setLong(result, count);
        if (member.id == Item) {
            const long index = args.number(0);
            if (index < 1 || index > count)
                throw WordError{5941, L"The requested member of the collection does not exist."};
            return setObject(result, at(paragraphs[static_cast<size_t>(index - 1)]));
        }
        std::vector<IDispatch*> items;
        for (const Extent& paragraph : paragraphs)
            items.push_back(at(paragraph));
        result.vt = VT_UNKNOWN;
        result.punkVal = newEnumerator(std::move(items));
    }

    SessionPtr mSession;
    Where mWhere;
};

} // namespace

IDispatch* newParagraphs(SessionPtr session, Where where) {
    return new Paragraphs(std::move(session), std::move(where));
}

Where duplicateOf(const Where& where) {
    return {where.doc, where.story, where.story->track(where.start(), where.end())};
}

// Word puts a start or end beyond the story at its end, and an end before the start at the
// start.
void setRange(Where& where, long start, long end) {
    const long size = static_cast<long>(where.story->text().size());
    start = std::clamp(start, 0L, size);
    end = std::clamp(end, start, size);
    where.span = where.story->track(start, end);
}

// A collapsed range deletes the character after it, as the Delete key does. The story's last
// paragraph mark and the marks of table cells and rows stay: Word empties a cell, never
// removes it with Range.Delete.
long deleteRange(const Where& where) {
    const std::wstring& text = where.story->text();
    long start = where.start();
    long end = std::max(where.end(), std::min(start + 1, static_cast<long>(text.size())));
    if (end == static_cast<long>(text.size()) && end > start && text.back() == L'\r')
        --end;
    const auto mark = [&text](long at) {
        const auto c = text[static_cast<size_t>(at)];
        return c == L'\a' || (c == L'\r' && at + 1 < static_cast<long>(text.size()) &&
                              text[static_cast<size_t>(at + 1)] == L'\a');
    };
    long deleted = 0;
    for (long at = end; at > start;) {
        if (mark(at - 1)) {
            --at;
            continue;
        }
        long from = at;
        while (from > start && !mark(from - 1))
            --from;
        where.doc->edit(*where.story, from, at - from, L"");
        deleted += at - from;
        at = from;
    }
    return deleted;
}

} // namespace standin
