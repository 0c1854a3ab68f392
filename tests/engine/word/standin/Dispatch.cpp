#include "Dispatch.h"

#include "Control.h"

#include <exception>
#include <new>

namespace standin {

namespace {

LONG gLiveObjects = 0;
void (*gOnLastRelease)() = nullptr;
bool gQuit = false;
ULONGLONG gLastCall = GetTickCount64();

// What a call into a Word that has ended gets.
constexpr HRESULT ServerUnavailable = HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE);

// Methods need DISPATCH_METHOD, property reads DISPATCH_PROPERTYGET, as type-library dispatch
// has it; late binding from VB passes both bits, and either member kind accepts that.
bool chooseAccess(const Member& member, WORD flags, Access& access) {
    if (flags & DISPATCH_PROPERTYPUT) {
        access = Put;
        return member.access & Put;
    }
    if ((flags & DISPATCH_METHOD) && (member.access & Call)) {
        access = Call;
        return true;
    }
    access = Get;
    return (flags & DISPATCH_PROPERTYGET) && (member.access & Get);
}

const wchar_t* accessName(Access access) {
    return access == Get ? L"get" : access == Put ? L"put" : L"call";
}

wchar_t* hex(HRESULT hr, wchar_t (&buffer)[16]) {
    wsprintfW(buffer, L"0x%08X", static_cast<unsigned>(hr));
    return buffer;
}

} // namespace

DispatchObject::DispatchObject(const wchar_t* name, const std::vector<Member>& members)
    : mName(name)
    , mMembers(members) {
    InterlockedIncrement(&gLiveObjects);
}

DispatchObject::~DispatchObject() {
    if (InterlockedDecrement(&gLiveObjects) == 0 && gOnLastRelease)
        gOnLastRelease();
}

long DispatchObject::liveObjects() {
    return gLiveObjects;
}
void DispatchObject::setLastReleaseHandler(void (*onLastRelease)()) {
    gOnLastRelease = onLastRelease;
}
void DispatchObject::markQuit() {
    gQuit = true;
}
ULONGLONG DispatchObject::lastCall() {
    return gLastCall;
}

HRESULT DispatchObject::QueryInterface(REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG DispatchObject::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&mRefs));
}

ULONG DispatchObject::Release() {
    const LONG refs = InterlockedDecrement(&mRefs);
    if (refs == 0)
        delete this;
    return static_cast<ULONG>(refs);
}

HRESULT DispatchObject::GetTypeInfoCount(UINT* count) {
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT DispatchObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info)
        *info = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT DispatchObject::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (iid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    if (!names || !ids || count == 0)
        return E_INVALIDARG;
    const Member* member = nullptr;
    for (const Member& m : mMembers)
        if (sameName(m.name, names[0]))
            member = &m;
    bool known = member != nullptr;
    ids[0] = member ? member->id : DISPID_UNKNOWN;
    for (UINT i = 1; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        for (size_t p = 0; member && p < member->params.size(); ++p)
            if (sameName(member->params[p], names[i]))
                ids[i] = static_cast<DISPID>(p);
        known = known && ids[i] != DISPID_UNKNOWN;
    }
    if (known)
        return S_OK;
    std::wstring line = std::wstring(mName) + L"." + names[0] + L" names";
    for (UINT i = 1; i < count; ++i)
        line += std::wstring(L" ") + names[i];
    control::log(line + L" -> error 0x80020006 unknown name");
    return DISP_E_UNKNOWNNAME;
}

HRESULT DispatchObject::Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                               VARIANT* result, EXCEPINFO* exception, UINT* argError) {
    gLastCall = GetTickCount64();
    if (iid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    if (!params)
        return E_INVALIDARG;
    const Member* member = nullptr;
    for (const Member& m : mMembers)
        if (m.id == id)
            member = &m;
    Access access = Get;
    std::wstring line = std::wstring(mName) + L".";
    if (!member || !chooseAccess(*member, flags, access)) {
        line += member ? member->name : (L"#" + std::to_wstring(id)).c_str();
        control::log(line + L" flags " + std::to_wstring(flags) + L" -> error 0x80020003");
        return DISP_E_MEMBERNOTFOUND;
    }
    line += std::wstring(member->name) + L" " + accessName(access) +
            control::describeArgs(*member, *params);
    VARIANT out;
    VariantInit(&out);
    std::wstring outcome;
    HRESULT hr = ServerUnavailable;
    if (gQuit)
        outcome = L"error 0x800706BA after Quit";
    else
        hr = dispatch(*member, access, *params, lcid, out, exception, argError, outcome);
    control::log(line + L" -> " + outcome);
    if (result && SUCCEEDED(hr))
        *result = out;
    else
        VariantClear(&out);
    return hr;
}

HRESULT DispatchObject::dispatch(const Member& member, Access access, const DISPPARAMS& params,
                                 LCID lcid, VARIANT& result, EXCEPINFO* exception, UINT* argError,
                                 std::wstring& outcome) {
    wchar_t code[16];
    try {
        // Word takes no call while a question of its own waits for an answer.
        if (control::strict().firstRunDialog && !control::strict().firstRunRejects) {
            control::log(std::wstring(mName) + L"." + member.name + L" -> hang (a dialog is up)");
            control::hangForever();
        }
        const control::Fault* fault = control::faultFor(mName, member.name);
        if (fault && fault->lateMs > 0) {
            Sleep(fault->lateMs);
            fault = nullptr;
        }
        if (fault) {
            if (fault->hang) {
                control::log(std::wstring(mName) + L"." + member.name + L" -> hang");
                control::hangForever();
            }
            throw WordError{4198, fault->description};
        }
        Args args(member, access, params, lcid);
        invoke(member, access, args, result);
        outcome = result.vt == VT_EMPTY ? L"ok" : L"ok " + control::describe(result);
        return S_OK;
    } catch (const WordError& error) {
        const HRESULT scode = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, error.number);
        if (exception) {
            *exception = EXCEPINFO{};
            exception->bstrSource = SysAllocString(L"Microsoft Word");
            exception->bstrDescription = SysAllocString(error.description.c_str());
            exception->scode = scode;
        }
        outcome = std::wstring(L"error 0x80020009 ") + hex(scode, code) + L" " +
                  control::quote(error.description);
        return DISP_E_EXCEPTION;
    } catch (const ArgError& error) {
        if (argError)
            *argError = error.index;
        outcome =
            std::wstring(L"error ") + hex(error.hr, code) + L" arg " + std::to_wstring(error.index);
        return error.hr;
    } catch (const std::bad_alloc&) {
        outcome = L"error 0x8007000E";
        return E_OUTOFMEMORY;
    } catch (const std::exception&) {
        outcome = L"error 0x8000FFFF";
        return E_UNEXPECTED;
    }
}

void setBool(VARIANT& result, bool value) {
    result.vt = VT_BOOL;
    result.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

void setLong(VARIANT& result, long value) {
    result.vt = VT_I4;
    result.lVal = value;
}

void setString(VARIANT& result, const std::wstring& value) {
    result.vt = VT_BSTR;
    result.bstrVal = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
}

void setObject(VARIANT& result, IDispatch* object) {
    result.vt = VT_DISPATCH;
    result.pdispVal = object;
}

} // namespace standin
