#include "Control.h"
#include "Dispatch.h"
#include "ExcelObjects.h"

#include <algorithm>

namespace standin::excel {

void fail(long number, const std::wstring& description) {
    throw WordError{number, description};
}

void finding(const std::wstring& text) {
    control::log(L"! " + text);
}

void requireOpen(const Book& book) {
    if (book.closed)
        fail(424, L"Object required");
}

namespace {

class Workbook final : public DispatchObject {
public:
    Workbook(SessionPtr session, BookPtr book)
        : DispatchObject(L"Workbook", members())
        , mSession(std::move(session))
        , mBook(std::move(book)) {}

private:
    enum : DISPID { Name = 1, FullName, Worksheets_, Saved, Close };
    static const std::vector<Member>& members() {
        static const std::vector<Member> table = {
            {Name, L"Name", Get},
            {FullName, L"FullName", Get},
            {Worksheets_, L"Worksheets", Get},
            {Saved, L"Saved", Get | Put},
            {Close, L"Close", Call, 0, {L"SaveChanges", L"FileName", L"RouteWorkbook"}}};
        return table;
    }
    void invoke(const Member& member, Access access, Args& args, VARIANT& result) override {
        requireOpen(*mBook);
        switch (member.id) {
        case Name:
            return setString(result, mBook->name());
        case FullName:
            return setString(result, mBook->path);
        case Worksheets_:
            return setObject(result, newWorksheets(mBook));
        case Saved:
            if (access == Get)
                return setBool(result, mBook->saved);
            mBook->saved = args.flag(args.value());
            return;
        case Close:
            return close(args);
        }
    }

    void close(Args& args) {
        if (!args.has(0) && !mBook->saved)
            finding(L"Close of the changed " + mBook->name() +
                    L" without SaveChanges: Excel asks whether to save it, or saves it");
        else if (args.has(0) && args.flag(0))
            finding(L"Close saves " + mBook->name());
        mBook->closed = true;
        auto& books = mSession->books;
        books.erase(std::remove(books.begin(), books.end(), mBook), books.end());
    }

    SessionPtr mSession;
    BookPtr mBook;
};

class Workbooks final : public DispatchObject {
public:
    explicit Workbooks(SessionPtr session)
        : DispatchObject(L"Workbooks", members())
        , mSession(std::move(session)) {}

private:
    enum : DISPID { Item = 0, Count, Add, Open };
    static const std::vector<Member>& members() {
        static const std::vector<Member> table = {
            {Item, L"Item", Get | Call, 1, {L"Index"}},
            {Count, L"Count", Get},
            {Add, L"Add", Call, 0, {L"Template"}},
            {Open,
             L"Open",
             Call,
             1,
             {L"FileName", L"UpdateLinks", L"ReadOnly", L"Format", L"Password", L"WriteResPassword",
              L"IgnoreReadOnlyRecommended", L"Origin", L"Delimiter", L"Editable", L"Notify",
              L"Converter", L"AddToMru", L"Local", L"CorruptLoad"}}};
        return table;
    }
    void invoke(const Member& member, Access, Args& args, VARIANT& result) override {
        auto& books = mSession->books;
        switch (member.id) {
        case Item:
            return setObject(result, new Workbook(mSession, item(args)));
        case Count:
            return setLong(result, static_cast<long>(books.size()));
        case Add:
            if (args.has(0))
                fail(1004, L"The stand-in adds blank workbooks only");
            books.push_back(Book::blank(++mSession->added));
            return setObject(result, new Workbook(mSession, books.back()));
        case Open:
            return setObject(result, new Workbook(mSession, open(args)));
        }
    }

    BookPtr item(Args& args) const {
        const auto& books = mSession->books;
        if (args.raw(0).vt == VT_BSTR) {
            for (const BookPtr& book : books)
                if (sameName(book->name().c_str(), args.raw(0).bstrVal))
                    return book;
        } else if (const long n = args.number(0); n >= 1 && n <= static_cast<long>(books.size())) {
            return books[static_cast<size_t>(n - 1)];
        }
        fail(9, L"Subscript out of range");
    }

    BookPtr open(Args& args) {
        const std::wstring path = fullPath(args.text(0));
        for (const BookPtr& book : mSession->books)
            if (sameName(book->path.c_str(), path.c_str()))
                return book;
        if (const std::wstring refusal = refusalToOpen(path); !refusal.empty())
            fail(1004, refusal);
        BookPtr book = Book::builtIn(path);
        review(args, *book);
        mSession->books.push_back(book);
        return book;
    }

    // What Excel would do, opening a workbook from anyone, that a program must not let it.
    void review(Args& args, Book& book) const {
        const Session& s = *mSession;
        if (s.automationSecurity != 3 && book.hasOpenMacro)
            finding(std::wstring(L"Open enables the workbook's macros") +
                    (s.enableEvents ? L" and runs its Workbook_Open" : L"") +
                    L": AutomationSecurity is " + std::to_wstring(s.automationSecurity));
        if (!args.has(1) && book.hasLinks)
            finding(s.askToUpdateLinks ? L"Open asks whether to update the links to other "
                                         L"workbooks: UpdateLinks is not given"
                                       : L"Open updates the links to other workbooks without "
                                         L"asking: AskToUpdateLinks is False");
        else if (args.has(1) && args.number(1) != 0 && book.hasLinks)
            finding(L"Open updates the links to other workbooks: UpdateLinks is " +
                    std::to_wstring(args.number(1)));
        if (!args.has(4))
            finding(L"Open without a Password: a workbook protected by one would ask for it");
        if (!args.has(2) || !args.flag(2))
            finding(L"Open for writing: the file stays locked while it is open");
        if (s.displayAlerts)
            finding(L"Open with DisplayAlerts on: a question would wait for nobody");
        if (s.calculation != XlManual) {
            finding(L"Open recalculates the workbook's formulas: Calculation is " +
                    std::to_wstring(s.calculation));
            book.recalculate();
        }
    }

    SessionPtr mSession;
};

} // namespace

IDispatch* newWorkbooks(SessionPtr session) {
    return new Workbooks(std::move(session));
}

} // namespace standin::excel
