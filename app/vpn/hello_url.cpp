#include "app/vpn/hello_url.h"

#include <cstddef>

namespace {

bool Unreserved(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.'
        || c == '_' || c == '~';
}

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Four decimal parts of 0 to 255, one to three digits each, joined by dots.
bool DottedIpv4(std::string_view text)
{
    int parts = 0;
    std::size_t at = 0;
    while (parts < 4) {
        std::size_t digits = 0;
        int value = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 3) {
            value = value * 10 + (text[at] - '0');
            ++at;
            ++digits;
        }
        if (digits == 0 || value > 255) {
            return false;
        }
        ++parts;
        if (parts < 4) {
            if (at >= text.size() || text[at] != '.') {
                return false;
            }
            ++at;
        }
    }
    return at == text.size();
}

} // namespace

std::string PercentEncoded(std::string_view value)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : value) {
        if (Unreserved(c)) {
            out += c;
        } else {
            const auto byte = static_cast<unsigned char>(c);
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        }
    }
    return out;
}

std::string MyIpFromAnswer(std::string_view answer)
{
    while (!answer.empty() && Blank(answer.front())) {
        answer.remove_prefix(1);
    }
    while (!answer.empty() && Blank(answer.back())) {
        answer.remove_suffix(1);
    }
    return DottedIpv4(answer) ? std::string(answer) : std::string();
}

std::string HelloUrl(std::string_view base, std::string_view address)
{
    std::string url(base);
    url += "/jsq/line/hello.php?ip=";
    url += PercentEncoded(address);
    return url;
}

std::string KeepAliveUrl(std::string_view base, std::string_view address, std::string_view myIp)
{
    return HelloUrl(base, address) + "&myip=" + PercentEncoded(myIp);
}

std::string DisconnectUrl(std::string_view base, std::string_view address)
{
    return HelloUrl(base, address) + "&remove=1";
}
