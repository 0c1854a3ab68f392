#include "Control.h"

#include "Json.h"

#include <sstream>
#include <utility>
#include <vector>

namespace standin::control {

namespace {

struct Rule {
    std::wstring object;
    std::wstring member;
    Fault fault;
};

std::wstring gFolder;
std::vector<Rule> gRules;
bool gRefuse = false;
HRESULT gRefuseCode = CO_E_SERVER_EXEC_FAILURE;
DWORD gStartDelay = 0;
Strict gStrict;

// Long enough for any deadline a test sets, short enough that a test that never ends the
// process does not leave it for ever.
constexpr DWORD HangLimitMs = 5 * 60 * 1000;
// Longer strings show their start and end, where paths keep what tells them apart.
constexpr size_t LongestShown = 64;
constexpr size_t ShownEnds = 30;

void append(const std::wstring& name, const std::wstring& line) {
    if (gFolder.empty())
        return;
    HANDLE file = CreateFileW((gFolder + L"\\" + name).c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    // One write per line, so that lines of two servers never interleave.
    const std::string bytes = utf8(line + L"\n");
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::wstring hex(unsigned long value, const wchar_t* format) {
    wchar_t buffer[16];
    wsprintfW(buffer, format, value);
    return buffer;
}

bool parseRule(const std::wstring& verb, std::wistringstream& rest) {
    std::wstring target;
    rest >> target;
    std::wstring description;
    std::getline(rest >> std::ws, description);
    const size_t dot = target.find(L'.');
    if (verb == L"refuse-creation") {
        gRefuse = true;
        if (!target.empty())
            gRefuseCode = static_cast<HRESULT>(std::wcstoul(target.c_str(), nullptr, 0));
        return true;
    }
    if (verb == L"slow-start") {
        gStartDelay = static_cast<DWORD>(std::wcstoul(target.c_str(), nullptr, 10));
        return true;
    }
    if (verb == L"first-run-dialog") {
        gStrict.firstRunDialog = true;
        gStrict.firstRunRejects = target == L"reject";
        return target.empty() || gStrict.firstRunRejects;
    }
    if (verb == L"busy") {
        gStrict.busyCalls = std::wcstol(target.c_str(), nullptr, 10);
        return gStrict.busyCalls > 0;
    }
    for (auto [name, flag] : {std::pair{L"strict-properties", &gStrict.properties},
                              {L"strict-saveas", &gStrict.saveFormat},
                              {L"strict-shapes", &gStrict.lineFrames},
                              {L"normal-template-changed", &gStrict.normalChanged},
                              {L"user-document", &gStrict.userDocument},
                              {L"user-document-after", &gStrict.userDocumentAfter},
                              {L"user-start-screen", &gStrict.userStartScreen},
                              {L"user-dialog", &gStrict.userDialog}}) {
        if (verb == name) {
            *flag = true;
            return true;
        }
    }
    if (verb == L"late" && dot != std::wstring::npos) {
        const DWORD ms = static_cast<DWORD>(std::wcstoul(description.c_str(), nullptr, 10));
        gRules.push_back({target.substr(0, dot), target.substr(dot + 1), {false, L"", ms}});
        return ms > 0;
    }
    if (verb == L"fail-quit") {
        description = target.empty() ? L"" : target + L" " + description;
        gRules.push_back({L"Application", L"Quit", {false, description}});
    } else if ((verb == L"fail" || verb == L"hang") && dot != std::wstring::npos) {
        gRules.push_back(
            {target.substr(0, dot), target.substr(dot + 1), {verb == L"hang", description}});
    } else {
        return false;
    }
    std::wstring& shown = gRules.back().fault.description;
    while (!shown.empty() && shown.back() == L' ')
        shown.pop_back();
    if (shown.empty())
        shown = L"Command failed";
    return true;
}

std::wstring shortened(const BSTR text) {
    const std::wstring all(text ? text : L"", SysStringLen(text));
    if (all.size() <= LongestShown)
        return quote(all);
    // Never half a surrogate pair at either cut.
    const size_t head = ShownEnds + (IS_HIGH_SURROGATE(all[ShownEnds - 1]) ? 1 : 0);
    const size_t tail = ShownEnds + (IS_LOW_SURROGATE(all[all.size() - ShownEnds]) ? 1 : 0);
    const std::wstring ends = all.substr(0, head) + L"..." + all.substr(all.size() - tail);
    return quote(ends) + L"(" + std::to_wstring(all.size()) + L")";
}

const wchar_t* typeName(VARTYPE type) {
    static const wchar_t* const names[] = {
        L"EMPTY", L"NULL",     L"I2",    L"I4",   L"R4",      L"R8",      L"CY",      L"DATE",
        L"BSTR",  L"DISPATCH", L"ERROR", L"BOOL", L"VARIANT", L"UNKNOWN", L"DECIMAL", L"#15",
        L"I1",    L"UI1",      L"UI2",   L"UI4",  L"I8",      L"UI8",     L"INT",     L"UINT"};
    return type < sizeof names / sizeof *names ? names[type] : L"#?";
}

} // namespace

std::wstring quote(const std::wstring& text) {
    std::wstring out = L"\"";
    for (wchar_t c : text) {
        if (c == L'"' || c == L'\\')
            out += std::wstring(L"\\") + c;
        else if (c == L'\r' || c == L'\n' || c == L'\t')
            out += c == L'\r' ? L"\\r" : c == L'\n' ? L"\\n" : L"\\t";
        else if (c < 0x20)
            out += hex(c, L"\\x%02X");
        else
            out += c;
    }
    return out + L"\"";
}

void load() {
    wchar_t folder[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"BRINDLECAST_STANDIN_DIR", folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    gFolder = folder;
    std::string bytes;
    if (readFile(gFolder + L"\\control.txt", bytes)) {
        std::wistringstream lines(wide(bytes));
        for (std::wstring line; std::getline(lines, line);) {
            if (!line.empty() && line.back() == L'\r')
                line.pop_back();
            std::wistringstream words(line);
            std::wstring verb;
            if (words >> verb && verb[0] != L'#' && !parseRule(verb, words))
                log(L"* control.txt: ignored " + quote(line));
        }
    }
    append(L"pids.txt", std::to_wstring(GetCurrentProcessId()));
}

bool refusesCreation(HRESULT& code) {
    code = gRefuseCode;
    return gRefuse;
}

DWORD startDelay() {
    return gStartDelay;
}

const Strict& strict() {
    return gStrict;
}

const Fault* faultFor(const wchar_t* object, const wchar_t* member) {
    for (const Rule& rule : gRules)
        if (sameName(rule.object.c_str(), object) && sameName(rule.member.c_str(), member))
            return &rule.fault;
    return nullptr;
}

void hangForever() {
    Sleep(HangLimitMs);
    log(L"* exit: hung for the longest a test may wait");
    ExitProcess(3);
}

void log(const std::wstring& line) {
    append(L"calls.log", std::to_wstring(GetCurrentProcessId()) + L" " + line);
}

std::wstring describe(const VARIANT& value) {
    std::wstring out = value.vt & VT_BYREF ? L"BYREF|" : L"";
    const VARTYPE base = value.vt & VT_TYPEMASK;
    if (value.vt & VT_ARRAY)
        return out + L"ARRAY|" + typeName(base);
    out += typeName(base);
    if (value.vt == (VT_BYREF | VT_VARIANT))
        return out + L":" + (value.pvarVal ? describe(*value.pvarVal) : L"null");
    VARIANT plain;
    VariantInit(&plain);
    // The system's prototypes take no const, though they only read their source.
    if (FAILED(VariantCopyInd(&plain, const_cast<VARIANT*>(&value))))
        return out + L":?";
    switch (base) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_DISPATCH:
    case VT_UNKNOWN:
        break;
    case VT_BSTR:
        out += L":" + shortened(plain.bstrVal);
        break;
    case VT_BOOL:
        out += plain.boolVal == VARIANT_TRUE    ? L":true"
               : plain.boolVal == VARIANT_FALSE ? L":false"
                                                : L":" + std::to_wstring(plain.boolVal);
        break;
    case VT_ERROR:
        out += plain.scode == DISP_E_PARAMNOTFOUND
                   ? L":PARAMNOTFOUND"
                   : L":" + hex(static_cast<unsigned long>(plain.scode), L"0x%08X");
        break;
    default:
        if (SUCCEEDED(VariantChangeTypeEx(&plain, &plain, LOCALE_INVARIANT, 0, VT_BSTR)))
            out += L":" + std::wstring(plain.bstrVal, SysStringLen(plain.bstrVal));
    }
    VariantClear(&plain);
    return out;
}

std::wstring describeArgs(const Member& member, const DISPPARAMS& params) {
    std::wstring out;
    const UINT positional = params.cArgs - params.cNamedArgs;
    for (UINT p = 0; p < positional; ++p)
        out += L" " + describe(params.rgvarg[params.cArgs - 1 - p]);
    for (UINT n = 0; n < params.cNamedArgs; ++n) {
        const DISPID id = params.rgdispidNamedArgs[n];
        out += L" ";
        if (id >= 0 && static_cast<size_t>(id) < member.params.size())
            out += std::wstring(member.params[id]) + L"=";
        else if (id != DISPID_PROPERTYPUT)
            out += L"#" + std::to_wstring(id) + L"=";
        out += describe(params.rgvarg[n]);
    }
    return out;
}

} // namespace standin::control
