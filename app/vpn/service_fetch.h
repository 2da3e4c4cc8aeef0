// GET requests to the service through WinHTTP, each bounded in time and in the size of its answer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Largest answer taken from each endpoint; a longer one is a failed fetch. Far above what the
// service sends (about 100 bytes a line, a notice file of a few hundred bytes, an IPv4 address).
inline constexpr std::size_t kLineListLimit = 4u << 20;
inline constexpr std::size_t kNoticeFileLimit = 256u << 10;
inline constexpr std::size_t kHelloAnswerLimit = 4u << 10;

// Per step: name resolution, connect, sending the request, and each wait for answer bytes (ms).
inline constexpr int kResolveTimeoutMs = 10000;
inline constexpr int kConnectTimeoutMs = 10000;
inline constexpr int kSendTimeoutMs = 10000;
inline constexpr int kReceiveTimeoutMs = 15000;
// The whole fetch, redirects included: an answer that trickles in slower fails here.
inline constexpr unsigned kFetchDeadlineMs = 30000;
// Redirects followed per fetch (only those RedirectTarget allows).
inline constexpr int kMaxRedirects = 3;

struct FetchBounds {
    std::size_t maxBytes = 0;
    unsigned deadlineMs = kFetchDeadlineMs;
};

struct Fetched {
    int status = 0; // 0 when no complete answer within the bounds came back
    std::vector<uint8_t> body; // empty whenever status is 0
};

// One GET of `url` ("http://" or "https://"). Over https: TLS 1.2 or later only, the certificate
// and host name are checked, no automatic Windows logon; never retried over http.
Fetched ServiceGet(const std::string& url, const FetchBounds& bounds);
