// The stand-in for "Excel.Application" that the Windows edition's tests drive instead of Excel:
// an out-of-process automation server on the Word stand-in's dispatch, call log and faults,
// registered with /RegServer, removed with /UnregServer, and started by COM with -Embedding.
#include "Control.h"
#include "Dispatch.h"
#include "ExcelObjects.h"
#include "Json.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace {

using namespace standin;

// The stand-in's own class id, never Excel's.
constexpr CLSID StandinClsid = {
    0x5b1f6c2e, 0x3a47, 0x4d0e, {0x9c, 0x61, 0x2f, 0x8e, 0x71, 0xa4, 0x0b, 0xd3}};
const wchar_t ClsidText[] = L"{5B1F6C2E-3A47-4D0E-9C61-2F8E71A40BD3}";
const wchar_t Description[] = L"Brindlecast Excel stand-in";
const std::wstring Classes = L"Software\\Classes\\";
const std::wstring ProgId = L"Excel.Application";
const std::wstring VersionedProgId = L"Excel.Application.16";

constexpr UINT CheckExitMessage = WM_APP + 1;
constexpr UINT_PTR QuitGraceTimer = 1;
constexpr UINT_PTR UnusedTimer = 2;
constexpr UINT_PTR IdleTimer = 3;
// As the Word stand-in: Excel ends soon after Quit whatever its client still holds; a server
// started for nobody, or called by nobody for long, ends by itself.
constexpr UINT QuitGraceMs = 3000;
constexpr UINT UnusedLimitMs = 60000;
constexpr ULONGLONG IdleLimitMs = 10 * 60 * 1000;

HWND gWindow = nullptr;
bool gCreated = false;
bool gQuitCalled = false;

void endServer(const std::wstring& reason) {
    control::log(L"* exit: " + reason);
    PostQuitMessage(0);
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == CheckExitMessage && gCreated && DispatchObject::liveObjects() == 0)
        endServer(gQuitCalled ? L"after Quit" : L"the last reference went without Quit");
    else if (message == WM_TIMER && wParam == QuitGraceTimer)
        endServer(std::to_wstring(DispatchObject::liveObjects()) +
                  L" objects still referenced after Quit");
    else if (message == WM_TIMER && wParam == UnusedTimer && !gCreated)
        endServer(L"no client asked for an object");
    else if (message == WM_TIMER && wParam == IdleTimer &&
             GetTickCount64() - DispatchObject::lastCall() > IdleLimitMs)
        endServer(L"no call for ten minutes");
    return DefWindowProcW(window, message, wParam, lParam);
}

// As for every COM object: the interface's missing virtual destructor is by design.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class Factory final : public IClassFactory {
public:
    virtual ~Factory() = default;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object)
            return E_POINTER;
        *object = iid == IID_IUnknown || iid == IID_IClassFactory ? this : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        HRESULT refusal = S_OK;
        if (control::refusesCreation(refusal)) {
            endServer(L"creation refused");
            return refusal;
        }
        IDispatch* application = excel::newApplication(std::make_shared<excel::Session>());
        gCreated = true;
        control::log(L"* created Application");
        const HRESULT hr = application->QueryInterface(iid, object);
        application->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};
#pragma GCC diagnostic pop

Factory gFactory;

bool setValue(const std::wstring& key, const std::wstring& value) {
    HKEY handle = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    const LONG result = RegSetValueExW(handle, nullptr, 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(value.c_str()), bytes);
    RegCloseKey(handle);
    return result == ERROR_SUCCESS;
}

// Whose class "Excel.Application" names now: ours, nobody's, or a real Excel's, which is never
// touched.
bool someoneElses() {
    wchar_t value[64] = L"";
    DWORD size = sizeof value;
    RegGetValueW(HKEY_LOCAL_MACHINE, (Classes + ProgId + L"\\CLSID").c_str(), nullptr,
                 RRF_RT_REG_SZ, nullptr, value, &size);
    return value[0] && !sameName(value, ClsidText);
}

// Under HKLM: Wine does not merge the user's classes into the classes root.
int registerServer() {
    if (someoneElses())
        return 2;
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring clsidKey = Classes + L"CLSID\\" + ClsidText;
    const bool ok = setValue(Classes + ProgId, Description) &&
                    setValue(Classes + ProgId + L"\\CLSID", ClsidText) &&
                    setValue(Classes + ProgId + L"\\CurVer", VersionedProgId) &&
                    setValue(Classes + VersionedProgId, Description) &&
                    setValue(Classes + VersionedProgId + L"\\CLSID", ClsidText) &&
                    setValue(clsidKey, Description) &&
                    setValue(clsidKey + L"\\LocalServer32", L"\"" + std::wstring(path) + L"\"") &&
                    setValue(clsidKey + L"\\ProgID", VersionedProgId) &&
                    setValue(clsidKey + L"\\VersionIndependentProgID", ProgId);
    return ok ? 0 : 1;
}

int unregisterServer() {
    if (someoneElses())
        return 2;
    bool ok = true;
    for (const std::wstring& key :
         {Classes + ProgId, Classes + VersionedProgId, Classes + L"CLSID\\" + ClsidText}) {
        const LONG result = RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str());
        ok = ok && (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND);
    }
    return ok ? 0 : 1;
}

int serve(HINSTANCE instance, const std::string& commandLine) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    setErrorSource(L"Microsoft Excel");
    control::load();
    control::log(L"* start " + wide(commandLine));
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"BrindlecastExcelStandin";
    RegisterClassW(&windowClass);
    gWindow = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                              nullptr, instance, nullptr);
    DispatchObject::setLastReleaseHandler([] { PostMessageW(gWindow, CheckExitMessage, 0, 0); });
    Sleep(control::startDelay());
    // One process per creation, as Excel's Application object has it.
    DWORD cookie = 0;
    if (FAILED(CoRegisterClassObject(StandinClsid, &gFactory, CLSCTX_LOCAL_SERVER, REGCLS_SINGLEUSE,
                                     &cookie))) {
        control::log(L"* exit: the class object could not be registered");
        CoUninitialize();
        return 1;
    }
    SetTimer(gWindow, UnusedTimer, UnusedLimitMs, nullptr);
    SetTimer(gWindow, IdleTimer, UnusedLimitMs, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    CoRevokeClassObject(cookie);
    DestroyWindow(gWindow);
    CoUninitialize();
    return 0;
}

} // namespace

namespace standin::excel {

void quitRequested() {
    gQuitCalled = true;
    SetTimer(gWindow, QuitGraceTimer, QuitGraceMs, nullptr);
    PostMessageW(gWindow, CheckExitMessage, 0, 0);
}

} // namespace standin::excel

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    std::string flags = commandLine ? commandLine : "";
    std::transform(flags.begin(), flags.end(), flags.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (flags.find("unregserver") != std::string::npos)
        return unregisterServer();
    if (flags.find("regserver") != std::string::npos)
        return registerServer();
    return serve(instance, commandLine ? commandLine : "");
}
