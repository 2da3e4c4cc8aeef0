// Test-only access to the demo service's controls on 127.0.0.1:18631, over raw Winsock,
// independent of the HTTP client under test.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace service_control {

inline constexpr uint16_t kPort = 18631;
inline constexpr const char* kBaseUrl = "http://127.0.0.1:18631";

struct Reply {
    int status = 0; // 0: no HTTP answer at all
    std::string headers;
    std::string body;
};

// One request on a fresh connection (Connection: close); waits at most `timeoutMs` for the answer.
Reply Exchange(std::string_view method, std::string_view target, std::string_view body = {}, int timeoutMs = 5000);

// POST /_control/config: the JSON replaces lines, notice and faults. True on 200.
// JSON travels as UTF-8: narrow literals here compile to GBK, so write other characters as \uXXXX.
bool PostConfig(std::string_view json);
// POST /_control/faults: {path: [fault, ...]} joins the queues. True on 200.
bool QueueFaults(std::string_view json);
// POST /_control/down: {path: fault} answers every request on the path until the next call ({} brings
// all back) or config. True on 200.
bool SetDown(std::string_view json);
// Posts tools/demo_service/demo.json (found through SORVIK_REPO), which also drops queued faults.
bool RestoreDemoConfig();
// POST /_control/reset: forgets the recorded requests.
bool ResetRecords();

// One recorded event: its fields, strings unescaped (UTF-8), other values as their JSON text.
struct Event {
    std::map<std::string, std::string> fields;
    std::string Get(const std::string& key) const;
};
// GET /_control/requests, in the order seen; empty when the service does not answer.
std::vector<Event> Requests();
// Only the HTTP requests, as "METHOD path?query".
std::vector<std::string> HttpRequestLines();

// The flat JSON reader behind Requests: an array of objects; false on malformed text.
bool ParseEvents(std::string_view json, std::vector<Event>& events);

} // namespace service_control
