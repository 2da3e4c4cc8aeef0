// Theme colours are written "alpha,red,green,blue" in decimal.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// The ARGB word of a theme colour text; nothing when it has fewer than four fields.
// A part that is not a number counts as 0; parts beyond 255 are held at 255.
std::optional<std::uint32_t> ParseThemeColor(std::string_view text);
