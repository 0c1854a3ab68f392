#include "Control.h"
#include "Dispatch.h"
#include "Objects.h"

namespace standin {

namespace {

[[noreturn]] void noSuchMember() {
    throw WordError{5941, L"The requested member of the collection does not exist."};
}

// Word's collections: Item is the default member and a method, indexes start at 1, and
// _NewEnum hands out an IEnumVARIANT.
class Collection : public DispatchObject {
public:
    explicit Collection(const wchar_t* name)
        : DispatchObject(name, members()) {}

protected:
    virtual long count() = 0;
    virtual IDispatch* item(const Args& args) = 0;
    virtual IDispatch* at(long index) = 0;

private:
    enum : DISPID { Item = 0, Count = 1 };
    static const std::vector<Member>& members() {
        static const std::vector<Member> table = {{Item, L"Item", Call, 1, {L"Index"}},
                                                  {Count, L"Count", Get},
                                                  {DISPID_NEWENUM, L"_NewEnum", Get | Call}};
        return table;
    }

    void invoke(const Member& member, Access, Args& args, VARIANT& result) override {
        if (member.id == Count)
            return setLong(result, count());
        if (member.id == Item)
            return setObject(result, item(args));
        std::vector<IDispatch*> items;
        for (long i = 1, n = count(); i <= n; ++i)
            items.push_back(at(i));
        result.vt = VT_UNKNOWN;
        result.punkVal = newEnumerator(std::move(items));
    }
};

class StoryRanges final : public Collection {
public:
    StoryRanges(SessionPtr session, DocPtr doc)
        : Collection(L"StoryRanges")
        , mSession(std::move(session))
        , mDoc(std::move(doc)) {}

private:
    long count() override { return static_cast<long>(stories().size()); }
    IDispatch* at(long index) override {
        return newRange(mSession, {mDoc, stories()[static_cast<size_t>(index - 1)], nullptr});
    }
    // Indexed by WdStoryType, not by position.
    IDispatch* item(const Args& args) override {
        const long type = args.number(0);
        for (const auto& story : stories())
            if (story->type() == type)
                return newRange(mSession, {mDoc, story, nullptr});
        noSuchMember();
    }
    std::vector<std::shared_ptr<Story>> stories() {
        Where{mDoc, nullptr, nullptr}.check();
        return mDoc->storyRanges();
    }

    SessionPtr mSession;
    DocPtr mDoc;
};

class TextFrame final : public DispatchObject {
public:
    TextFrame(SessionPtr session, DocPtr doc, std::shared_ptr<Story> text)
        : DispatchObject(L"TextFrame", members())
        , mSession(std::move(session))
        , mDoc(std::move(doc))
        , mText(std::move(text)) {}

private:
    enum : DISPID { HasText = 1, TextRange = 2 };
    static const std::vector<Member>& members() {
        static const std::vector<Member> table = {{HasText, L"HasText", Get},
                                                  {TextRange, L"TextRange", Get}};
        return table;
    }

    void invoke(const Member& member, Access, Args&, VARIANT& result) override {
        Where{mDoc, mText, nullptr}.check();
        if (member.id == HasText)
            return setBool(result,
                           mText && mText->text().find_first_not_of(L'\r') != std::wstring::npos);
        if (!mText)
            throw WordError{4605, L"This object does not support attached text."};
        setObject(result, newRange(mSession, {mDoc, mText, nullptr}));
    }

    SessionPtr mSession;
    DocPtr mDoc;
    std::shared_ptr<Story> mText;
};

class Shape final : public DispatchObject {
public:
    Shape(SessionPtr session, DocPtr doc, size_t index)
        : DispatchObject(L"Shape", members())
        , mSession(std::move(session))
        , mDoc(std::move(doc))
        , mIndex(index) {}

private:
    enum : DISPID { Name = 1, Frame = 2 };
    static const std::vector<Member>& members() {
        static const std::vector<Member> table = {{Name, L"Name", Get}, {Frame, L"TextFrame", Get}};
        return table;
    }

    void invoke(const Member& member, Access, Args&, VARIANT& result) override {
        Where{mDoc, nullptr, nullptr}.check();
        const ShapeModel& shape = mDoc->shapes.at(mIndex);
        if (member.id == Name)
            return setString(result, shape.name);
        // Word's lines and pictures may have no usable text frame at all.
        if (!shape.text && control::strict().lineFrames)
            throw WordError{4608, L"The specified value is out of range."};
        setObject(result, new TextFrame(mSession, mDoc, shape.text));
    }

    SessionPtr mSession;
    DocPtr mDoc;
    size_t mIndex;
};

class Shapes final : public Collection {
public:
    Shapes(SessionPtr session, DocPtr doc)
        : Collection(L"Shapes")
        , mSession(std::move(session))
        , mDoc(std::move(doc)) {}

private:
    long count() override {
        Where{mDoc, nullptr, nullptr}.check();
        return static_cast<long>(mDoc->shapes.size());
    }
    IDispatch* at(long index) override {
        return new Shape(mSession, mDoc, static_cast<size_t>(index - 1));
    }
    // By position from 1, or by the shape's name.
    IDispatch* item(const Args& args) override {
        Where{mDoc, nullptr, nullptr}.check();
        const VARIANT& index = args.raw(0);
        for (size_t i = 0; i < mDoc->shapes.size(); ++i)
            if (index.vt == VT_BSTR ? sameName(mDoc->shapes[i].name.c_str(), index.bstrVal)
                                    : args.number(0) == static_cast<long>(i + 1))
                return at(static_cast<long>(i + 1));
        noSuchMember();
    }

    SessionPtr mSession;
    DocPtr mDoc;
};

class Table final : public DispatchObject {
public:
    Table(SessionPtr session, Where where)
        : DispatchObject(L"Table", members())
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

// The tables that lie inside a range.
class Tables final : public Collection {
public:
    Tables(SessionPtr session, Where where)
        : Collection(L"Tables")
        , mSession(std::move(session))
        , mWhere(std::move(where)) {}

private:
    std::vector<std::shared_ptr<Span>> tables() {
        mWhere.check();
        std::vector<std::shared_ptr<Span>> out;
        if (mWhere.story->type() == MainText)
            for (const auto& table : mWhere.doc->tables)
                if (table->start >= mWhere.start() && table->end <= mWhere.end())
                    out.push_back(table);
        return out;
    }
    long count() override { return static_cast<long>(tables().size()); }
    IDispatch* at(long index) override {
        return new Table(mSession,
                         {mWhere.doc, mWhere.story, tables()[static_cast<size_t>(index - 1)]});
    }
    IDispatch* item(const Args& args) override {
        const long index = args.number(0);
        if (index < 1 || index > count())
            noSuchMember();
        return at(index);
    }

    SessionPtr mSession;
    Where mWhere;
};

} // namespace

IDispatch* newStoryRanges(SessionPtr session, DocPtr doc) {
    return new StoryRanges(std::move(session), std::move(doc));
}

IDispatch* newShapes(SessionPtr session, DocPtr doc) {
    return new Shapes(std::move(session), std::move(doc));
}

IDispatch* newTables(SessionPtr session, Where where) {
    return new Tables(std::move(session), std::move(where));
}

} // namespace standin
