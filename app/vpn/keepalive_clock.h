// Time spans on the system's 32-bit millisecond tick counter, which wraps after about 49.7 days.
#pragma once

#include <cstdint>

// Keep-alive reports go out this far apart while connected.
inline constexpr std::uint32_t kKeepAliveIntervalMs = 900000;

// Milliseconds from `start` to `now`, right across one wrap of the counter.
constexpr std::uint32_t ElapsedMs(std::uint32_t start, std::uint32_t now)
{
    return static_cast<std::uint32_t>(now - start);
}

constexpr bool IntervalElapsed(std::uint32_t last, std::uint32_t now, std::uint32_t interval)
{
    return ElapsedMs(last, now) >= interval;
}
