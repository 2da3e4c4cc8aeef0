// The program's HTTP client: the system's "WinHttp.WinHttpRequest.5.1" object, driven by member name.
#pragma once

#include "platform/win.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/vpn/com_object_ref.h"

// How a client makes its request object. The real functions by default; tests put in fakes.
struct ComFactory {
    decltype(&::CoInitialize) coInitialize = ::CoInitialize;
    decltype(&::CoUninitialize) coUninitialize = ::CoUninitialize;
    decltype(&::CLSIDFromProgID) clsidFromProgId = ::CLSIDFromProgID;
    decltype(&::CLSIDFromString) clsidFromString = ::CLSIDFromString;
    decltype(&::CoCreateInstance) createInstance = ::CoCreateInstance;
    decltype(&::OleRun) run = ::OleRun;
};

// The value written by Option: only the first one present, in member order, is written.
struct HttpOptionValue {
    std::optional<int32_t> integer = std::nullopt;
    std::optional<std::string> text = std::nullopt;
    std::optional<std::vector<uint8_t>> bytes = std::nullopt;
    std::optional<Variant> any = std::nullopt;
};

// One client per thread: it initialises COM on the thread that makes it and must be used and
// destroyed there. Nothing throws; failed calls give 0 / false / empty and leave their HRESULT in LastResult.
class HttpRequest {
public:
    static constexpr const wchar_t* kProgId = L"WinHttp.WinHttpRequest.5.1";

    // Runs Create.
    HttpRequest();
    explicit HttpRequest(const ComFactory& factory);
    // Wraps an object made elsewhere (takes its own reference; no COM initialisation of its own).
    explicit HttpRequest(const ComObjectRef& object);
    // A copy holds another reference to the same request object.
    HttpRequest(const HttpRequest& other);
    HttpRequest& operator=(const HttpRequest& other);
    ~HttpRequest();

    // Initialises COM on this thread and makes a new request object; the client stays empty on failure.
    void Create();
    // Drops the request object and undoes this client's COM initialisations.
    void Release();
    bool IsEmpty() const { return object_.IsEmpty(); }
    ComObjectRef GetObject();
    HRESULT LastResult() const { return object_.LastResult(); }

    int32_t Status();
    std::string StatusText();
    std::string ResponseText();
    std::vector<uint8_t> ResponseBody();
    Variant ResponseStream();
    Variant Option(int32_t index, const HttpOptionValue& value = {});
    void SetProxy(std::string_view server, std::string_view bypassList); // setting 2: use this proxy
    void SetProxy(int32_t setting, std::string_view server, std::string_view bypassList);
    void SetCredentials(std::string_view userName, std::string_view password, int32_t flags = 0);
    // Returns the address as opened: "http://" is put before one that does not start with "http".
    std::string Open(std::string_view url); // method "GET"
    std::string Open(std::string_view method, std::string_view url, bool asynchronous = false);
    void SetRequestHeader(std::string_view header, std::string_view value);
    std::string GetResponseHeader(std::string_view header);
    std::string GetAllResponseHeaders();
    // Without a body the member gets no argument at all (not an empty text).
    void Send(std::optional<std::string_view> body = std::nullopt);
    bool WaitForResponse(int32_t timeout); // seconds, as the object counts them
    void Abort();
    void SetTimeouts(int32_t resolve, int32_t connect, int32_t send, int32_t receive);
    void SetClientCertificate(std::string_view certificate);
    void SetAutoLogonPolicy(int32_t policy);
    std::string GetCookie(std::string_view name);
    std::string GetAllCookies();

private:
    ComObjectRef object_;
    ComFactory factory_;
    int comInits_ = 0; // CoInitialize calls of this client not yet undone
};
