#include "Creation.h"

#include "BusyWord.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <objbase.h>
#include <thread>
#include <utility>

namespace brindlecast::engine::word {

namespace {

struct Handover {
    std::mutex mutex;
    std::condition_variable changed;
    bool created = false; // the creating thread has its result
    bool settled = false; // the caller took it or gave up
    HRESULT result = E_FAIL;
    IStream* stream = nullptr; // the object, marshalled for the caller's apartment
};

void create(const std::shared_ptr<Handover>& handover, CLSID clsid) {
    const HRESULT entered = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (SUCCEEDED(entered)) {
        NewSession();
        ListenToBusyWord();
    }
    IUnknown* unknown = nullptr;
    HRESULT result = CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown,
                                      reinterpret_cast<void**>(&unknown));
    IStream* stream = nullptr;
    if (SUCCEEDED(result)) {
        result = CoMarshalInterThreadInterfaceInStream(IID_IUnknown, unknown, &stream);
        unknown->Release();
    }
    std::unique_lock lock(handover->mutex);
    handover->created = true;
    handover->result = result;
    handover->stream = stream;
    handover->changed.notify_all();
    // The apartment stays until the caller has the object in its own.
    handover->changed.wait(lock, [&] { return handover->settled; });
    if (handover->stream) {
        CoReleaseMarshalData(handover->stream);
        handover->stream->Release();
        handover->stream = nullptr;
    }
    lock.unlock();
    StopListening();
    if (SUCCEEDED(entered))
        CoUninitialize();
}

} // namespace

HRESULT CreateLocalServer(const CLSID& clsid, const std::function<bool()>& abandoned,
                          IDispatch** object) {
    *object = nullptr;
    auto handover = std::make_shared<Handover>();
    std::thread(create, handover, clsid).detach();
    std::unique_lock lock(handover->mutex);
    while (!handover->changed.wait_for(lock, std::chrono::milliseconds(20),
                                       [&] { return handover->created; })) {
        if (abandoned()) {
            handover->settled = true;
            handover->changed.notify_all();
            return E_ABORT;
        }
    }
    HRESULT result = handover->result;
    if (SUCCEEDED(result)) {
        IUnknown* unknown = nullptr;
        result = CoGetInterfaceAndReleaseStream(std::exchange(handover->stream, nullptr),
                                                IID_IUnknown, reinterpret_cast<void**>(&unknown));
        if (SUCCEEDED(result)) {
            // As CreateObject does: the object's IUnknown first, then its IDispatch.
            result = unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(object));
            unknown->Release();
        }
    }
    handover->settled = true;
    handover->changed.notify_all();
    return result;
}

} // namespace brindlecast::engine::word
