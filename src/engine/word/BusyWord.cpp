#include "BusyWord.h"

#include "Automation.h"

#include <atomic>
#include <windows.h>

namespace brindlecast::engine::word {

namespace {

// Between 100 and 250 ms, as careful automation clients pause: long enough for Word to get on,
// short enough not to be noticed.
constexpr DWORD RetryPauseMs = 150;

std::atomic<long long> gPatienceMs{60000};
// Raised by every AbandonPendingCalls: a thread whose session began before it is abandoned.
std::atomic<unsigned> gAbandonRound{0};

thread_local bool tListening = false;
thread_local unsigned tRound = 0;
thread_local bool tAbandoned = false;

bool abandonedNow() {
    if (tRound != gAbandonRound.load())
        tAbandoned = true;
    return tAbandoned;
}

// As for every COM object: the interface's missing virtual destructor is by design.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
// One object for the whole process, never deleted: COM releases it when a thread's apartment
// ends, and what it decides depends only on the calling thread.
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

    // This program serves no calls of its own: whatever comes in is taken.
    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
        return SERVERCALL_ISHANDLED;
    }
    // `elapsed` is the time since the call was first made.
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD elapsed, DWORD) override {
        if (abandonedNow() || elapsed >= gPatienceMs.load())
            return DWORD(-1);
        return RetryPauseMs;
    }
    // A call that waits is never cancelled: Wine's COM goes on waiting whatever the filter
    // says, and a cancelled call would return to a caller that has given up on it.
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
        return PENDINGMSG_WAITDEFPROCESS;
    }
};
#pragma GCC diagnostic pop

BusyFilter gFilter;

bool rejectedAsBusy(HRESULT result) {
    return result == RPC_E_CALL_REJECTED || result == RPC_E_SERVERCALL_RETRYLATER;
}

} // namespace

void ListenToBusyWord() {
    if (tListening)
        return;
    IMessageFilter* previous = nullptr;
    if (SUCCEEDED(CoRegisterMessageFilter(&gFilter, &previous))) {
        tListening = true;
        if (previous)
            previous->Release();
    }
}

void StopListening() {
    if (!tListening)
        return;
    CoRegisterMessageFilter(nullptr, nullptr);
    tListening = false;
}

void SetBusyPatience(std::chrono::milliseconds patience) {
    gPatienceMs = patience.count();
}

HRESULT RetryWhileBusy(const std::function<HRESULT()>& call) {
    const ULONGLONG deadline = GetTickCount64() + ULONGLONG(gPatienceMs.load());
    for (;;) {
        const HRESULT result = call();
        if (!rejectedAsBusy(result) || abandonedNow() || GetTickCount64() >= deadline)
            return result;
        Sleep(RetryPauseMs);
    }
}

void AbandonPendingCalls() {
    ++gAbandonRound;
}

void ParkIfAbandoned() {
    if (!abandonedNow())
        return;
    // The caller has been given up on and what it would write to may be gone: it never runs
    // again. One thread, for a Word that stopped answering while the user had it. What it
    // holds of that Word (the session's objects, whatever the calls under way had fetched) is
    // held in its apartment, which it leaves: the user's Word is let go of now, not when the
    // program ends.
    LeaveApartment();
    for (;;)
        Sleep(INFINITE);
}

bool CallsAbandoned() {
    return abandonedNow();
}

void NewSession() {
    tRound = gAbandonRound.load();
    tAbandoned = false;
}

} // namespace brindlecast::engine::word
