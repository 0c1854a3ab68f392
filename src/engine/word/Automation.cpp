#include "Automation.h"

#include "BusyWord.h"

#include <algorithm>
#include <utility>

namespace brindlecast::engine::word {

namespace {

BSTR toBstr(const QString& text) {
    return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.utf16()), UINT(text.size()));
}

QString fromBstr(BSTR text) {
    return text ? QString::fromWCharArray(text, int(SysStringLen(text))) : QString();
}

Variant converted(const Variant& value, VARTYPE type, const char* what) {
    Variant out;
    if (FAILED(VariantChangeType(out.get(), const_cast<VARIANT*>(&value.value()), 0, type)))
        throw EngineError(std::string("Word answered with something that is not ") + what + ".");
    return out;
}

QString memberName(const wchar_t* name) {
    return QString::fromWCharArray(name);
}

// An object Word handed back, as whichever of the two interfaces it came in.
IUnknown* unknownOf(const VARIANT& held) {
    return held.vt == VT_DISPATCH ? held.pdispVal : held.vt == VT_UNKNOWN ? held.punkVal : nullptr;
}

} // namespace

Variant::Variant(const Variant& other) {
    VariantInit(&mValue);
    VariantCopy(&mValue, const_cast<VARIANT*>(&other.mValue));
}

Variant::Variant(Variant&& other) noexcept
    : mValue(other.mValue) {
    VariantInit(&other.mValue);
}

Variant& Variant::operator=(Variant other) noexcept {
    std::swap(mValue, other.mValue);
    return *this;
}

Variant Variant::string(const QString& text) {
    Variant v;
    v.mValue.vt = VT_BSTR;
    v.mValue.bstrVal = toBstr(text);
    return v;
}

Variant Variant::boolean(bool value) {
    Variant v;
    v.mValue.vt = VT_BOOL;
    v.mValue.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

Variant Variant::int16(short value) {
    Variant v;
    v.mValue.vt = VT_I2;
    v.mValue.iVal = value;
    return v;
}

Variant Variant::int32(int value) {
    Variant v;
    v.mValue.vt = VT_I4;
    v.mValue.lVal = value;
    return v;
}

Variant Variant::omitted() {
    Variant v;
    v.mValue.vt = VT_ERROR;
    v.mValue.scode = DISP_E_PARAMNOTFOUND;
    return v;
}

bool Variant::toBool() const {
    return converted(*this, VT_BOOL, "a truth value").mValue.boolVal != VARIANT_FALSE;
}

int Variant::toInt() const {
    return converted(*this, VT_I4, "a number").mValue.lVal;
}

QString Variant::toString() const {
    return fromBstr(converted(*this, VT_BSTR, "a text").mValue.bstrVal);
}

Dispatch Dispatch::adopt(IDispatch* object) noexcept {
    return Dispatch(object);
}

Dispatch::Dispatch(const Dispatch& other)
    : mObject(other.mObject) {
    if (mObject)
        mObject->AddRef();
}

Dispatch::Dispatch(Dispatch&& other) noexcept
    : mObject(std::exchange(other.mObject, nullptr)) {}

Dispatch& Dispatch::operator=(Dispatch other) noexcept {
    std::swap(mObject, other.mObject);
    return *this;
}

void Dispatch::reset() noexcept {
    // A release is a call into Word too; one left to the user is not called again.
    if (IDispatch* object = std::exchange(mObject, nullptr); object && !CallsAbandoned())
        object->Release();
}

Variant Dispatch::get(const wchar_t* name, std::vector<Variant> arguments) const {
    std::vector<NamedArgument> none;
    return invoke(name, DISPATCH_PROPERTYGET, arguments, none);
}

Dispatch Dispatch::object(const wchar_t* name, std::vector<Variant> arguments) const {
    return ObjectOf(get(name, std::move(arguments)), name);
}

void Dispatch::put(const wchar_t* name, Variant value) const {
    std::vector<Variant> positional;
    positional.push_back(std::move(value));
    std::vector<NamedArgument> none;
    invoke(name, DISPATCH_PROPERTYPUT, positional, none);
}

Variant Dispatch::call(const wchar_t* name, std::vector<Variant> positional,
                       std::vector<NamedArgument> named) const {
    return invoke(name, DISPATCH_METHOD, positional, named);
}

Dispatch Dispatch::callObject(const wchar_t* name, std::vector<Variant> positional,
                              std::vector<NamedArgument> named) const {
    return ObjectOf(call(name, std::move(positional), std::move(named)), name);
}

Variant Dispatch::invoke(const wchar_t* name, unsigned short flags,
                         std::vector<Variant>& positional,
                         std::vector<NamedArgument>& named) const {
    if (!mObject)
        throw EngineError("Word's object is gone: the session has ended.");
    if (CallsAbandoned())
        throw EngineError(AbandonedWord);
    // The member's id and its named arguments' ids come from one lookup, as late binding does.
    std::vector<LPOLESTR> names{const_cast<LPOLESTR>(name)};
    for (const NamedArgument& argument : named)
        names.push_back(const_cast<LPOLESTR>(argument.name));
    std::vector<DISPID> ids(names.size());
    HRESULT result = RetryWhileBusy([&] {
        return mObject->GetIDsOfNames(IID_NULL, names.data(), UINT(names.size()),
                                      LOCALE_USER_DEFAULT, ids.data());
    });
    ParkIfAbandoned();
    if (FAILED(result))
        ThrowAutomationError(result, memberName(name));

    // Named arguments come first, then the positional ones from the last to the first.
    std::vector<VARIANTARG> arguments;
    std::vector<DISPID> namedIds(ids.begin() + 1, ids.end());
    for (NamedArgument& argument : named)
        arguments.push_back(*argument.value.get());
    for (auto argument = positional.rbegin(); argument != positional.rend(); ++argument)
        arguments.push_back(*argument->get());
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS parameters{arguments.data(), namedIds.data(), UINT(arguments.size()),
                          UINT(namedIds.size())};
    if (flags & DISPATCH_PROPERTYPUT) {
        parameters.rgdispidNamedArgs = &putId;
        parameters.cNamedArgs = 1;
    }
    Variant value;
    EXCEPINFO exception{};
    UINT badArgument = 0;
    // A rejected call never ran, so it is made again as it was.
    result = RetryWhileBusy([&] {
        return mObject->Invoke(ids[0], IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters,
                               (flags & DISPATCH_PROPERTYPUT) ? nullptr : value.get(), &exception,
                               &badArgument);
    });
    ParkIfAbandoned();
    if (FAILED(result))
        ThrowAutomationError(result, memberName(name), &exception);
    return value;
}

std::vector<Dispatch> Dispatch::members() const {
    if (!mObject)
        throw EngineError("Word's object is gone: the session has ended.");
    if (CallsAbandoned())
        throw EngineError(AbandonedWord);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    Variant enumerator;
    EXCEPINFO exception{};
    HRESULT result = RetryWhileBusy([&] {
        return mObject->Invoke(DISPID_NEWENUM, IID_NULL, LOCALE_USER_DEFAULT,
                               DISPATCH_METHOD | DISPATCH_PROPERTYGET, &none, enumerator.get(),
                               &exception, nullptr);
    });
    ParkIfAbandoned();
    if (FAILED(result))
        ThrowAutomationError(result, QStringLiteral("_NewEnum"), &exception);
    IUnknown* unknown = unknownOf(enumerator.value());
    IEnumVARIANT* walk = nullptr;
    if (!unknown ||
        FAILED(unknown->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(&walk))))
        throw EngineError("Word's collection cannot be walked.");
    std::vector<Dispatch> found;
    for (;;) {
        Variant item;
        ULONG fetched = 0;
        result = RetryWhileBusy([&] { return walk->Next(1, item.get(), &fetched); });
        ParkIfAbandoned();
        if (FAILED(result)) {
            walk->Release();
            ThrowAutomationError(result, QStringLiteral("_NewEnum"));
        }
        if (result != S_OK || fetched == 0)
            break;
        found.push_back(ObjectOf(item, L"_NewEnum"));
    }
    walk->Release();
    return found;
}

Dispatch ObjectOf(const Variant& result, const wchar_t* member) {
    IUnknown* unknown = unknownOf(result.value());
    IDispatch* object = nullptr;
    if (!unknown ||
        FAILED(unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&object))))
        throw EngineError(
            QStringLiteral("Word's \"%1\" gave no object.").arg(memberName(member)).toStdString());
    return Dispatch::adopt(object);
}

} // namespace brindlecast::engine::word
