#include "app/vpn/keepalive_clock.h"

#include <gtest/gtest.h>

namespace {

TEST(KeepAliveClock, ElapsesAtTheIntervalNotBefore)
{
    EXPECT_FALSE(IntervalElapsed(1000, 1000, kKeepAliveIntervalMs));
    EXPECT_FALSE(IntervalElapsed(1000, 1000 + 899999, kKeepAliveIntervalMs));
    EXPECT_TRUE(IntervalElapsed(1000, 1000 + 900000, kKeepAliveIntervalMs));
    EXPECT_TRUE(IntervalElapsed(1000, 1000 + 900001, kKeepAliveIntervalMs));
}

TEST(KeepAliveClock, HoldsAcrossAWrapOfTheTickCounter)
{
    const std::uint32_t last = 0xFFFFFFFFu - 100000; // 100001 ms before the wrap
    EXPECT_FALSE(IntervalElapsed(last, 5, kKeepAliveIntervalMs));
    EXPECT_FALSE(IntervalElapsed(last, 799998, kKeepAliveIntervalMs));
    EXPECT_TRUE(IntervalElapsed(last, 799999, kKeepAliveIntervalMs));
    EXPECT_EQ(ElapsedMs(0xFFFFFFF0u, 0x10u), 0x20u);
}

TEST(KeepAliveClock, ElapsedTimeOfAConnectWithinOneTick)
{
    EXPECT_EQ(ElapsedMs(123456, 123456), 0u);
    EXPECT_EQ(ElapsedMs(100, 130), 30u);
}

} // namespace
