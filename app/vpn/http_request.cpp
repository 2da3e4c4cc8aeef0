#include "app/vpn/http_request.h"

#include <oleauto.h>

#include <array>
#include <utility>

#include "app/vpn/http_text.h"
#include "platform/text.h"

namespace {

constexpr WORD kMethod = DISPATCH_METHOD;
constexpr WORD kRead = DISPATCH_PROPERTYGET;
constexpr WORD kWrite = DISPATCH_PROPERTYPUT;

} // namespace

HttpRequest::HttpRequest()
    : HttpRequest(ComFactory{})
{
}

HttpRequest::HttpRequest(const ComFactory& factory)
    : factory_(factory)
{
    Create();
}

HttpRequest::HttpRequest(const ComObjectRef& object)
    : object_(object)
{
}

HttpRequest::HttpRequest(const HttpRequest& other)
    : object_(other.object_)
    , factory_(other.factory_)
{
}

HttpRequest& HttpRequest::operator=(const HttpRequest& other)
{
    if (this != &other) {
        Release();
        object_ = other.object_;
        factory_ = other.factory_;
    }
    return *this;
}

HttpRequest::~HttpRequest() { Release(); }

void HttpRequest::Create()
{
    // Counted so that Release undoes exactly the initialisations that took (S_FALSE counts too).
    if (SUCCEEDED(factory_.coInitialize(nullptr))) {
        ++comInits_;
    }
    object_.Reset();

    const std::wstring progId(kProgId);
    CLSID clsid{};
    HRESULT hr = factory_.clsidFromProgId(progId.c_str(), &clsid);
    if (FAILED(hr)) {
        hr = factory_.clsidFromString(progId.c_str(), &clsid);
    }
    if (FAILED(hr)) {
        object_.LastResult(hr);
        return;
    }

    constexpr DWORD kLocal = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;
    platform::ComPtr<IDispatch> created;
    hr = factory_.createInstance(
        clsid, nullptr, kLocal | CLSCTX_REMOTE_SERVER, IID_IDispatch, reinterpret_cast<void**>(created.Put()));
    if (hr == E_INVALIDARG) {
        hr = factory_.createInstance(clsid, nullptr, kLocal, IID_IDispatch, reinterpret_cast<void**>(created.Put()));
    }
    if (SUCCEEDED(hr) && created) {
        hr = factory_.run(created.Get());
        if (SUCCEEDED(hr)) {
            object_.Reset(created.Get());
        }
    } else if (SUCCEEDED(hr)) {
        hr = E_NOINTERFACE;
    }
    object_.LastResult(hr);
}

void HttpRequest::Release()
{
    object_.Reset(); // the object goes before its apartment
    for (; comInits_ > 0; --comInits_) {
        factory_.coUninitialize();
    }
}

ComObjectRef HttpRequest::GetObject()
{
    if (object_.IsEmpty()) {
        object_.LastResult(E_POINTER);
    }
    return object_;
}

int32_t HttpRequest::Status() { return object_.Call(L"Status", kRead).ToInt(); }

std::string HttpRequest::StatusText() { return object_.Call(L"StatusText", kRead).ToText(); }

std::string HttpRequest::ResponseText() { return object_.Call(L"ResponseText", kRead).ToText(); }

std::vector<uint8_t> HttpRequest::ResponseBody() { return object_.Call(L"ResponseBody", kRead).ToBytes(); }

Variant HttpRequest::ResponseStream() { return object_.Call(L"ResponseStream", kRead); }

Variant HttpRequest::Option(int32_t index, const HttpOptionValue& value)
{
    Variant written;
    if (value.integer) {
        written = Variant::Int(*value.integer);
    } else if (value.text) {
        written = Variant::Text(*value.text);
    } else if (value.bytes) {
        written = Variant::Bytes(*value.bytes);
    } else if (value.any) {
        written = *value.any;
    }
    if (value.integer || value.text || value.bytes || value.any) {
        const std::array args{Variant::Int(index), std::move(written)};
        object_.Call(L"Option", kWrite, args);
    }
    const std::array args{Variant::Int(index)};
    return object_.Call(L"Option", kRead, args);
}

void HttpRequest::SetProxy(std::string_view server, std::string_view bypassList) { SetProxy(2, server, bypassList); }

void HttpRequest::SetProxy(int32_t setting, std::string_view server, std::string_view bypassList)
{
    const std::array args{Variant::Int(setting), Variant::Text(server), Variant::Text(bypassList)};
    object_.Call(L"SetProxy", kMethod, args);
}

void HttpRequest::SetCredentials(std::string_view userName, std::string_view password, int32_t flags)
{
    const std::array args{Variant::Text(userName), Variant::Text(password), Variant::Int(flags)};
    object_.Call(L"SetCredentials", kMethod, args);
}

std::string HttpRequest::Open(std::string_view url) { return Open("GET", url); }

std::string HttpRequest::Open(std::string_view method, std::string_view url, bool asynchronous)
{
    std::string completed = CompleteScheme(url);
    const std::array args{Variant::Text(method), Variant::Text(completed), Variant::Bool(asynchronous)};
    object_.Call(L"Open", kMethod, args);
    return completed;
}

void HttpRequest::SetRequestHeader(std::string_view header, std::string_view value)
{
    const std::array args{Variant::Text(header), Variant::Text(value)};
    object_.Call(L"SetRequestHeader", kMethod, args);
}

std::string HttpRequest::GetResponseHeader(std::string_view header)
{
    const std::array args{Variant::Text(header)};
    return object_.Call(L"GetResponseHeader", kMethod, args).ToText();
}

std::string HttpRequest::GetAllResponseHeaders() { return object_.Call(L"GetAllResponseHeaders", kMethod).ToText(); }

void HttpRequest::Send(std::optional<std::string_view> body)
{
    if (!body) {
        object_.Call(L"Send", kMethod);
        return;
    }
    const std::array args{Variant::Text(*body)};
    object_.Call(L"Send", kMethod, args);
}

bool HttpRequest::WaitForResponse(int32_t timeout)
{
    const std::array args{Variant::Int(timeout)};
    return object_.Call(L"WaitForResponse", kMethod, args).ToBool();
}

void HttpRequest::Abort() { object_.Call(L"Abort", kMethod); }

void HttpRequest::SetTimeouts(int32_t resolve, int32_t connect, int32_t send, int32_t receive)
{
    const std::array args{Variant::Int(resolve), Variant::Int(connect), Variant::Int(send), Variant::Int(receive)};
    object_.Call(L"SetTimeouts", kMethod, args);
}

void HttpRequest::SetClientCertificate(std::string_view certificate)
{
    const std::array args{Variant::Text(certificate)};
    object_.Call(L"SetClientCertificate", kMethod, args);
}

void HttpRequest::SetAutoLogonPolicy(int32_t policy)
{
    const std::array args{Variant::Int(policy)};
    object_.Call(L"SetAutoLogonPolicy", kMethod, args);
}

// The headers are read as a method call: the object has no property of that name, and a
// property read of it fails (DISP_E_MEMBERNOTFOUND), which would leave every cookie empty.
std::string HttpRequest::GetCookie(std::string_view name) { return CookieValue(GetAllResponseHeaders(), name); }

std::string HttpRequest::GetAllCookies() { return AllCookies(GetAllResponseHeaders()); }
