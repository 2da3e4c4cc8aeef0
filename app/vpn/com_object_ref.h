// Late-bound calls on a COM automation object, and the VARIANT owner they take and give.
#pragma once

#include "platform/win.h"
#include <oaidl.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/handles.h"

// Owns one VARIANT: VariantClear runs on destruction and before every overwrite.
class Variant {
public:
    Variant() { ::VariantInit(&value_); }
    ~Variant() { ::VariantClear(&value_); }
    // A deep copy (VariantCopy); empty when the copy fails.
    Variant(const Variant& other);
    Variant& operator=(const Variant& other);
    Variant(Variant&& other) noexcept;
    Variant& operator=(Variant&& other) noexcept;

    static Variant Int(int32_t value); // VT_I4
    static Variant Bool(bool value); // VT_BOOL, true = -1
    static Variant Text(std::string_view ansi); // VT_BSTR from the ANSI code page
    static Variant Bytes(std::span<const uint8_t> bytes); // one-dimensional VT_ARRAY | VT_UI1

    const VARIANT& Get() const { return value_; }
    // Clears the value and hands out the slot for a call to fill.
    VARIANT* Put();
    VARTYPE Type() const { return value_.vt; }

    // Conversions used for results; each yields 0 / false / empty when the value does not convert.
    int32_t ToInt() const;
    bool ToBool() const;
    std::string ToText() const; // to the ANSI code page, trailing NULs dropped
    // A VT_ARRAY of VT_UI1 or VT_I1 as is, anything else through VariantChangeType to VT_ARRAY | VT_UI1.
    std::vector<uint8_t> ToBytes() const;

private:
    // MinGW declares the source of VariantCopy / VariantChangeType non-const; it is only read.
    VARIANT* Source() const { return const_cast<VARIANT*>(&value_); }

    VARIANT value_{};
};

// One reference to an automation object and the HRESULT of the last operation on it.
// Copies take their own reference. Not for sharing between threads: the object lives in
// the apartment of the thread that made it.
class ComObjectRef {
public:
    ComObjectRef() = default;
    // Takes another reference to `object` (which may be null).
    explicit ComObjectRef(IDispatch* object);

    IDispatch* Object() const { return object_.Get(); }
    bool IsEmpty() const { return !object_; }
    HRESULT LastResult() const { return lastResult_; }
    void LastResult(HRESULT hr) { lastResult_ = hr; }
    // Drops the held reference and, when given, takes one to `object` instead.
    void Reset(IDispatch* object = nullptr);

    // Calls member `name` with `kind` (DISPATCH_METHOD, DISPATCH_PROPERTYGET or DISPATCH_PROPERTYPUT).
    // `args` are in declaration order. Without an object no call is made and lastResult is E_POINTER;
    // otherwise lastResult is the HRESULT of the last step taken. A property write returns empty.
    Variant Call(const wchar_t* name, WORD kind, std::span<const Variant> args = {});

private:
    platform::ComPtr<IDispatch> object_;
    HRESULT lastResult_ = S_OK;
};
