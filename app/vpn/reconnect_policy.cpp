#include "app/vpn/reconnect_policy.h"

#include "app/vpn/keepalive_clock.h"

namespace {

constexpr std::uint32_t kBackOffMs[kReconnectTries] = {0, 2000, 4000, 8000};

} // namespace

ReconnectPolicy::ReconnectPolicy(std::uint32_t droppedAt)
    : droppedAt_(droppedAt)
{
}

std::optional<std::uint32_t> ReconnectPolicy::NextTry(std::uint32_t now)
{
    if (tries_ >= kReconnectTries) {
        return std::nullopt;
    }
    const std::uint32_t wait = kBackOffMs[tries_];
    if (ElapsedMs(droppedAt_, now) >= kReconnectWindowMs - wait) {
        return std::nullopt;
    }
    ++tries_;
    return wait;
}

std::uint32_t ReconnectPolicy::TimeLeft(std::uint32_t now) const
{
    const std::uint32_t elapsed = ElapsedMs(droppedAt_, now);
    return elapsed >= kReconnectWindowMs ? 0 : kReconnectWindowMs - elapsed;
}

std::string ReconnectTryText(int tryNumber)
{
    return "连接中断，正在重新连接（第" + std::to_string(tryNumber) + "次）…";
}
