// Connect times from the performance counter, rounded to whole milliseconds.
#include <gtest/gtest.h>

#include "app/lines/connect_timer.h"

namespace {

TEST(ConnectTimeRounding, NearestWholeMillisecondWithHalvesUp)
{
    constexpr long long kTenMhz = 10'000'000;
    EXPECT_EQ(RoundedMilliseconds(0, kTenMhz), 0);
    EXPECT_EQ(RoundedMilliseconds(4'999, kTenMhz), 0); // 0.4999 ms
    EXPECT_EQ(RoundedMilliseconds(5'000, kTenMhz), 1); // 0.5 ms
    EXPECT_EQ(RoundedMilliseconds(124'999, kTenMhz), 12); // 12.4999 ms
    EXPECT_EQ(RoundedMilliseconds(125'000, kTenMhz), 13);
    EXPECT_EQ(RoundedMilliseconds(20'000'000, kTenMhz), 2000); // the 2 s time-out
    EXPECT_EQ(RoundedMilliseconds(3 * kTenMhz + 5'000, kTenMhz), 3001); // past a whole second
}

TEST(ConnectTimeRounding, OddFrequenciesAndLongSpansStayExact)
{
    // The 3.579545 MHz ACPI timer some systems report.
    EXPECT_EQ(RoundedMilliseconds(10'739, 3'579'545), 3); // 3.0001 ms
    EXPECT_EQ(RoundedMilliseconds(12'528, 3'579'545), 3); // 3.49989 ms
    EXPECT_EQ(RoundedMilliseconds(12'529, 3'579'545), 4); // 3.50017 ms
    // A day at 3 GHz: counts * 1000 would overflow, the result does not.
    EXPECT_EQ(RoundedMilliseconds(86'400LL * 3'000'000'000LL, 3'000'000'000LL), 86'400'000);
    EXPECT_EQ(RoundedMilliseconds(12'345, 0), 0);
}

} // namespace
