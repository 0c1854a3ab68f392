// The Excel stand-in's own test: that it is as strict as Excel where the back-end's tests would
// not show it, because the back-end never does what Excel refuses. Run through Wine with the
// stand-in registered; the exit code is the number of failed checks.
#include "Client.h"

#include <cstdio>
#include <string>

using namespace client;

namespace {

int gFailures = 0;

void check(bool ok, const char* what, int line) {
    if (!ok) {
        std::printf("FAILED at line %d: %s\n", line, what);
        ++gFailures;
    }
}
#define CHECK(condition) check((condition), #condition, __LINE__)

bool contains(const std::wstring& text, const std::wstring& part) {
    return text.find(part) != std::wstring::npos;
}

std::wstring readLog(const std::wstring& folder) {
    HANDLE file =
        CreateFileW((folder + L"\\calls.log").c_str(), GENERIC_READ,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    std::string bytes(1 << 20, '\0');
    DWORD got = 0;
    if (file != INVALID_HANDLE_VALUE) {
        ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
        CloseHandle(file);
    }
    return std::wstring(bytes.begin(), bytes.begin() + got); // the log's lines here are ASCII
}

void writeFile(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

Object startExcel() {
    CLSID clsid{};
    IDispatch* dispatch = nullptr;
    if (SUCCEEDED(CLSIDFromProgID(L"Excel.Application", &clsid)))
        CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                         reinterpret_cast<void**>(&dispatch));
    return Object(dispatch);
}

std::wstring text(const Object& range, long row, long column) {
    return range.get(L"Item", {{Var::i4(row)}, {Var::i4(column)}}).object().get(L"Text").text();
}

// What a careless client meets: Excel's defaults open a workbook from anyone with its macros,
// its links and a recalculation, and a narrow column shows a number as "#".
void testCarelessOpen(const Object& excel, const std::wstring& folder) {
    const Result early = excel.put(L"Calculation", Var::i4(-4135));
    CHECK(early.hr == DISP_E_EXCEPTION && early.source == L"Microsoft Excel" &&
          contains(early.description, L"Unable to set the Calculation property"));
    const Object workbooks = excel.get(L"Workbooks").object();
    const std::wstring named = folder + L"\\members.xls";
    writeFile(named, "PK\x03\x04 xl/workbook.xml, but named as an Excel 97 file");
    const Result mismatched = workbooks.call(L"Open", {{Var::text(named)}});
    CHECK(mismatched.hr == DISP_E_EXCEPTION &&
          contains(mismatched.description, L"file format or file extension is not valid"));

    const std::wstring path = folder + L"\\members.xlsx";
    writeFile(path, "PK\x03\x04 xl/workbook.xml");
    const Object book = workbooks.call(L"Open", {{Var::text(path)}}).object();
    const Object used = book.get(L"Worksheets")
                            .object()
                            .get(L"Item", {{Var::text(L"members")}})
                            .object()
                            .get(L"UsedRange")
                            .object();
    CHECK(used.get(L"Row").number() == 2 &&
          used.get(L"Columns").object().get(L"Count").number() == 5);
    CHECK(text(used, 2, 3) == L"######");
    CHECK(text(used, 2, 5) == L"2469.00"); // calculated again on opening
    CHECK(used.get(L"Text").value.get().vt == VT_NULL);
    CHECK(used.call(L"AutoFit").hr == DISP_E_EXCEPTION);
    CHECK(used.get(L"Columns").object().call(L"AutoFit").hr == S_OK);
    CHECK(text(used, 2, 3) == L"1234.50");
    CHECK(used.put(L"Hidden", Var::flag(false)).hr == DISP_E_EXCEPTION);
    CHECK(book.call(L"Close").hr == S_OK);

    const std::wstring log = readLog(folder);
    for (const wchar_t* finding :
         {L"! Open enables the workbook's macros and runs its Workbook_Open: AutomationSecurity "
          L"is 1\n",
          L"! Open asks whether to update the links to other workbooks: UpdateLinks is not given\n",
          L"! Open without a Password: a workbook protected by one would ask for it\n",
          L"! Open for writing: the file stays locked while it is open\n",
          L"! Open with DisplayAlerts on: a question would wait for nobody\n",
          L"! Open recalculates the workbook's formulas: Calculation is -4105\n",
          L"! Close of the changed members.xlsx without SaveChanges: Excel asks whether to save "
          L"it, or saves it\n"})
        CHECK(contains(log, finding));
    CHECK(excel.put(L"AskToUpdateLinks", Var::flag(false)).hr == S_OK);
    workbooks.call(L"Open", {{Var::text(path)}});
    CHECK(contains(readLog(folder), L"! Open updates the links to other workbooks without "
                                    L"asking: AskToUpdateLinks is False\n"));
}

} // namespace

int main() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder =
        std::wstring(temp) + L"excel-standin-test-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    // A server that COM starts inherits this process's environment under Wine.
    SetEnvironmentVariableW(L"BRINDLECAST_STANDIN_DIR", folder.c_str());
    {
        const Object excel = startExcel();
        CHECK(bool(excel));
        if (excel) {
            testCarelessOpen(excel, folder);
            CHECK(excel.call(L"Quit").hr == S_OK);
            CHECK(excel.get(L"Workbooks").hr == HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE));
        }
    }
    std::printf("%d failed checks\n", gFailures);
    CoUninitialize();
    return gFailures;
}
