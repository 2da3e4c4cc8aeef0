#include "platform/win.h"

#include "tests/win/service_control.h"

#include <cstdlib>
#include <cstring>

#include "platform/files.h"
#include "platform/text.h"
#include "platform/handles.h"

namespace service_control {
namespace {

struct SocketTraits {
    using Value = SOCKET;
    static Value Invalid() { return INVALID_SOCKET; }
    static void Close(Value v) { ::closesocket(v); }
};
using UniqueSocket = platform::Unique<SocketTraits>;

// Winsock counts its start-ups, so this works whether or not the test program started it too.
class WinsockSession {
public:
    WinsockSession()
    {
        WSADATA data;
        ok_ = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~WinsockSession()
    {
        if (ok_) {
            ::WSACleanup();
        }
    }
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;
    bool Ok() const { return ok_; }

private:
    bool ok_ = false;
};

bool SendAll(SOCKET s, std::string_view data)
{
    while (!data.empty()) {
        const int sent = ::send(s, data.data(), static_cast<int>(data.size()), 0);
        if (sent <= 0) {
            return false;
        }
        data.remove_prefix(static_cast<size_t>(sent));
    }
    return true;
}

Reply ParseReply(const std::string& raw)
{
    Reply reply;
    const size_t end = raw.find("\r\n\r\n");
    if (end == std::string::npos || raw.compare(0, 5, "HTTP/") != 0) {
        return reply;
    }
    const size_t space = raw.find(' ');
    if (space == std::string::npos || space > end) {
        return reply;
    }
    reply.status = std::atoi(raw.c_str() + space + 1);
    reply.headers = raw.substr(0, end);
    reply.body = raw.substr(end + 4);
    return reply;
}

class JsonReader {
public:
    explicit JsonReader(std::string_view text)
        : text_(text)
    {
    }

    bool Events(std::vector<Event>& events)
    {
        events.clear();
        Blank();
        if (!Take('[')) {
            return false;
        }
        Blank();
        if (Take(']')) {
            return AtEnd();
        }
        do {
            Event event;
            Blank();
            if (!Object(event)) {
                return false;
            }
            events.push_back(std::move(event));
            Blank();
        } while (Take(','));
        return Take(']') && AtEnd();
    }

private:
    bool Object(Event& event)
    {
        if (!Take('{')) {
            return false;
        }
        Blank();
        if (Take('}')) {
            return true;
        }
        do {
            std::string key;
            std::string value;
            Blank();
            if (!String(key)) {
                return false;
            }
            Blank();
            if (!Take(':')) {
                return false;
            }
            Blank();
            if (!Value(value)) {
                return false;
            }
            event.fields[key] = value;
            Blank();
        } while (Take(','));
        return Take('}');
    }

    // Strings unescaped; numbers, literals and nested values as their text.
    bool Value(std::string& out)
    {
        if (Peek() == '"') {
            return String(out);
        }
        const size_t start = at_;
        if (Peek() == '{' || Peek() == '[') {
            if (!SkipNested()) {
                return false;
            }
        } else {
            while (at_ < text_.size() && !std::strchr(",}] \t\r\n", text_[at_])) {
                ++at_;
            }
        }
        out.assign(text_.substr(start, at_ - start));
        return at_ > start;
    }

    bool SkipNested()
    {
        int depth = 0;
        std::string ignored;
        while (at_ < text_.size()) {
            const char c = text_[at_];
            if (c == '"') {
                if (!String(ignored)) {
                    return false;
                }
                continue;
            }
            ++at_;
            if (c == '{' || c == '[') {
                ++depth;
            } else if (c == '}' || c == ']') {
                if (--depth == 0) {
                    return true;
                }
            }
        }
        return false;
    }

    bool String(std::string& out)
    {
        out.clear();
        if (!Take('"')) {
            return false;
        }
        while (at_ < text_.size()) {
            const char c = text_[at_++];
            if (c == '"') {
                return true;
            }
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ >= text_.size()) {
                return false;
            }
            const char e = text_[at_++];
            switch (e) {
            case '"':
            case '\\':
            case '/':
                out += e;
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                unsigned code = 0;
                if (!Hex4(code)) {
                    return false;
                }
                if (code >= 0xD800 && code < 0xDC00 && text_.substr(at_, 2) == "\\u") {
                    at_ += 2;
                    unsigned low = 0;
                    if (!Hex4(low) || low < 0xDC00 || low >= 0xE000) {
                        return false;
                    }
                    code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                }
                AppendUtf8(out, code);
                break;
            }
            default:
                return false;
            }
        }
        return false;
    }

    bool Hex4(unsigned& code)
    {
        if (text_.size() - at_ < 4) {
            return false;
        }
        for (int i = 0; i < 4; ++i) {
            const char c = text_[at_++];
            code <<= 4;
            if (c >= '0' && c <= '9') {
                code |= static_cast<unsigned>(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                code |= static_cast<unsigned>(c - 'a' + 10);
            } else if (c >= 'A' && c <= 'F') {
                code |= static_cast<unsigned>(c - 'A' + 10);
            } else {
                return false;
            }
        }
        return true;
    }

    static void AppendUtf8(std::string& out, unsigned code)
    {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    char Peek() const { return at_ < text_.size() ? text_[at_] : '\0'; }
    bool Take(char c)
    {
        if (Peek() != c) {
            return false;
        }
        ++at_;
        return true;
    }
    void Blank()
    {
        while (at_ < text_.size() && std::strchr(" \t\r\n", text_[at_])) {
            ++at_;
        }
    }
    bool AtEnd()
    {
        Blank();
        return at_ == text_.size();
    }

    std::string_view text_;
    size_t at_ = 0;
};

} // namespace

Reply Exchange(std::string_view method, std::string_view target, std::string_view body, int timeoutMs)
{
    WinsockSession winsock;
    if (!winsock.Ok()) {
        return {};
    }
    UniqueSocket s(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!s) {
        return {};
    }
    const DWORD timeout = static_cast<DWORD>(timeoutMs);
    ::setsockopt(s.Get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    ::setsockopt(s.Get(), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = ::htons(kPort);
    address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
    if (::connect(s.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        return {};
    }

    std::string request(method);
    request += ' ';
    request += target;
    request += " HTTP/1.1\r\nHost: 127.0.0.1:18631\r\nConnection: close\r\n";
    if (!body.empty() || method == "POST") {
        request += "Content-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) + "\r\n";
    }
    request += "\r\n";
    request += body;
    if (!SendAll(s.Get(), request)) {
        return {};
    }

    std::string raw;
    char buffer[4096];
    for (;;) {
        const int got = ::recv(s.Get(), buffer, sizeof buffer, 0);
        if (got <= 0) {
            break; // end of the answer (the service closes), or the time-out
        }
        raw.append(buffer, static_cast<size_t>(got));
    }
    return ParseReply(raw);
}

bool PostConfig(std::string_view json) { return Exchange("POST", "/_control/config", json).status == 200; }

bool QueueFaults(std::string_view json) { return Exchange("POST", "/_control/faults", json).status == 200; }

bool SetDown(std::string_view json) { return Exchange("POST", "/_control/down", json).status == 200; }

bool RestoreDemoConfig()
{
    const char* repo = std::getenv("SORVIK_REPO");
    if (!repo || !*repo) {
        return false;
    }
    // A Unix path: Wine shows the Unix root as drive Z:.
    const std::string path = std::string(*repo == '/' ? "Z:" : "") + repo + "/tools/demo_service/demo.json";
    const std::vector<unsigned char> json = platform::ReadWholeFile(platform::Widen(path));
    if (json.empty()) {
        return false;
    }
    return PostConfig(std::string_view(reinterpret_cast<const char*>(json.data()), json.size()));
}

bool ResetRecords() { return Exchange("POST", "/_control/reset").status == 200; }

std::string Event::Get(const std::string& key) const
{
    const auto found = fields.find(key);
    return found == fields.end() ? std::string() : found->second;
}

bool ParseEvents(std::string_view json, std::vector<Event>& events) { return JsonReader(json).Events(events); }

std::vector<Event> Requests()
{
    const Reply reply = Exchange("GET", "/_control/requests");
    std::vector<Event> events;
    if (reply.status != 200 || !ParseEvents(reply.body, events)) {
        return {};
    }
    return events;
}

std::vector<std::string> HttpRequestLines()
{
    std::vector<std::string> lines;
    for (const Event& event : Requests()) {
        if (event.Get("kind") == "http") {
            lines.push_back(event.Get("method") + " " + event.Get("path"));
        }
    }
    return lines;
}

} // namespace service_control
