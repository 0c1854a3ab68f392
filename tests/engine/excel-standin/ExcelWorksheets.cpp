#include "Dispatch.h"
#include "ExcelObjects.h"

namespace standin::excel {

namespace {

class Worksheet final : public DispatchObject {
public:
    Worksheet(BookPtr book, size_t index)
        : DispatchObject(L"Worksheet", members())
        , mBook(std::move(book))
        , mIndex(index) {}

private:
    enum : DISPID { Name = 1, Index, UsedRange };
    static const std::vector<Member>& members() {
        static const std::vector<Member> table = {
            {Name, L"Name", Get}, {Index, L"Index", Get}, {UsedRange, L"UsedRange", Get}};
        return table;
    }
    void invoke(const Member& member, Access, Args&, VARIANT& result) override {
        requireOpen(*mBook);
        const Sheet& sheet = mBook->sheets[mIndex];
        if (member.id == Name)
            return setString(result, sheet.name);
        if (member.id == Index)
            return setLong(result, static_cast<long>(mIndex) + 1);
        setObject(result, newUsedRange(mBook, mIndex));
    }

    BookPtr mBook;
    size_t mIndex;
};

class Worksheets final : public DispatchObject {
public:
    explicit Worksheets(BookPtr book)
        : DispatchObject(L"Worksheets", members())
        , mBook(std::move(book)) {}

private:
    enum : DISPID { Item = 0, Count };
    static const std::vector<Member>& members() {
        static const std::vector<Member> table = {{Item, L"Item", Get | Call, 1, {L"Index"}},
                                                  {Count, L"Count", Get}};
        return table;
    }
    void invoke(const Member& member, Access, Args& args, VARIANT& result) override {
        requireOpen(*mBook);
        const auto& sheets = mBook->sheets;
        if (member.id == Count)
            return setLong(result, static_cast<long>(sheets.size()));
        if (args.raw(0).vt == VT_BSTR) {
            for (size_t i = 0; i < sheets.size(); ++i)
                if (sameName(sheets[i].name.c_str(), args.raw(0).bstrVal))
                    return setObject(result, new Worksheet(mBook, i));
        } else if (const long n = args.number(0); n >= 1 && n <= static_cast<long>(sheets.size())) {
            return setObject(result, new Worksheet(mBook, static_cast<size_t>(n - 1)));
        }
        fail(9, L"Subscript out of range");
    }

    BookPtr mBook;
};

} // namespace

IDispatch* newWorksheets(BookPtr book) {
    return new Worksheets(std::move(book));
}

} // namespace standin::excel
