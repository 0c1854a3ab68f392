#include "ExcelModel.h"

#include "Json.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <windows.h>

namespace standin::excel {

namespace {

Cell text(const wchar_t* shown) {
    return {shown};
}

Cell number(const wchar_t* shown, double value) {
    return {shown, {}, true, value};
}

Cell formula(const wchar_t* stored, const wchar_t* calculated, double value) {
    return {stored, calculated, true, value};
}

std::wstring lower(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
    return text;
}

} // namespace

const Cell& Sheet::at(long row, long column) const {
    static const Cell empty;
    const long r = row - firstRow;
    const long c = column - firstColumn;
    if (r < 0 || c < 0 || r >= rows() || c >= columns())
        return empty;
    return cells[static_cast<size_t>(r)][static_cast<size_t>(c)];
}

std::wstring Sheet::text(long row, long column) const {
    const Cell& cell = at(row, column);
    const long c = column - firstColumn;
    if (!cell.number || c < 0 || c >= columns())
        return cell.shown;
    const long width = hidden[static_cast<size_t>(c)] ? 0 : widths[static_cast<size_t>(c)];
    if (static_cast<long>(cell.shown.size()) <= width)
        return cell.shown;
    return std::wstring(static_cast<size_t>(width), L'#');
}

std::wstring Book::name() const {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

void Book::recalculate() {
    for (Sheet& sheet : sheets)
        for (auto& row : sheet.cells)
            for (Cell& cell : row)
                if (!cell.recalculated.empty()) {
                    cell.shown = cell.recalculated;
                    cell.value = std::wcstod(cell.recalculated.c_str(), nullptr);
                }
}

std::shared_ptr<Book> Book::builtIn(const std::wstring& path) {
    auto book = std::make_shared<Book>();
    book->path = path;
    book->hasLinks = true;
    book->hasOpenMacro = true;
    Sheet members{L"Members", 2, 1, {}, {12, 5, 6, 8, 8}, std::vector<bool>(5, false)};
    members.cells = {
        {text(L"Name"), text(L"Zip"), text(L"Amount"), text(L"Joined"), text(L"Balance")},
        {text(L"Dana Hollis"), number(L"00501", 501), number(L"1234.50", 1234.5),
         number(L"05.03.2024", 45356), formula(L"99.00", L"2469.00", 99)},
        {text(L""), text(L""), text(L""), text(L""), text(L"")},
        {text(L"Lee Park"), text(L"02134"), number(L"7.00", 7), number(L"31 Dec 2023", 45291),
         formula(L"14.00", L"14.00", 14)}};
    Sheet donations{L"Donations", 1, 1, {}, {10, 8}, {false, false}};
    donations.cells = {{text(L"Name"), text(L"Gift")}, {text(L"Kim Lo"), number(L"12.00", 12)}};
    book->sheets = {members, donations};
    return book;
}

std::shared_ptr<Book> Book::blank(int number) {
    auto book = std::make_shared<Book>();
    book->path = L"Book" + std::to_wstring(number);
    Sheet sheet{L"Sheet1", 1, 1, {{text(L"")}}, {8}, {false}};
    book->sheets = {sheet};
    return book;
}

std::wstring refusalToOpen(const std::wstring& path) {
    std::string bytes;
    if (!readFile(path, bytes))
        return L"Sorry, we couldn't find " + path +
               L". Is it possible it was moved, renamed or deleted?";
    const size_t dot = path.find_last_of(L'.');
    const std::wstring suffix = dot == std::wstring::npos ? L"" : lower(path.substr(dot + 1));
    const bool zip = bytes.rfind("PK\x03\x04", 0) == 0;
    const bool ole = bytes.rfind("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 0) == 0;
    const bool xlsx = zip && bytes.find("xl/workbook.xml") != std::string::npos;
    const bool ods =
        zip && bytes.find("application/vnd.oasis.opendocument.spreadsheet") != std::string::npos;
    if ((xlsx && (suffix == L"xlsx" || suffix == L"xlsm")) || (ods && suffix == L"ods") ||
        (ole && suffix == L"xls"))
        return {};
    const size_t slash = path.find_last_of(L"\\/");
    return L"Excel cannot open the file '" + path.substr(slash + 1) +
           L"' because the file format or file extension is not valid. Verify that the file "
           L"has not been corrupted and that the file extension matches the format of the file.";
}

std::wstring fullPath(const std::wstring& path) {
    wchar_t full[MAX_PATH];
    const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH ? std::wstring(full) : path;
}

} // namespace standin::excel
