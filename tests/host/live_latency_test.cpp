// The connected panel's figures: the last minute of probes, the counters and their texts.
#include <gtest/gtest.h>

#include "app/lines/connection_texts.h"
#include "app/lines/live_latency.h"
#include "app/lines/traffic_counter.h"

namespace {

TEST(LiveLatency, TheLastMinutesLowestAverageHighestAndFailedShare)
{
    LatencyWindow window;
    EXPECT_EQ(window.Summarise(0).probes, 0);
    EXPECT_EQ(LatencySummaryText(window.Summarise(0)), "");
    window.Add(1000, 40);
    window.Add(6000, -1);
    window.Add(11000, 31);
    window.Add(16000, 50);
    LatencySummary s = window.Summarise(16000);
    EXPECT_EQ(s.probes, 4);
    EXPECT_EQ(s.failed, 1);
    EXPECT_EQ(s.lowest, 31);
    EXPECT_EQ(s.average, 40); // 121 / 3 = 40.33
    EXPECT_EQ(s.highest, 50);
    EXPECT_EQ(s.failedPercent, 25);
    EXPECT_EQ(LatencySummaryText(s), "近一分钟 最低 31 / 平均 40 / 最高 50 毫秒，失败 25%");
    // A minute after the first probe it has left the span; later ones stay.
    s = window.Summarise(61000);
    EXPECT_EQ(s.probes, 3);
    EXPECT_EQ(s.lowest, 31);
    EXPECT_EQ(s.failedPercent, 33);
    s = window.Summarise(76000);
    EXPECT_EQ(s.probes, 0);
    window.Add(80000, -1);
    EXPECT_EQ(LatencySummaryText(window.Summarise(80000)), "近一分钟 无一次连通，失败 100%");
}

TEST(LiveLatency, DurationsAndByteCounts)
{
    EXPECT_EQ(DurationText(0), "00:00");
    EXPECT_EQ(DurationText(425), "07:05");
    EXPECT_EQ(DurationText(3599), "59:59");
    EXPECT_EQ(DurationText(3600), "1:00:00");
    EXPECT_EQ(DurationText(100 * 3600 + 61), "100:01:01");
    EXPECT_EQ(ConnectedText(754), "已连接 12:34");

    EXPECT_EQ(ByteCountText(0), "0 B");
    EXPECT_EQ(ByteCountText(999), "999 B");
    EXPECT_EQ(ByteCountText(1000), "0.97 KB");
    EXPECT_EQ(ByteCountText(1536), "1.50 KB");
    EXPECT_EQ(ByteCountText(12 * 1024 * 1024 + 400 * 1024), "12.3 MB"); // 12.39, cut
    EXPECT_EQ(ByteCountText(999 * 1024 + 1023), "999 KB");
    EXPECT_EQ(ByteCountText(1000 * 1024), "0.97 MB");
    EXPECT_EQ(ByteCountText(5ULL << 40), "5.00 TB");
    EXPECT_EQ(ByteCountText(~0ULL), "15.9 EB");
    EXPECT_EQ(TrafficText(1536, 0), "发送 1.50 KB　接收 0 B");
}

TEST(LiveLatency, LatencyTextsAndTheTooltip)
{
    EXPECT_EQ(LatencyNowText(false, 0), "当前延时 测量中…");
    EXPECT_EQ(LatencyNowText(true, 35), "当前延时 35 毫秒");
    EXPECT_EQ(LatencyNowText(true, -1), "当前延时 连接超时");
    EXPECT_EQ(LineTipText("华东电信一区", false, 0), "华东电信一区");
    EXPECT_EQ(LineTipText("华东电信一区", true, 8), "华东电信一区 延时 8 毫秒");
}

TEST(LiveLatency, TrafficCountersKeepCountingPastFourGibibytes)
{
    TrafficCounter counter;
    EXPECT_EQ(counter.Update(1000), 1000u);
    EXPECT_EQ(counter.Update(0xFFFFFF00u), 0xFFFFFF00u);
    EXPECT_EQ(counter.Update(0x100u), 0x100000100u); // wrapped once
    EXPECT_EQ(counter.Update(0x100u), 0x100000100u);
    EXPECT_EQ(counter.Total(), 0x100000100u);
}

} // namespace
