#include "Dispatch.h"

// Binding of a call's arguments to a member's parameters, as type-library dispatch binds them:
// positional ones from the end of rgvarg, named ones by the DISPIDs GetIDsOfNames gave their
// names, references resolved, values coerced with VariantChangeType.
namespace standin {

namespace {

bool omitted(const VARIANT& value) {
    return value.vt == VT_ERROR && value.scode == DISP_E_PARAMNOTFOUND;
}

} // namespace

bool sameName(const wchar_t* a, const wchar_t* b) {
    return CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL;
}

Args::Args(const Member& member, Access access, const DISPPARAMS& params, LCID lcid)
    : mSlots(member.params.size() + 1)
    , mIndex(member.params.size() + 1, 0)
    , mLcid(lcid) {
    for (VARIANT& slot : mSlots) {
        VariantInit(&slot);
        slot.vt = VT_ERROR;
        slot.scode = DISP_E_PARAMNOTFOUND;
    }
    std::vector<bool> given(mSlots.size(), false);
    auto take = [&](size_t slot, UINT index) {
        mIndex[slot] = index;
        given[slot] = true;
        if (FAILED(VariantCopyInd(&mSlots[slot], &params.rgvarg[index])))
            throw ArgError{DISP_E_TYPEMISMATCH, index};
    };
    const UINT positional = params.cArgs - params.cNamedArgs;
    if (positional > member.params.size())
        throw ArgError{DISP_E_BADPARAMCOUNT, 0};
    for (UINT p = 0; p < positional; ++p)
        take(p, params.cArgs - 1 - p);
    bool gotValue = false;
    for (UINT n = 0; n < params.cNamedArgs; ++n) {
        const DISPID id = params.rgdispidNamedArgs[n];
        if (id == DISPID_PROPERTYPUT && access == Put) {
            take(value(), n);
            gotValue = true;
        } else if (id < 0 || static_cast<size_t>(id) >= member.params.size() || given[id]) {
            throw ArgError{DISP_E_PARAMNOTFOUND, n};
        } else {
            take(static_cast<size_t>(id), n);
        }
    }
    if (access == Put && !gotValue)
        throw ArgError{DISP_E_PARAMNOTOPTIONAL, 0};
    for (unsigned p = 0; p < member.required; ++p)
        if (!has(p))
            throw ArgError{DISP_E_PARAMNOTOPTIONAL, 0};
}

Args::~Args() {
    for (VARIANT& slot : mSlots)
        VariantClear(&slot);
}

bool Args::has(size_t slot) const {
    return !omitted(mSlots[slot]);
}

const VARIANT& Args::raw(size_t slot) const {
    return mSlots[slot];
}

VARIANT Args::coerce(size_t slot, VARTYPE type) const {
    VARIANT out;
    VariantInit(&out);
    const HRESULT hr =
        VariantChangeTypeEx(&out, const_cast<VARIANT*>(&mSlots[slot]), mLcid, 0, type);
    if (FAILED(hr))
        throw ArgError{hr == DISP_E_OVERFLOW ? hr : DISP_E_TYPEMISMATCH, mIndex[slot]};
    return out;
}

std::wstring Args::text(size_t slot) const {
    VARIANT v = coerce(slot, VT_BSTR);
    std::wstring out(v.bstrVal ? v.bstrVal : L"", SysStringLen(v.bstrVal));
    VariantClear(&v);
    return out;
}

bool Args::flag(size_t slot) const {
    return coerce(slot, VT_BOOL).boolVal != VARIANT_FALSE;
}

long Args::number(size_t slot) const {
    return coerce(slot, VT_I4).lVal;
}

} // namespace standin
