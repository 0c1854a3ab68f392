#pragma once

#include <string>
#include <vector>
#include <windows.h>
// After windows.h: a lean windows.h leaves OLE Automation out.
#include <ole2.h>

// A hand-written IDispatch without a type library. Word's own IDispatch is built on its type
// library, so this one copies the behaviour of the system's type-library dispatch that late
// binding meets there: names in any letter case, methods only with DISPATCH_METHOD, property
// reads only with DISPATCH_PROPERTYGET, named arguments looked up by GetIDsOfNames, and
// DISP_E_* codes for what cannot be bound.
namespace standin {

enum Access : unsigned { Get = 1, Put = 2, Call = 4 };

/// One member of an object: its DISPID, name, how it may be invoked, and its parameters in
/// Word's positional order (the first `required` of them must be given).
struct Member {
    DISPID id;
    const wchar_t* name;
    unsigned access;
    unsigned required = 0;
    std::vector<const wchar_t*> params = {};
};

/// A failure reported as Word reports it: DISP_E_EXCEPTION with this number and description.
struct WordError {
    long number;
    std::wstring description;
};

/// An argument that cannot be used: the HRESULT and the argument's index in rgvarg.
struct ArgError {
    HRESULT hr;
    UINT index;
};

/// The arguments of one call, in parameter order, with the put value last.
class Args {
public:
    Args(const Member& member, Access access, const DISPPARAMS& params, LCID lcid);
    ~Args();
    Args(const Args&) = delete;
    Args& operator=(const Args&) = delete;

    /// The slot of a property put's value.
    size_t value() const { return mSlots.size() - 1; }
    /// False for an argument not given or passed as VT_ERROR/DISP_E_PARAMNOTFOUND.
    bool has(size_t slot) const;
    /// The argument coerced as automation coerces it; ArgError when it cannot be.
    std::wstring text(size_t slot) const;
    bool flag(size_t slot) const;
    long number(size_t slot) const;
    /// The argument as given, references resolved, for members that take several types.
    const VARIANT& raw(size_t slot) const;

private:
    VARIANT coerce(size_t slot, VARTYPE type) const;

    std::vector<VARIANT> mSlots;
    std::vector<UINT> mIndex;
    LCID mLcid;
};

// COM interfaces have no virtual destructor by design: objects end in Release, never through
// a delete of the interface pointer.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

/// The base of every object of the stand-in. Objects start with one reference, the caller's.
class DispatchObject : public IDispatch {
public:
    DispatchObject(const wchar_t* name, const std::vector<Member>& members);
    virtual ~DispatchObject();
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argError) override;

    /// How many objects are alive in this process; `onLastRelease` runs when it drops to 0.
    static long liveObjects();
    static void setLastReleaseHandler(void (*onLastRelease)());
    /// After Quit every call fails as calls into an ended process do.
    static void markQuit();
    /// GetTickCount64 at the last Invoke.
    static ULONGLONG lastCall();

protected:
    virtual void invoke(const Member& member, Access access, Args& args, VARIANT& result) = 0;

private:
    HRESULT dispatch(const Member& member, Access access, const DISPPARAMS& params, LCID lcid,
                     VARIANT& result, EXCEPINFO* exception, UINT* argError, std::wstring& outcome);

    LONG mRefs = 1;
    const wchar_t* mName;
    const std::vector<Member>& mMembers;
};

#pragma GCC diagnostic pop

void setBool(VARIANT& result, bool value);
void setLong(VARIANT& result, long value);
void setString(VARIANT& result, const std::wstring& value);
/// Takes over the caller's reference of `object`.
void setObject(VARIANT& result, IDispatch* object);

/// Case-insensitive comparison as Word compares member names.
bool sameName(const wchar_t* a, const wchar_t* b);

/// The source errors name: "Microsoft Word" unless a server built on these objects (the Excel
/// stand-in) names itself.
void setErrorSource(const wchar_t* source);

} // namespace standin
