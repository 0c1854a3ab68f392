#include "Client.h"

namespace client {

// The system's prototypes take no const, though they only read their source.
Var::Var(const Var& other) {
    VariantInit(&mValue);
    VariantCopy(&mValue, const_cast<VARIANT*>(&other.mValue));
}

Var& Var::operator=(const Var& other) {
    if (this != &other)
        VariantCopy(&mValue, const_cast<VARIANT*>(&other.mValue));
    return *this;
}

Var Var::text(const std::wstring& text) {
    Var v;
    v.mValue.vt = VT_BSTR;
    v.mValue.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return v;
}

Var Var::i2(short value) {
    Var v;
    v.mValue.vt = VT_I2;
    v.mValue.iVal = value;
    return v;
}

Var Var::i4(long value) {
    Var v;
    v.mValue.vt = VT_I4;
    v.mValue.lVal = value;
    return v;
}

Var Var::flag(bool value) {
    Var v;
    v.mValue.vt = VT_BOOL;
    v.mValue.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

Var Var::omitted() {
    Var v;
    v.mValue.vt = VT_ERROR;
    v.mValue.scode = DISP_E_PARAMNOTFOUND;
    return v;
}

Var Var::byRef(BSTR* storage) {
    Var v;
    v.mValue.vt = VT_BSTR | VT_BYREF;
    v.mValue.pbstrVal = storage;
    return v;
}

Var Var::byRef(VARIANT* storage) {
    Var v;
    v.mValue.vt = VT_VARIANT | VT_BYREF;
    v.mValue.pvarVal = storage;
    return v;
}

Object Result::object() const {
    const VARIANT& v = value.get();
    if (v.vt != VT_DISPATCH || !v.pdispVal)
        return Object();
    v.pdispVal->AddRef();
    return Object(v.pdispVal);
}

std::wstring Result::text() const {
    const VARIANT& v = value.get();
    return v.vt == VT_BSTR ? std::wstring(v.bstrVal, SysStringLen(v.bstrVal)) : L"";
}

long Result::number() const {
    Var copy;
    if (FAILED(VariantChangeType(&copy.get(), const_cast<VARIANT*>(&value.get()), 0, VT_I4)))
        return -99999;
    return copy.get().lVal;
}

Object::Object(const Object& other)
    : mDispatch(other.mDispatch) {
    if (mDispatch)
        mDispatch->AddRef();
}

Object& Object::operator=(const Object& other) {
    if (other.mDispatch)
        other.mDispatch->AddRef();
    if (mDispatch)
        mDispatch->Release();
    mDispatch = other.mDispatch;
    return *this;
}

Object::~Object() {
    if (mDispatch)
        mDispatch->Release();
}

Result Object::call(const wchar_t* name, std::vector<Arg> args) const {
    return invoke(name, DISPATCH_METHOD, std::move(args));
}

Result Object::get(const wchar_t* name, std::vector<Arg> args) const {
    return invoke(name, DISPATCH_PROPERTYGET, std::move(args));
}

Result Object::put(const wchar_t* name, Var value) const {
    return invoke(name, DISPATCH_PROPERTYPUT, {{std::move(value), {}}});
}

HRESULT Object::names(std::vector<const wchar_t*> names) const {
    std::vector<DISPID> ids(names.size());
    return mDispatch->GetIDsOfNames(IID_NULL, const_cast<LPOLESTR*>(names.data()),
                                    static_cast<UINT>(names.size()), LOCALE_USER_DEFAULT,
                                    ids.data());
}

// Late binding's layout: named arguments first in rgvarg, positional ones after them in
// reverse order, a put's value named DISPID_PROPERTYPUT.
Result Object::invoke(const wchar_t* name, WORD flags, std::vector<Arg> args) const {
    Result result;
    std::vector<const wchar_t*> names{name};
    std::vector<Var> values;
    for (const Arg& arg : args)
        if (!arg.name.empty()) {
            names.push_back(arg.name.c_str());
            values.push_back(arg.value);
        }
    const UINT named = static_cast<UINT>(values.size());
    for (auto arg = args.rbegin(); arg != args.rend(); ++arg)
        if (arg->name.empty())
            values.push_back(arg->value);
    std::vector<DISPID> ids(names.size());
    result.hr =
        mDispatch->GetIDsOfNames(IID_NULL, const_cast<LPOLESTR*>(names.data()),
                                 static_cast<UINT>(names.size()), LOCALE_USER_DEFAULT, ids.data());
    if (FAILED(result.hr))
        return result;
    std::vector<VARIANT> raw;
    for (Var& v : values)
        raw.push_back(v.get());
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{raw.data(), flags == DISPATCH_PROPERTYPUT ? &putId : ids.data() + 1,
                      static_cast<UINT>(raw.size()), flags == DISPATCH_PROPERTYPUT ? 1 : named};
    EXCEPINFO info{};
    result.hr = mDispatch->Invoke(ids[0], IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                  &result.value.get(), &info, &result.argError);
    if (result.hr == DISP_E_EXCEPTION) {
        result.source = info.bstrSource ? info.bstrSource : L"";
        result.description = info.bstrDescription ? info.bstrDescription : L"";
    }
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    return result;
}

} // namespace client
