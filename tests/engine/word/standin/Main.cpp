// The stand-in for "Word.Application" that the Windows edition's tests drive instead of Word:
// an out-of-process automation server, registered with /RegServer, removed with /UnregServer,
// and started by COM with -Embedding.
#include "Control.h"
#include "Dispatch.h"
#include "Json.h"
#include "Objects.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace {

using namespace standin;

// The stand-in's own class id, never Word's.
constexpr CLSID StandinClsid = {
    0x11663045, 0x82d8, 0x4caa, {0x87, 0x28, 0xca, 0x23, 0x16, 0x23, 0xe8, 0xc1}};
const wchar_t ClsidText[] = L"{11663045-82D8-4CAA-8728-CA231623E8C1}";
const wchar_t Description[] = L"Brindlecast Word stand-in";
const std::wstring Classes = L"Software\\Classes\\";
const std::wstring ProgId = L"Word.Application";
const std::wstring VersionedProgId = L"Word.Application.16";

constexpr UINT CheckExitMessage = WM_APP + 1;
constexpr UINT_PTR QuitGraceTimer = 1;
constexpr UINT_PTR UnusedTimer = 2;
constexpr UINT_PTR IdleTimer = 3;
// Word ends soon after Quit whatever its client still holds; what is still held then is a
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

void endServer(const std::wstring& reason) {
    control::log(L"* exit: " + reason);
    PostQuitMessage(0);
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == CheckExitMessage && gCreated && DispatchObject::liveObjects() == 0) {
        if (!gQuitCalled && userHoldsWord())
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
        auto session = std::make_shared<Session>();
        session->window = gWindow;
        IDispatch* application = newApplication(session);
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

// A Word that is starting, loading add-ins or laying out rejects the calls that come in: COM
// asks its message filter, and the answer SERVERCALL_REJECTED fails the caller's call with
// RPC_E_CALL_REJECTED unless the caller's own filter retries it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class BusyFilter final : public IMessageFilter {
public:
    virtual ~BusyFilter() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object)
            return E_POINTER;
        *object = iid == IID_IUnknown || iid == IID_IMessageFilter ? this : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO call) override {
        // Only the object model's calls: references and activation go through as in Word.
        if (!gCreated || !call || call->iid != IID_IDispatch)
            return SERVERCALL_ISHANDLED;
        if (userDialogUp() || control::strict().firstRunRejects) {
            control::log(L"* busy: a dialog is up, call rejected");
            return SERVERCALL_REJECTED;
        }
        if (mRejected >= control::strict().busyCalls)
            return SERVERCALL_ISHANDLED;
        ++mRejected;
        control::log(L"* busy: call " + std::to_wstring(mRejected) + L" rejected");
        return SERVERCALL_REJECTED;
    }
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD, DWORD) override { return DWORD(-1); }
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
        return PENDINGMSG_WAITDEFPROCESS;
    }

private:
    long mRejected = 0;
};
#pragma GCC diagnostic pop

BusyFilter gBusyFilter;

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

// Whose class "Word.Application" names now: ours, nobody's, or a real Word's.
std::wstring registeredClsid() {
    wchar_t value[64] = L"";
    DWORD size = sizeof value;
    RegGetValueW(HKEY_LOCAL_MACHINE, (Classes + ProgId + L"\\CLSID").c_str(), nullptr,
                 RRF_RT_REG_SZ, nullptr, value, &size);
    return value;
}

// Under HKLM: Wine does not merge the user's classes into the classes root. A real Word's
// registration is never touched.
int registerServer() {
    const std::wstring current = registeredClsid();
    if (!current.empty() && !sameName(current.c_str(), ClsidText))
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
    const std::wstring current = registeredClsid();
    if (!current.empty() && !sameName(current.c_str(), ClsidText))
        return 2;
    bool ok = true;
    for (const std::wstring& key :
         {Classes + ProgId, Classes + VersionedProgId, Classes + L"CLSID\\" + ClsidText}) {
        const LONG result = RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str());
        ok = ok && (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND);
    }
    return ok ? 0 : 1;
}

HWND makeWindow(HINSTANCE instance) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"BrindlecastWordStandin";
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           instance, nullptr);
}

int serve(HINSTANCE instance, const std::string& commandLine) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    control::load();
    control::log(L"* start " + wide(commandLine));
    gWindow = makeWindow(instance);
    DispatchObject::setLastReleaseHandler([] { PostMessageW(gWindow, CheckExitMessage, 0, 0); });
    Sleep(control::startDelay());
    if (control::strict().firstRunDialog)
        showFirstRunDialog();
    if (control::strict().busyCalls > 0 || control::strict().userDialog ||
        control::strict().firstRunRejects)
        CoRegisterMessageFilter(&gBusyFilter, nullptr);
    // One process per creation, as Word's Application object has it.
    DWORD cookie = 0;
    HRESULT hr = CoRegisterClassObject(StandinClsid, &gFactory, CLSCTX_LOCAL_SERVER,
                                       REGCLS_SINGLEUSE, &cookie);
    if (FAILED(hr)) {
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

namespace standin {

void quitRequested() {
    gQuitCalled = true;
    SetTimer(gWindow, QuitGraceTimer, QuitGraceMs, nullptr);
    PostMessageW(gWindow, CheckExitMessage, 0, 0);
}

} // namespace standin

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
