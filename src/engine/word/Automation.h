#pragma once

#include "engine/Engine.h"

#include <QString>
#include <oaidl.h>
#include <vector>

// Late-bound COM automation: every member called by name through IDispatch, as a script or VB
// calls it, so that no type library of Word is needed and any Word version answers.
namespace brindlecast::engine::word {

/// One VARIANT argument or result, cleared when it goes.
class Variant {
public:
    Variant() noexcept { VariantInit(&mValue); }
    ~Variant() { VariantClear(&mValue); }
    Variant(const Variant& other);
    Variant(Variant&& other) noexcept;
    Variant& operator=(Variant other) noexcept;

    /// A BSTR.
    static Variant string(const QString& text);
    /// VT_BOOL: True is -1.
    static Variant boolean(bool value);
    /// VT_I2
    static Variant int16(short value);
    /// VT_I4
    static Variant int32(int value);
    /// An argument left out: VT_ERROR with DISP_E_PARAMNOTFOUND.
    static Variant omitted();

    VARIANT* get() { return &mValue; }
    const VARIANT& value() const { return mValue; }
    /// The value converted as Word converts it; EngineError when it cannot be.
    bool toBool() const;
    int toInt() const;
    QString toString() const;

private:
    VARIANT mValue;
};

struct NamedArgument {
    const wchar_t* name;
    Variant value;
};

/// A counted IDispatch reference, released when it goes.
class Dispatch {
public:
    Dispatch() = default;
    /// Takes over a reference the caller owns.
    static Dispatch adopt(IDispatch* object) noexcept;
    Dispatch(const Dispatch& other);
    Dispatch(Dispatch&& other) noexcept;
    Dispatch& operator=(Dispatch other) noexcept;
    ~Dispatch() { reset(); }

    explicit operator bool() const { return mObject != nullptr; }
    void reset() noexcept;

    /// A property read (DISPATCH_PROPERTYGET).
    Variant get(const wchar_t* name, std::vector<Variant> arguments = {}) const;
    /// A property read whose value is an object.
    Dispatch object(const wchar_t* name, std::vector<Variant> arguments = {}) const;
    /// A property write (DISPATCH_PROPERTYPUT, named DISPID_PROPERTYPUT).
    void put(const wchar_t* name, Variant value) const;
    /// A method call: positional arguments in the member's order, then named ones.
    Variant call(const wchar_t* name, std::vector<Variant> positional = {},
                 std::vector<NamedArgument> named = {}) const;
    /// A method call whose result is an object.
    Dispatch callObject(const wchar_t* name, std::vector<Variant> positional = {},
                        std::vector<NamedArgument> named = {}) const;
    /// Every member of a collection, walked with its _NewEnum enumerator.
    std::vector<Dispatch> members() const;

private:
    explicit Dispatch(IDispatch* object) noexcept
        : mObject(object) {}
    Variant invoke(const wchar_t* name, unsigned short flags, std::vector<Variant>& positional,
                   std::vector<NamedArgument>& named) const;

    IDispatch* mObject = nullptr;
};

/// The object a result holds; EngineError naming `member` when it holds none.
Dispatch ObjectOf(const Variant& result, const wchar_t* member);

/// Word, still running, said no to a call: a member, an argument or an object it refused.
/// Some objects refuse what others take (a line's text frame), so a caller may go on.
class WordRefusal : public EngineError {
public:
    using EngineError::EngineError;
};

/// Throws a failed call as the user reads it: the server's own description when it gave one,
/// else the system's message for `result`; a WordRefusal unless Word is gone.
[[noreturn]] void ThrowAutomationError(long result, const QString& member,
                                       EXCEPINFO* exception = nullptr);

/// The system's message for an HRESULT, with the number.
QString SystemMessage(long result);

/// COM for the calling thread as a single-threaded apartment, entered once per thread and left
/// when the thread ends, with the busy-Word message filter (BusyWord.h) in it.
void EnterApartment();
/// Leaves it for good, before the thread ends: COM lets go of every object of Word's the
/// thread still holds, whoever holds our references to them.
void LeaveApartment() noexcept;

} // namespace brindlecast::engine::word
