// The latency column's texts: the best connect time of a probe, or the time-out text.
#pragma once

#include <string>
#include <string_view>

inline constexpr std::string_view kLatencyTimeoutText = "连接超时";

// The best time before any attempt connected; a time of this much or more is never kept.
inline constexpr int kNoLatency = 9999;

// The best so far after one attempt: `attemptMs` (-1 = not connected) wins only when it is
// strictly below `best`.
constexpr int KeepBest(int best, int attemptMs) { return attemptMs >= 0 && attemptMs < best ? attemptMs : best; }

// Digits only for a kept time; the time-out text when nothing was kept.
inline std::string LatencyText(int best)
{
    if (best < 0 || best >= kNoLatency) {
        return std::string(kLatencyTimeoutText);
    }
    return std::to_string(best);
}
