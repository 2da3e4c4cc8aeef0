// Marker search, lower-casing, scheme completion and cookie picking over arbitrary texts.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/vpn/http_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Input: text \0 left \0 right (missing parts are empty).
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    std::string_view parts[3];
    std::size_t start = 0;
    for (int i = 0; i < 3 && start <= all.size(); ++i) {
        const std::size_t end = i < 2 ? all.find('\0', start) : std::string_view::npos;
        parts[i] = all.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    const std::string_view text = parts[0];
    const std::string_view left = parts[1];
    const std::string_view right = parts[2];

    const std::string between = TextBetween(text, left, right);
    if (between.size() > text.size() || (!between.empty() && text.find(between) == std::string_view::npos)) {
        __builtin_trap();
    }
    const std::string lower = LowerAsciiDbcs(text);
    if (lower.size() != text.size()) {
        __builtin_trap();
    }
    const std::string url = CompleteScheme(text);
    if (url != text && url != "http://" + std::string(text)) {
        __builtin_trap();
    }
    const std::string cookies = AllCookies(text);
    if (cookies.size() > text.size() + 2) { // kept lines plus a closing "\r\n" on the last
        __builtin_trap();
    }
    const std::string value = CookieValue(text, left);
    if (value.size() > text.size()) {
        __builtin_trap();
    }
    return 0;
}
