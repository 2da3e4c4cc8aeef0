#include "app/lines/rc4.h"

#include <array>
#include <utility>

std::vector<std::uint8_t> DecipherResponse(std::span<const std::uint8_t> data, std::span<const std::uint8_t> key)
{
    if (key.empty() || data.empty()) {
        return {};
    }
    std::array<std::uint8_t, 256> s{};
    for (std::size_t i = 0; i < s.size(); ++i) {
        s[i] = static_cast<std::uint8_t>(i);
    }
    std::uint8_t j = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        j = static_cast<std::uint8_t>(j + s[i] + key[i % key.size()]);
        std::swap(s[i], s[j]);
    }

    std::vector<std::uint8_t> out(data.size());
    std::uint8_t i = 0;
    j = 0;
    for (std::size_t n = 0; n < data.size(); ++n) {
        i = static_cast<std::uint8_t>(i + 1);
        j = static_cast<std::uint8_t>(j + s[i]);
        std::swap(s[i], s[j]);
        out[n] = static_cast<std::uint8_t>(data[n] ^ s[static_cast<std::uint8_t>(s[i] + s[j])]);
    }
    return out;
}
