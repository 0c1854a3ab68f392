#include "Dispatch.h"
#include "Objects.h"
#include "Picture.h"

namespace standin {

namespace {

class Replacement final : public DispatchObject {
public:
    explicit Replacement(SessionPtr session)
        : DispatchObject(L"Replacement", members())
        , mSession(std::move(session)) {}

private:
    enum : DISPID { Text = 0, ClearFormatting = 1 };
    static const std::vector<Member>& members() {
        static const std::vector<Member> table = {{Text, L"Text", Get | Put},
                                                  {ClearFormatting, L"ClearFormatting", Call}};
        return table;
    }

    // Formatting is not modelled, so there is none to clear.
    void invoke(const Member& member, Access access, Args& args, VARIANT& result) override {
        if (member.id == ClearFormatting)
            return;
        if (access == Get)
            return setString(result, mSession->find.replacement);
        std::wstring text = args.text(args.value());
        checkLength(text);
        mSession->find.replacement = std::move(text);
    }

    SessionPtr mSession;
};

class Find final : public DispatchObject {
public:
    Find(SessionPtr session, Where where)
        : DispatchObject(L"Find", members())
        , mSession(std::move(session))
        , mWhere(std::move(where)) {}

private:
    enum : DISPID {
        Text = 0,
        ClearFormatting,
        Replace,
        Forward,
        Wrap,
        Format,
        MatchCase,
        MatchWholeWord,
        MatchWildcards,
        MatchSoundsLike,
        MatchAllWordForms,
        Execute
    };
    static const std::vector<Member>& members() {
        static const std::vector<Member> table = {
            {Text, L"Text", Get | Put},
            {ClearFormatting, L"ClearFormatting", Call},
            {Replace, L"Replacement", Get},
            {Forward, L"Forward", Get | Put},
            {Wrap, L"Wrap", Get | Put},
            {Format, L"Format", Get | Put},
            {MatchCase, L"MatchCase", Get | Put},
            {MatchWholeWord, L"MatchWholeWord", Get | Put},
            {MatchWildcards, L"MatchWildcards", Get | Put},
            {MatchSoundsLike, L"MatchSoundsLike", Get | Put},
            {MatchAllWordForms, L"MatchAllWordForms", Get | Put},
            {Execute,
             L"Execute",
             Call,
             0,
             {L"FindText", L"MatchCase", L"MatchWholeWord", L"MatchWildcards", L"MatchSoundsLike",
              L"MatchAllWordForms", L"Forward", L"Wrap", L"Format", L"ReplaceWith", L"Replace",
              L"MatchKashida", L"MatchDiacritics", L"MatchAlefHamza", L"MatchControl"}}};
        return table;
    }

    void invoke(const Member& member, Access access, Args& args, VARIANT& result) override {
        FindSettings& find = mSession->find;
        switch (member.id) {
        case ClearFormatting:
            return;
        case Replace:
            return setObject(result, new Replacement(mSession));
        case Execute:
            return setBool(result, execute(args));
        case Text:
            if (access == Get)
                return setString(result, find.text);
            checkLength(args.text(args.value()));
            find.text = args.text(args.value());
            return;
        case Wrap:
            if (access == Get)
                return setLong(result, find.wrap);
            checkRange(args.number(args.value()), 0, 2);
            find.wrap = args.number(args.value());
            return;
        }
        bool& flag = flagOf(find, member.id);
        if (access == Get)
            return setBool(result, flag);
        flag = args.flag(args.value());
    }

    static bool& flagOf(FindSettings& find, DISPID id) {
        switch (id) {
        case Forward:
            return find.forward;
        case Format:
            return find.format;
        case MatchCase:
            return find.matchCase;
        case MatchWholeWord:
            return find.matchWholeWord;
        case MatchWildcards:
            return find.matchWildcards;
        case MatchSoundsLike:
            return find.matchSoundsLike;
        }
        return find.matchAllWordForms;
    }

    // Execute's arguments become the session's settings, as they do in Word; omitted ones
    // keep what was set before.
    bool execute(Args& args) {
        FindSettings next = mSession->find;
        if (args.has(0))
            next.text = args.text(0);
        checkLength(next.text);
        bool* const flags[] = {&next.matchCase,       &next.matchWholeWord,    &next.matchWildcards,
                               &next.matchSoundsLike, &next.matchAllWordForms, &next.forward};
        for (size_t i = 0; i < 6; ++i)
            if (args.has(i + 1))
                *flags[i] = args.flag(i + 1);
        if (args.has(7))
            next.wrap = args.number(7);
        checkRange(next.wrap, 0, 2);
        if (args.has(8))
            next.format = args.flag(8);
        if (args.has(9))
            next.replacement = args.text(9);
        checkLength(next.replacement);
        const long replace = args.has(10) ? args.number(10) : 0;
        checkRange(replace, 0, 2);
        mSession->find = next;
        mWhere.check();
        return executeFind(*mWhere.doc, *mWhere.story, mWhere.span.get(), next, replace);
    }

    SessionPtr mSession;
    Where mWhere;
};

class Range final : public DispatchObject {
public:
    Range(SessionPtr session, Where where)
        : DispatchObject(L"Range", members())
        , mSession(std::move(session))
        , mWhere(std::move(where)) {}

private:
    enum : DISPID {
        Text = 0,
        FindId,
        CopyAsPicture,
        StoryType,
        Tables,
        Paragraphs,
        Start,
        End,
        Duplicate,
        SetRange,
        Delete
    };
    static const std::vector<Member>& members() {
        static const std::vector<Member> table = {
            {Text, L"Text", Get | Put},
            {FindId, L"Find", Get},
            {CopyAsPicture, L"CopyAsPicture", Call},
            {StoryType, L"StoryType", Get},
            {Tables, L"Tables", Get},
            {Paragraphs, L"Paragraphs", Get},
            {Start, L"Start", Get},
            {End, L"End", Get},
            {Duplicate, L"Duplicate", Get},
            {SetRange, L"SetRange", Call, 2, {L"Start", L"End"}},
            {Delete, L"Delete", Call, 0, {L"Unit", L"Count"}}};
        return table;
    }

    void invoke(const Member& member, Access access, Args& args, VARIANT& result) override {
        mWhere.check();
        const long start = mWhere.start(), end = mWhere.end();
        const std::wstring text = mWhere.story->text().substr(static_cast<size_t>(start),
                                                              static_cast<size_t>(end - start));
        switch (member.id) {
        case Text:
            if (access == Get)
                return setString(result, text);
            return putText(args.text(args.value()));
        case FindId:
            return setObject(result, new Find(mSession, mWhere));
        case CopyAsPicture:
            return copyAsPicture(mSession->window, text);
        case StoryType:
            return setLong(result, mWhere.story->type());
        case Tables:
            return setObject(result, newTables(mSession, mWhere));
        case Paragraphs:
            return setObject(result, newParagraphs(mSession, mWhere));
        case Start:
            return setLong(result, start);
        case End:
            return setLong(result, end);
        case Duplicate:
            return setObject(result, newRange(mSession, duplicateOf(mWhere)));
        case SetRange:
            return setRange(mWhere, args.number(0), args.number(1));
        case Delete:
            // Deleting by units (words, paragraphs) is not modelled.
            if (args.has(0) || args.has(1))
                throw WordError{4198, L"The stand-in for Word does not model Delete by units."};
            return setLong(result, deleteRange(mWhere));
        }
    }

    // A story keeps its last paragraph mark whatever is put over it.
    void putText(const std::wstring& with) {
        const long start = mWhere.start();
        long end = mWhere.end();
        const std::wstring& story = mWhere.story->text();
        if (end == static_cast<long>(story.size()) && end > start && story.back() == L'\r')
            --end;
        mWhere.doc->edit(*mWhere.story, start, end - start, with);
    }

    SessionPtr mSession;
    Where mWhere;
};

// The selection of the active document: where a document has just been opened, an insertion
// point at the start of its main text, whose find covers the whole main text.
class Selection final : public DispatchObject {
public:
    explicit Selection(SessionPtr session)
        : DispatchObject(L"Selection", members())
        , mSession(std::move(session)) {}

private:
    static const std::vector<Member>& members() {
        static const std::vector<Member> table = {{1, L"Find", Get}};
        return table;
    }
    void invoke(const Member&, Access, Args&, VARIANT& result) override {
        const DocPtr doc = mSession->active();
        setObject(result, new Find(mSession, {doc, doc->stories.at(MainText), nullptr}));
    }

    SessionPtr mSession;
};

} // namespace

void Where::check() const {
    if (doc->closed)
        throw WordError{5825, L"Object has been deleted."};
}

IDispatch* newRange(SessionPtr session, Where where) {
    return new Range(std::move(session), std::move(where));
}

IDispatch* newSelection(SessionPtr session) {
    return new Selection(std::move(session));
}

} // namespace standin
