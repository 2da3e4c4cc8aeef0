#include "app/vpn/service_fetch.h"

#include "platform/win.h"

#include <winhttp.h>

#include <algorithm>
#include <optional>

#include "app/vpn/service_url.h"
#include "platform/handles.h"

namespace {

struct InternetTraits {
    using Value = HINTERNET;
    static Value Invalid() { return nullptr; }
    static void Close(Value v) { ::WinHttpCloseHandle(v); }
};
using Internet = platform::Unique<InternetTraits>;

constexpr DWORD kReadChunk = 64u << 10;

// URLs reaching here are ASCII: the host is checked, the hello values are percent-encoded.
std::wstring Ascii(std::string_view text) { return std::wstring(text.begin(), text.end()); }

bool SetDword(HINTERNET handle, DWORD option, DWORD value)
{
    return ::WinHttpSetOption(handle, option, &value, sizeof(value)) != FALSE;
}

std::optional<std::wstring> HeaderText(HINTERNET request, DWORD query)
{
    DWORD size = 0;
    ::WinHttpQueryHeaders(request, query, WINHTTP_HEADER_NAME_BY_INDEX, nullptr, &size, WINHTTP_NO_HEADER_INDEX);
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0 || size > 16384) {
        return std::nullopt;
    }
    std::wstring text(size / sizeof(wchar_t), L'\0');
    if (!::WinHttpQueryHeaders(
            request, query, WINHTTP_HEADER_NAME_BY_INDEX, text.data(), &size, WINHTTP_NO_HEADER_INDEX)) {
        return std::nullopt;
    }
    text.resize(size / sizeof(wchar_t));
    return text;
}

// A declared length over the limit fails before any byte of the body is read.
bool DeclaredLengthFits(HINTERNET request, std::size_t maxBytes)
{
    const std::optional<std::wstring> length = HeaderText(request, WINHTTP_QUERY_CONTENT_LENGTH);
    if (!length) {
        return true; // chunked or read to the end: the read loop counts
    }
    std::size_t value = 0;
    for (const wchar_t c : *length) {
        if (c < L'0' || c > L'9' || value > maxBytes) {
            return false;
        }
        value = value * 10 + static_cast<std::size_t>(c - L'0');
    }
    return value <= maxBytes;
}

class Deadline {
public:
    explicit Deadline(unsigned ms)
        : end_(::GetTickCount64() + ms)
    {
    }
    bool Passed() const { return ::GetTickCount64() >= end_; }

private:
    ULONGLONG end_;
};

bool IsRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// Whether the session can run over https: TLS 1.2 or later, or nothing at all. Windows before
// 8.1 does not know the TLS 1.3 flag and refuses the pair; TLS 1.2 alone is asked for there.
bool RequireModernTls(HINTERNET session)
{
    return SetDword(session, WINHTTP_OPTION_SECURE_PROTOCOLS,
               WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3)
        || SetDword(session, WINHTTP_OPTION_SECURE_PROTOCOLS, WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2);
}

// The session for one fetch; `tls` tells whether https may be used through it. A Windows 7
// without TLS 1.2 in WinHTTP still reaches an http service, never an https one.
Internet OpenSession(bool& tls)
{
    Internet session(::WinHttpOpen(
        L"Sorvik/1.5", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session
        || !::WinHttpSetTimeouts(session.Get(), kResolveTimeoutMs, kConnectTimeoutMs, kSendTimeoutMs, kReceiveTimeoutMs)
        // Redirects are followed here, not by WinHTTP, which cannot hold them to the same host.
        || !SetDword(session.Get(), WINHTTP_OPTION_REDIRECT_POLICY, WINHTTP_OPTION_REDIRECT_POLICY_NEVER)) {
        return Internet();
    }
    tls = RequireModernTls(session.Get());
    return session;
}

// One request and its answer. A redirect gives its Location in `location` and no body.
bool Exchange(HINTERNET session, const UrlParts& url, std::size_t maxBytes, const Deadline& deadline, Fetched& out,
    std::wstring& location)
{
    const Internet connection(
        ::WinHttpConnect(session, Ascii(url.host).c_str(), static_cast<INTERNET_PORT>(url.port), 0));
    if (!connection) {
        return false;
    }
    const Internet request(::WinHttpOpenRequest(connection.Get(), L"GET", Ascii(url.path).c_str(), nullptr,
        WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, url.secure ? WINHTTP_FLAG_SECURE : 0));
    if (!request || !SetDword(request.Get(), WINHTTP_OPTION_REDIRECT_POLICY, WINHTTP_OPTION_REDIRECT_POLICY_NEVER)
        || !SetDword(request.Get(), WINHTTP_OPTION_AUTOLOGON_POLICY, WINHTTP_AUTOLOGON_SECURITY_LEVEL_HIGH)
        || !SetDword(request.Get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, kReceiveTimeoutMs)) {
        return false;
    }
    if (!::WinHttpSendRequest(request.Get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0)
        || !::WinHttpReceiveResponse(request.Get(), nullptr) || deadline.Passed()) {
        return false;
    }
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!::WinHttpQueryHeaders(request.Get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
            WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX)) {
        return false;
    }
    if (IsRedirect(static_cast<int>(status))) {
        const std::optional<std::wstring> target = HeaderText(request.Get(), WINHTTP_QUERY_LOCATION);
        if (!target) {
            return false;
        }
        location = *target;
        return true;
    }
    if (!DeclaredLengthFits(request.Get(), maxBytes)) {
        return false;
    }
    std::vector<uint8_t> body;
    for (;;) {
        DWORD available = 0;
        if (!::WinHttpQueryDataAvailable(request.Get(), &available) || deadline.Passed()) {
            return false;
        }
        if (available == 0) {
            break;
        }
        // One byte past the limit is enough to know the answer is too long.
        const std::size_t room = maxBytes + 1 - body.size();
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>({available, kReadChunk, room}));
        const std::size_t at = body.size();
        body.resize(at + want);
        DWORD read = 0;
        if (!::WinHttpReadData(request.Get(), body.data() + at, want, &read) || deadline.Passed()) {
            return false;
        }
        body.resize(at + read);
        if (body.size() > maxBytes) {
            return false;
        }
        if (read == 0) {
            break;
        }
    }
    out.status = static_cast<int>(status);
    out.body = std::move(body);
    return true;
}

} // namespace

Fetched ServiceGet(const std::string& url, const FetchBounds& bounds)
{
    const Deadline deadline(bounds.deadlineMs);
    std::optional<UrlParts> parts = SplitUrl(url);
    bool tls = false;
    const Internet session = parts ? OpenSession(tls) : Internet();
    if (!session) {
        return {};
    }
    std::string current = url;
    for (int hop = 0; hop <= kMaxRedirects; ++hop) {
        Fetched answer;
        std::wstring location;
        if ((parts->secure && !tls) || !Exchange(session.Get(), *parts, bounds.maxBytes, deadline, answer, location)) {
            return {};
        }
        if (location.empty()) {
            return answer;
        }
        if (std::any_of(location.begin(), location.end(), [](wchar_t c) { return c < 0x21 || c > 0x7e; })) {
            return {};
        }
        const std::optional<std::string> next = RedirectTarget(current, std::string(location.begin(), location.end()));
        parts = next ? SplitUrl(*next) : std::nullopt;
        if (!parts) {
            return {};
        }
        current = *next;
    }
    return {};
}
