// When to dial a dropped line again: at once, then 2 s, 4 s and 8 s after each failed try, four
// tries at most, all within 60 s of the drop. Times are on the 32-bit millisecond tick counter.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

inline constexpr int kReconnectTries = 4;
inline constexpr std::uint32_t kReconnectWindowMs = 60000;

class ReconnectPolicy {
public:
    explicit ReconnectPolicy(std::uint32_t droppedAt);

    // Counts the next try and gives the wait before it; nothing when the tries are used up or the
    // window would close before it could start.
    std::optional<std::uint32_t> NextTry(std::uint32_t now);

    // Tries counted so far: the number of the current one.
    int Tries() const { return tries_; }

    // How long the current try may still take before the window closes.
    std::uint32_t TimeLeft(std::uint32_t now) const;

private:
    std::uint32_t droppedAt_;
    int tries_ = 0;
};

// What the panel and the tray's tooltip say during try `tryNumber` (GBK).
std::string ReconnectTryText(int tryNumber);
