#include "app/vpn/reconnect_policy.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Each try fails `tryMs` after it starts; the waits the policy gives, in order.
std::vector<std::uint32_t> Waits(std::uint32_t droppedAt, std::uint32_t tryMs)
{
    ReconnectPolicy policy(droppedAt);
    std::vector<std::uint32_t> waits;
    std::uint32_t now = droppedAt;
    while (const std::optional<std::uint32_t> wait = policy.NextTry(now)) {
        EXPECT_EQ(policy.Tries(), static_cast<int>(waits.size()) + 1);
        waits.push_back(*wait);
        now += *wait + tryMs;
    }
    return waits;
}

TEST(ReconnectPolicy, AtOnceThenTwoFourAndEightSecondsFourTriesAtMost)
{
    EXPECT_EQ(Waits(1000, 500), (std::vector<std::uint32_t>{0, 2000, 4000, 8000}));
}

TEST(ReconnectPolicy, NoTryStartsAfterTheMinute)
{
    // Tries that each take 30 s: the third would start 66 s after the drop.
    EXPECT_EQ(Waits(1000, 30000), (std::vector<std::uint32_t>{0, 2000}));
    ReconnectPolicy policy(1000);
    ASSERT_TRUE(policy.NextTry(1000));
    EXPECT_EQ(policy.TimeLeft(1000 + 45000), 15000u);
    EXPECT_EQ(policy.TimeLeft(1000 + 61000), 0u);
    EXPECT_FALSE(policy.NextTry(1000 + 58000)) << "its wait would end after the minute";
}

TEST(ReconnectPolicy, HoldsAcrossAWrapOfTheTickCounter)
{
    EXPECT_EQ(Waits(0xFFFFFFFFu - 3000u, 500), (std::vector<std::uint32_t>{0, 2000, 4000, 8000}));
    EXPECT_EQ(Waits(0xFFFFFFFFu - 3000u, 30000), (std::vector<std::uint32_t>{0, 2000}));
}

TEST(ReconnectPolicy, TheTryTextCountsFromOne) { EXPECT_EQ(ReconnectTryText(3), "连接中断，正在重新连接（第3次）…"); }

} // namespace
