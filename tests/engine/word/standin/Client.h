#pragma once

#include <string>
#include <vector>
#include <windows.h>
// After windows.h: a lean windows.h leaves OLE Automation out.
#include <ole2.h>

// A late-binding client for the stand-in's own test: every member by name, as the program
// calls Word.
namespace client {

/// A VARIANT that frees itself.
class Var {
public:
    Var() { VariantInit(&mValue); }
    Var(const Var& other);
    Var& operator=(const Var& other);
    ~Var() { VariantClear(&mValue); }

    static Var text(const std::wstring& text);
    static Var i2(short value);
    static Var i4(long value);
    static Var flag(bool value);
    /// An optional argument left out, as late binding passes it.
    static Var omitted();
    /// A string by reference; `storage` must outlive the call.
    static Var byRef(BSTR* storage);
    /// A variant by reference; `storage` must outlive the call.
    static Var byRef(VARIANT* storage);

    VARIANT& get() { return mValue; }
    const VARIANT& get() const { return mValue; }

private:
    VARIANT mValue;
};

struct Arg {
    Var value;
    /// Empty for a positional argument.
    std::wstring name = {};
};

class Object;

/// What one call gave: its HRESULT, result and, on DISP_E_EXCEPTION, Word's words.
struct Result {
    HRESULT hr = S_OK;
    Var value;
    std::wstring source;
    std::wstring description;
    UINT argError = ~0u;

    Object object() const;
    std::wstring text() const;
    long number() const;
};

class Object {
public:
    explicit Object(IDispatch* dispatch = nullptr)
        : mDispatch(dispatch) {}
    Object(const Object& other);
    Object& operator=(const Object& other);
    ~Object();

    Result call(const wchar_t* name, std::vector<Arg> args = {}) const;
    Result get(const wchar_t* name, std::vector<Arg> args = {}) const;
    Result put(const wchar_t* name, Var value) const;
    /// GetIDsOfNames alone: the member and its argument names.
    HRESULT names(std::vector<const wchar_t*> names) const;
    explicit operator bool() const { return mDispatch != nullptr; }
    IDispatch* get() const { return mDispatch; }

private:
    Result invoke(const wchar_t* name, WORD flags, std::vector<Arg> args) const;

    IDispatch* mDispatch;
};

} // namespace client
