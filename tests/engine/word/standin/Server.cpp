#include "Server.h"

#include "Control.h"
#include "Dispatch.h"
#include "Json.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace standin {

namespace {

const std::wstring Classes = L"Software\\Classes\\";

constexpr UINT CheckExitMessage = WM_APP + 1;
constexpr UINT_PTR QuitGraceTimer = 1;
constexpr UINT_PTR UnusedTimer = 2;
constexpr UINT_PTR IdleTimer = 3;
// Office ends soon after Quit whatever its client still holds; what is still held then is a
// reference the client leaked, which the log says.
constexpr UINT QuitGraceMs = 3000;
// Started by COM for a client that went away before asking for an object.
constexpr UINT UnusedLimitMs = 60000;
// Wine does not notice a client that died holding references, so a server nobody has called
// for this long is taken for orphaned.
constexpr ULONGLONG IdleLimitMs = 10 * 60 * 1000;

HWND gWindow = nullptr;
bool gCreated = false;
bool gQuitCalled = false;
ServerHooks gHooks;

void endServer(const std::wstring& reason) {
    control::log(L"* exit: " + reason);
    PostQuitMessage(0);
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == CheckExitMessage && gCreated && DispatchObject::liveObjects() == 0) {
        if (!gQuitCalled && gHooks.leftToUser())
            control::log(L"* left to the user");
        else
            endServer(gQuitCalled ? L"after Quit" : L"the last reference went without Quit");
    } else if (message == WM_TIMER && wParam == QuitGraceTimer) {
        endServer(std::to_wstring(DispatchObject::liveObjects()) +
                  L" objects still referenced after Quit");
    } else if (message == WM_TIMER && wParam == UnusedTimer && !gCreated) {
        endServer(L"no client asked for an object");
    } else if (message == WM_TIMER && wParam == IdleTimer &&
               GetTickCount64() - DispatchObject::lastCall() > IdleLimitMs) {
        endServer(L"no call for ten minutes");
    }
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
    // A static object: COM's references do not decide its life, the message loop does.
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
        IDispatch* application = gHooks.createApplication();
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

// Whose class the Office name names now: ours, nobody's, or a real Office's, which is never
// touched.
bool someoneElses(const ServerIdentity& identity) {
    wchar_t value[64] = L"";
    DWORD size = sizeof value;
    RegGetValueW(HKEY_LOCAL_MACHINE, (Classes + identity.progId + L"\\CLSID").c_str(), nullptr,
                 RRF_RT_REG_SZ, nullptr, value, &size);
    return value[0] && !sameName(value, identity.clsidText);
}

// Under HKLM: Wine does not merge the user's classes into the classes root.
int registerServer(const ServerIdentity& identity) {
    if (someoneElses(identity))
        return 2;
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring progId = Classes + identity.progId;
    const std::wstring versioned = Classes + identity.versionedProgId;
    const std::wstring clsidKey = Classes + L"CLSID\\" + identity.clsidText;
    const bool ok = setValue(progId, identity.description) &&
                    setValue(progId + L"\\CLSID", identity.clsidText) &&
                    setValue(progId + L"\\CurVer", identity.versionedProgId) &&
                    setValue(versioned, identity.description) &&
                    setValue(versioned + L"\\CLSID", identity.clsidText) &&
                    setValue(clsidKey, identity.description) &&
                    setValue(clsidKey + L"\\LocalServer32", L"\"" + std::wstring(path) + L"\"") &&
                    setValue(clsidKey + L"\\ProgID", identity.versionedProgId) &&
                    setValue(clsidKey + L"\\VersionIndependentProgID", identity.progId);
    return ok ? 0 : 1;
}

int unregisterServer(const ServerIdentity& identity) {
    if (someoneElses(identity))
        return 2;
    bool ok = true;
    for (const std::wstring& key : {Classes + identity.progId, Classes + identity.versionedProgId,
                                    Classes + L"CLSID\\" + identity.clsidText}) {
        const LONG result = RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str());
        ok = ok && (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND);
    }
    return ok ? 0 : 1;
}

int serve(const ServerIdentity& identity, HINSTANCE instance, const std::string& commandLine) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    control::load();
    control::log(L"* start " + wide(commandLine));
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = identity.windowClass;
    RegisterClassW(&windowClass);
    gWindow = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                              nullptr, instance, nullptr);
    DispatchObject::setLastReleaseHandler([] { PostMessageW(gWindow, CheckExitMessage, 0, 0); });
    Sleep(control::startDelay());
    gHooks.beforeServing();
    // One process per creation, as Office's Application objects have it.
    DWORD cookie = 0;
    if (FAILED(CoRegisterClassObject(identity.clsid, &gFactory, CLSCTX_LOCAL_SERVER,
                                     REGCLS_SINGLEUSE, &cookie))) {
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

int runServer(const ServerIdentity& identity, ServerHooks hooks, HINSTANCE instance,
              const char* commandLine) {
    const std::string given = commandLine ? commandLine : "";
    std::string flags = given;
    std::transform(flags.begin(), flags.end(), flags.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (flags.find("unregserver") != std::string::npos)
        return unregisterServer(identity);
    if (flags.find("regserver") != std::string::npos)
        return registerServer(identity);
    gHooks = std::move(hooks);
    return serve(identity, instance, given);
}

HWND serverWindow() {
    return gWindow;
}

bool applicationCreated() {
    return gCreated;
}

void quitRequested() {
    gQuitCalled = true;
    SetTimer(gWindow, QuitGraceTimer, QuitGraceMs, nullptr);
    PostMessageW(gWindow, CheckExitMessage, 0, 0);
}

} // namespace standin
