// The stand-in for "Word.Application" that the Windows edition's tests drive instead of Word:
// an out-of-process automation server, registered with /RegServer, removed with /UnregServer,
// and started by COM with -Embedding.
#include "Control.h"
#include "Objects.h"
#include "Server.h"

namespace {

using namespace standin;

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
        if (!applicationCreated() || !call || call->iid != IID_IDispatch)
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

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    // The stand-in's own class id, never Word's.
    const ServerIdentity identity{
        {0x11663045, 0x82d8, 0x4caa, {0x87, 0x28, 0xca, 0x23, 0x16, 0x23, 0xe8, 0xc1}},
        L"{11663045-82D8-4CAA-8728-CA231623E8C1}",
        L"Brindlecast Word stand-in",
        L"Word.Application",
        L"Word.Application.16",
        L"BrindlecastWordStandin"};
    ServerHooks hooks;
    hooks.createApplication = [] {
        auto session = std::make_shared<Session>();
        session->window = serverWindow();
        return newApplication(session);
    };
    hooks.leftToUser = userHoldsWord;
    hooks.beforeServing = [] {
        if (control::strict().firstRunDialog)
            showFirstRunDialog();
        if (control::strict().busyCalls > 0 || control::strict().userDialog ||
            control::strict().firstRunRejects)
            CoRegisterMessageFilter(&gBusyFilter, nullptr);
    };
    return runServer(identity, std::move(hooks), instance, commandLine);
}
