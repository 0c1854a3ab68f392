// The stand-in's own test: what the back-end's tests would not show of its strictness. Run
// through Wine with the stand-in registered; the exit code is the number of failed checks.
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

std::wstring readText(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    std::string bytes(1 << 20, '\0');
    DWORD got = 0;
    if (file != INVALID_HANDLE_VALUE) {
        ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
        CloseHandle(file);
    }
    std::wstring text(got, L'\0');
    text.resize(static_cast<size_t>(MultiByteToWideChar(
        CP_UTF8, 0, bytes.data(), static_cast<int>(got), text.data(), static_cast<int>(got))));
    return text;
}

void writeText(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

HRESULT startWord(Object& word) {
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(L"Word.Application", &clsid);
    IDispatch* dispatch = nullptr;
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                              reinterpret_cast<void**>(&dispatch));
    word = Object(dispatch);
    return hr;
}

void testBinding(const Object& word, const std::wstring& folder) {
    CHECK(word.names({L"Frobnicate"}) == DISP_E_UNKNOWNNAME);
    CHECK(word.names({L"quit"}) == S_OK);
    const Object documents = word.get(L"documents").object();
    CHECK(documents.names({L"open", L"readonly", L"Bogus"}) == DISP_E_UNKNOWNNAME);

    // Word opens a Word 97 template as the built-in document; only the magic counts.
    const std::wstring path = folder + L"\\template.dot";
    writeText(path, std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + "rest of a template");
    BSTR byRef = SysAllocString(path.c_str());
    Result opened = documents.call(L"Open", {{Var::byRef(&byRef)}, {Var::flag(true), L"readonly"}});
    SysFreeString(byRef);
    CHECK(opened.hr == S_OK);
    const Object doc = opened.object();
    const Result over = doc.call(L"SaveAs", {{Var::text(path)}});
    CHECK(over.hr == DISP_E_EXCEPTION && over.source == L"Microsoft Word" &&
          contains(over.description, L"read-only"));
    // Positional ReadOnly is the third argument; here a variant by reference.
    const std::wstring copy = folder + L"\\copy.dot";
    CopyFileW(path.c_str(), copy.c_str(), FALSE);
    Var readOnly = Var::flag(true);
    const Object second =
        documents
            .call(L"Open", {{Var::text(copy)}, {Var::omitted()}, {Var::byRef(&readOnly.get())}})
            .object();
    CHECK(second.call(L"SaveAs", {{Var::text(copy)}}).hr == DISP_E_EXCEPTION);
    CHECK(second.call(L"SaveAs2", {{Var::text(folder + L"\\saved.docx")}, {Var::i4(12)}}).hr ==
          S_OK);
    CHECK(contains(readText(folder + L"\\saved.docx"), L"\"fileFormat\":12"));

    const Object stories = doc.get(L"StoryRanges").object();
    const Result footnotes = stories.call(L"Item", {{Var::i4(2)}});
    CHECK(footnotes.hr == DISP_E_EXCEPTION &&
          footnotes.description == L"The requested member of the collection does not exist.");
    CHECK(doc.get(L"Range").hr == DISP_E_MEMBERNOTFOUND); // a method, not a property
    const Object find = doc.call(L"Range").object().get(L"Find").object();
    const Result wrap = find.put(L"Wrap", Var::text(L"abc"));
    CHECK(wrap.hr == DISP_E_TYPEMISMATCH && wrap.argError == 0);
    CHECK(find.put(L"Wrap", Var::text(L"1")).hr == S_OK); // coerced as automation does
}

void testFind(const Object& word) {
    const Object doc = word.get(L"ActiveDocument").object();
    const Object main = doc.get(L"StoryRanges").object().call(L"Item", {{Var::i4(1)}}).object();
    const Object find = main.get(L"Find").object();
    const Result tooLong = find.put(L"Text", Var::text(std::wstring(256, L'x')));
    CHECK(tooLong.hr == DISP_E_EXCEPTION && tooLong.description == L"String parameter too long.");
    CHECK(find.put(L"Text", Var::text(std::wstring(255, L'x'))).hr == S_OK);

    // Settings made on one find object hold for the next: Word keeps them per session.
    CHECK(find.put(L"Text", Var::text(L"[companyname]")).hr == S_OK);
    CHECK(find.get(L"Replacement").object().put(L"Text", Var::text(L"Acme^^^tCo")).hr == S_OK);
    const Result all = main.get(L"Find").object().call(L"Execute", {{Var::i2(2), L"Replace"}});
    CHECK(all.hr == S_OK && all.number() != 0);
    std::wstring text = main.get(L"Text").text();
    CHECK(!contains(text, L"[COMPANYNAME]") && contains(text, L"Acme^\tCo"));
    CHECK(contains(text, L"[CompanyName2]"));

    auto execute = [&](const std::wstring& findText, const std::wstring& with) {
        std::vector<Arg> args{{Var::text(findText)}};
        for (int i = 0; i < 8; ++i)
            args.push_back({Var::omitted()});
        args.push_back({Var::text(with)});
        args.push_back({Var::i2(2)});
        return main.get(L"Find").object().call(L"Execute", args);
    };
    CHECK(execute(L"[NLTitle]", L"<^&>").hr == S_OK);
    CHECK(contains(main.get(L"Text").text(), L"<[NLTitle]>"));
    const Result badCode = execute(L"[VOLNO]", L"^x");
    CHECK(badCode.hr == DISP_E_EXCEPTION && contains(badCode.description, L"'^x'"));
    CHECK(execute(L"^&", L"").hr == DISP_E_EXCEPTION);
    CHECK(execute(L"[volno]", L"7").number() != 0);
    CHECK(execute(L"[volno]", L"7").number() == 0);
}

// The saved format keeps every character, and Open reads it back: the program opens its working
// document again for the picture.
void testSavedDocument(const Object& word, const std::wstring& folder) {
    const Object documents = word.get(L"Documents").object();
    const Object doc = documents.call(L"Open", {{Var::text(folder + L"\\template.dot")}}).object();
    const std::wstring value = L"Caf\u00e9 \u20ac \U0001F600 \\ \"q\" & $1";
    const Object main = doc.call(L"Range").object();
    CHECK(main.put(L"Text", Var::text(value)).hr == S_OK);
    const std::wstring saved = folder + L"\\tarvik12345678.doc";
    CHECK(doc.call(L"SaveAs", {{Var::text(saved)}}).hr == S_OK);
    CHECK(contains(readText(saved),
                   L"{\"format\":\"brindlecast-word-standin\",\"version\":1,\"fileFormat\":0,"));
    CHECK(doc.call(L"Close").hr == S_OK);
    const Object again = documents.call(L"Open", {{Var::text(saved)}}).object();
    CHECK(again.call(L"Range").object().get(L"Text").text() == value + L"\r");
    CHECK(again.get(L"StoryRanges").object().get(L"Count").number() == 5);
    CHECK(again.get(L"Shapes").object().get(L"Count").number() == 4);
    CHECK(again.call(L"Close", {{Var::i2(0), L"savechanges"}}).hr == S_OK);
}

DWORD lastServer(const std::wstring& folder) {
    const std::wstring pids = readText(folder + L"\\pids.txt");
    const size_t line = pids.find_last_of(L'\n', pids.size() - 2);
    return static_cast<DWORD>(std::stoul(pids.substr(line == std::wstring::npos ? 0 : line + 1)));
}

void testLog(const std::wstring& folder, DWORD pid) {
    const std::wstring log = readText(folder + L"\\calls.log");
    const std::wstring me = std::to_wstring(pid) + L" ";
    CHECK(contains(log, me + L"Application.Documents get -> ok DISPATCH\n"));
    CHECK(contains(log, me + L"Documents.Open call BYREF|BSTR:\""));
    CHECK(contains(log, L"\\\\template.dot\" ReadOnly=BOOL:true -> ok DISPATCH\n"));
    CHECK(contains(log, me + L"Find.Execute call Replace=I2:2 -> ok BOOL:true\n"));
    const std::wstring ends(30, L'x');
    CHECK(contains(log,
                   L"Find.Text put BSTR:\"" + ends + L"..." + ends +
                       L"\"(256) -> error 0x80020009 0x800A16DE \"String parameter too long.\"\n"));
    CHECK(contains(log, L"Find.Execute call BSTR:\"[NLTitle]\" ERROR:PARAMNOTFOUND "));
}

// The classes of the visible windows process `pid` shows.
std::wstring windowClasses(DWORD pid) {
    struct Search {
        DWORD pid;
        std::wstring classes;
    } search{pid, L""};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto& search = *reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            wchar_t name[64] = L"";
            if (owner == search.pid && IsWindowVisible(window) && GetClassNameW(window, name, 64))
                search.classes += std::wstring(name) + L" ";
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.classes;
}

// The user's side of a Word handed to them, a template's macro project, and a late answer.
void testUser(const Object& word, const std::wstring& folder, DWORD pid) {
    const std::wstring path = folder + L"\\macros.dot";
    writeText(path, std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) +
                        std::string("M\0a\0c\0r\0o\0s\0", 12));
    const Object doc = word.get(L"Documents")
                           .object()
                           .call(L"Open", {{Var::text(path)},
                                           {Var::flag(false), L"AddToRecentFiles"},
                                           {Var::flag(false), L"Visible"}})
                           .object();
    CHECK(word.get(L"Visible").number() != 0 && word.get(L"UserControl").number() != 0);
    CHECK(contains(windowClasses(pid), L"OpusApp "));
    // The user's letter, opened after the client's document, is the active one now.
    const Object active = word.get(L"ActiveDocument").object();
    CHECK(active.get(L"Name").text() == L"Letter to the club.docx");
    CHECK(active.call(L"Range").object().put(L"Text", Var::text(L"Filled in")).hr == S_OK);

    const DWORD before = GetTickCount();
    CHECK(doc.get(L"HasVBProject").number() != 0);
    CHECK(GetTickCount() - before >= 400);
    CHECK(word.put(L"DisplayAlerts", Var::i4(0)).hr == S_OK);
    CHECK(doc.call(L"SaveAs2", {{Var::text(folder + L"\\free.docx")}, {Var::i4(12)}}).hr == S_OK);
    CHECK(contains(readText(folder + L"\\free.docx"), L"\"vbaProject\":false"));
    // Word keeps the project of the document it has open.
    CHECK(doc.get(L"HasVBProject").number() != 0);
    CHECK(doc.call(L"SaveAs", {{Var::text(folder + L"\\kept.doc")}}).hr == S_OK);
    CHECK(contains(readText(folder + L"\\kept.doc"), L"\"vbaProject\":true"));
    CHECK(word.call(L"Quit").hr == S_OK);

    const std::wstring log = readText(folder + L"\\calls.log");
    const std::wstring me = std::to_wstring(pid) + L" ";
    CHECK(!contains(log, me + L"! macros.dot opened without"));
    CHECK(contains(log, me + L"! Letter to the club.docx changed by the client"));
    CHECK(contains(log, me + L"! Letter to the club.docx closed by the client"));
}

// A hidden Word stopped at a question of its own: a dialog shows, and calls are turned away.
void testFirstRunDialog(const std::wstring& folder) {
    writeText(folder + L"\\control.txt", "first-run-dialog reject\n");
    Object word;
    CHECK(startWord(word) == S_OK);
    if (!word)
        return;
    const DWORD pid = lastServer(folder);
    CHECK(contains(windowClasses(pid), L"#32770 ") && !contains(windowClasses(pid), L"OpusApp"));
    CHECK(word.get(L"Visible").hr == RPC_E_CALL_REJECTED);
}

bool processEnds(DWORD pid, DWORD ms) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!process)
        return true;
    const bool ended = WaitForSingleObject(process, ms) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

} // namespace

int main() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder =
        std::wstring(temp) + L"word-standin-test-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    // A server that COM starts inherits this process's environment under Wine.
    SetEnvironmentVariableW(L"BRINDLECAST_STANDIN_DIR", folder.c_str());
    DWORD pid = 0;
    {
        Object word;
        CHECK(startWord(word) == S_OK);
        if (word) {
            pid = lastServer(folder);
            testBinding(word, folder);
            testFind(word);
            testSavedDocument(word, folder);
            CHECK(word.call(L"quit").hr == S_OK);
        }
    }
    CHECK(pid != 0 && processEnds(pid, 5000));
    testLog(folder, pid);

    writeText(folder + L"\\control.txt",
              "user-start-screen\nuser-document-after\nlate Document.HasVBProject 400\n");
    {
        Object word;
        CHECK(startWord(word) == S_OK);
        if (word)
            testUser(word, folder, lastServer(folder));
    }
    testFirstRunDialog(folder);

    writeText(folder + L"\\control.txt", "refuse-creation\n");
    {
        Object refused;
        const DWORD before = GetTickCount();
        CHECK(startWord(refused) == CO_E_SERVER_EXEC_FAILURE && !refused);
        CHECK(GetTickCount() - before < 10000);
    }
    std::printf("%d failed checks\n", gFailures);
    CoUninitialize();
    return gFailures;
}
