#include "app/vpn/com_object_ref.h"

#include <oleauto.h>

#include <array>
#include <cstring>
#include <utility>

#include "platform/text.h"

namespace {

// The strings an Invoke may leave in its EXCEPINFO belong to the caller.
struct ExceptionInfo {
    EXCEPINFO info{};
    ExceptionInfo() = default;
    ExceptionInfo(const ExceptionInfo&) = delete;
    ExceptionInfo& operator=(const ExceptionInfo&) = delete;
    ~ExceptionInfo()
    {
        ::SysFreeString(info.bstrSource);
        ::SysFreeString(info.bstrDescription);
        ::SysFreeString(info.bstrHelpFile);
    }
};

// Locks a safe array's data for the scope.
class SafeArrayData {
public:
    explicit SafeArrayData(SAFEARRAY* array)
        : array_(array)
    {
        if (array_ && FAILED(::SafeArrayAccessData(array_, &data_))) {
            data_ = nullptr;
        }
    }
    ~SafeArrayData()
    {
        if (data_) {
            ::SafeArrayUnaccessData(array_);
        }
    }
    SafeArrayData(const SafeArrayData&) = delete;
    SafeArrayData& operator=(const SafeArrayData&) = delete;
    void* Get() const { return data_; }

private:
    SAFEARRAY* array_;
    void* data_ = nullptr;
};

// All elements of a byte-sized safe array: the count is the product of every dimension's extent.
std::vector<uint8_t> CopyByteArray(SAFEARRAY* array)
{
    if (!array || ::SafeArrayGetElemsize(array) != 1) {
        return {};
    }
    const UINT dims = ::SafeArrayGetDim(array);
    if (dims == 0) {
        return {};
    }
    uint64_t count = 1;
    for (UINT i = 0; i < dims; ++i) {
        count *= array->rgsabound[i].cElements;
        if (count > 0x7fffffffu) {
            return {}; // no real answer is that large; a bad descriptor must not make us read past it
        }
    }
    if (count == 0) {
        return {};
    }
    SafeArrayData data(array);
    if (!data.Get()) {
        return {};
    }
    const auto* bytes = static_cast<const uint8_t*>(data.Get());
    return std::vector<uint8_t>(bytes, bytes + count);
}

} // namespace

Variant::Variant(const Variant& other)
{
    ::VariantInit(&value_);
    if (FAILED(::VariantCopy(&value_, other.Source()))) {
        ::VariantInit(&value_);
    }
}

Variant& Variant::operator=(const Variant& other)
{
    if (this != &other) {
        *this = Variant(other);
    }
    return *this;
}

Variant::Variant(Variant&& other) noexcept
    : value_(other.value_)
{
    ::VariantInit(&other.value_);
}

Variant& Variant::operator=(Variant&& other) noexcept
{
    if (this != &other) {
        ::VariantClear(&value_);
        value_ = other.value_;
        ::VariantInit(&other.value_);
    }
    return *this;
}

Variant Variant::Int(int32_t value)
{
    Variant v;
    v.value_.vt = VT_I4;
    v.value_.lVal = value;
    return v;
}

Variant Variant::Bool(bool value)
{
    Variant v;
    v.value_.vt = VT_BOOL;
    v.value_.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

Variant Variant::Text(std::string_view ansi)
{
    Variant v;
    const std::wstring wide = platform::Widen(ansi);
    BSTR text = ::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    if (text) {
        v.value_.vt = VT_BSTR;
        v.value_.bstrVal = text;
    }
    return v;
}

Variant Variant::Bytes(std::span<const uint8_t> bytes)
{
    Variant v;
    SAFEARRAY* array = ::SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
    if (!array) {
        return v;
    }
    v.value_.vt = VT_ARRAY | VT_UI1;
    v.value_.parray = array; // owned by the variant from here on
    if (!bytes.empty()) {
        SafeArrayData data(array);
        if (data.Get()) {
            std::memcpy(data.Get(), bytes.data(), bytes.size());
        }
    }
    return v;
}

VARIANT* Variant::Put()
{
    ::VariantClear(&value_);
    return &value_;
}

int32_t Variant::ToInt() const
{
    Variant converted;
    if (FAILED(::VariantChangeType(converted.Put(), Source(), 0, VT_I4))) {
        return 0;
    }
    return converted.value_.lVal;
}

bool Variant::ToBool() const
{
    Variant converted;
    if (FAILED(::VariantChangeType(converted.Put(), Source(), 0, VT_BOOL))) {
        return false;
    }
    return converted.value_.boolVal != VARIANT_FALSE;
}

std::string Variant::ToText() const
{
    const VARIANT* text = &value_;
    Variant converted;
    if (value_.vt != VT_BSTR) {
        if (FAILED(::VariantChangeType(converted.Put(), Source(), 0, VT_BSTR))) {
            return {};
        }
        text = &converted.value_;
    }
    if (!text->bstrVal) {
        return {};
    }
    std::wstring_view wide(text->bstrVal, ::SysStringLen(text->bstrVal));
    // Wine's request object counts the terminating NUL into some lengths (StatusText, headers).
    while (!wide.empty() && wide.back() == L'\0') {
        wide.remove_suffix(1);
    }
    return platform::Narrow(wide);
}

std::vector<uint8_t> Variant::ToBytes() const
{
    if (value_.vt == (VT_ARRAY | VT_UI1) || value_.vt == (VT_ARRAY | VT_I1)) {
        return CopyByteArray(value_.parray);
    }
    Variant converted;
    if (FAILED(::VariantChangeType(converted.Put(), Source(), 0, VT_ARRAY | VT_UI1))) {
        return {};
    }
    return CopyByteArray(converted.value_.parray);
}

ComObjectRef::ComObjectRef(IDispatch* object) { Reset(object); }

void ComObjectRef::Reset(IDispatch* object)
{
    if (object) {
        object->AddRef();
    }
    object_ = platform::ComPtr<IDispatch>::Adopt(object);
}

Variant ComObjectRef::Call(const wchar_t* name, WORD kind, std::span<const Variant> args)
{
    if (!object_) {
        lastResult_ = E_POINTER;
        return {};
    }
    // IDispatch takes its arguments last first; no member we call has more than four.
    std::array<VARIANT, 8> reversed{};
    if (args.size() > reversed.size()) {
        lastResult_ = E_INVALIDARG;
        return {};
    }
    for (size_t i = 0; i < args.size(); ++i) {
        reversed[i] = args[args.size() - 1 - i].Get(); // shallow: the callers' Variants keep ownership
    }

    platform::ComPtr<IDispatch> dispatch;
    lastResult_ = object_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.Put()));
    if (FAILED(lastResult_) || !dispatch) {
        if (SUCCEEDED(lastResult_)) {
            lastResult_ = E_NOINTERFACE;
        }
        return {};
    }
    DISPID member = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    lastResult_ = dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &member);
    if (FAILED(lastResult_)) {
        return {};
    }

    const bool put = kind == DISPATCH_PROPERTYPUT;
    DISPID putId = DISPID_PROPERTYPUT; // a property write names its value argument
    DISPPARAMS params{};
    params.rgvarg = args.empty() ? nullptr : reversed.data();
    params.cArgs = static_cast<UINT>(args.size());
    params.rgdispidNamedArgs = put ? &putId : nullptr;
    params.cNamedArgs = put ? 1 : 0;
    Variant result;
    ExceptionInfo exception;
    UINT badArgument = 0;
    lastResult_ = dispatch->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, put ? nullptr : result.Put(),
        &exception.info, &badArgument);
    if (FAILED(lastResult_)) {
        return {};
    }
    return result;
}
