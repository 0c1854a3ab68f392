#include "Objects.h"

#include <algorithm>

namespace standin {

namespace {

// What _NewEnum hands out: the members as they were when the enumeration began, as Word's
// enumerators do.
// As for every COM object: the interface's missing virtual destructor is by design.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class Enumerator final : public IEnumVARIANT {
public:
    explicit Enumerator(std::vector<IDispatch*> items)
        : mItems(std::move(items)) {}
    virtual ~Enumerator() {
        for (IDispatch* item : mItems)
            item->Release();
    }
    Enumerator(const Enumerator&) = delete;
    Enumerator& operator=(const Enumerator&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IEnumVARIANT) {
            *object = static_cast<IEnumVARIANT*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&mRefs));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG refs = InterlockedDecrement(&mRefs);
        if (refs == 0)
            delete this;
        return static_cast<ULONG>(refs);
    }

    HRESULT STDMETHODCALLTYPE Next(ULONG wanted, VARIANT* out, ULONG* fetched) override {
        if (!out || (wanted > 1 && !fetched))
            return E_POINTER;
        ULONG got = 0;
        for (; got < wanted && mNext < mItems.size(); ++got, ++mNext) {
            VariantInit(&out[got]);
            out[got].vt = VT_DISPATCH;
            out[got].pdispVal = mItems[mNext];
            mItems[mNext]->AddRef();
        }
        if (fetched)
            *fetched = got;
        return got == wanted ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        const bool all = mNext + count <= mItems.size();
        mNext = std::min(mItems.size(), mNext + count);
        return all ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        mNext = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override {
        if (!copy)
            return E_POINTER;
        for (IDispatch* item : mItems)
            item->AddRef();
        auto* clone = new Enumerator(mItems);
        clone->mNext = mNext;
        *copy = clone;
        return S_OK;
    }

private:
    LONG mRefs = 1;
    std::vector<IDispatch*> mItems;
    size_t mNext = 0;
};
#pragma GCC diagnostic pop

} // namespace

IUnknown* newEnumerator(std::vector<IDispatch*> items) {
    return new Enumerator(std::move(items));
}

} // namespace standin
