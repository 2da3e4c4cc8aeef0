#include "ui/theme_color.h"

#include <array>
#include <cstddef>

namespace {

// Leading blanks, an optional sign, then digits; anything else ends the number.
std::uint32_t ColorPart(std::string_view part)
{
    std::size_t i = 0;
    while (i < part.size() && (part[i] == ' ' || part[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < part.size() && (part[i] == '-' || part[i] == '+')) {
        negative = part[i] == '-';
        ++i;
    }
    std::uint32_t value = 0;
    for (; i < part.size() && part[i] >= '0' && part[i] <= '9'; ++i) {
        value = value * 10 + static_cast<std::uint32_t>(part[i] - '0');
        if (value > 255) {
            value = 255; // a channel is one byte: keep it from spilling into the next
        }
    }
    return negative ? 0 : value;
}

} // namespace

std::optional<std::uint32_t> ParseThemeColor(std::string_view text)
{
    std::array<std::uint32_t, 4> parts{};
    std::size_t fields = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        const std::string_view part
            = text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        if (fields < parts.size()) {
            parts[fields] = ColorPart(part);
        }
        ++fields;
        if (comma == std::string_view::npos) {
            break;
        }
        start = comma + 1;
    }
    if (fields <= 3) {
        return std::nullopt;
    }
    return parts[0] << 24 | parts[1] << 16 | parts[2] << 8 | parts[3];
}
