#include "app/lines/ranking.h"

#include <gtest/gtest.h>

#include <initializer_list>

#include "app/lines/latency_text.h"

namespace {

LineList WithLatencies(std::initializer_list<const char*> latencies)
{
    LineList lines;
    for (const char* latency : latencies) {
        Line line;
        line.latency = latency;
        lines.push_back(line);
    }
    return lines;
}

TEST(Ranking, PicksTheSmallestMeasuredTime)
{
    EXPECT_EQ(PickFastest(WithLatencies({"80", "连接超时", "35"})), 3);
    EXPECT_EQ(PickFastest(WithLatencies({"12", "40", "35"})), 1);
    EXPECT_EQ(PickFastest(WithLatencies({"100", "9", "10"})), 2); // numbers, not texts, compared
}

TEST(Ranking, TieGoesToTheEarlierLine)
{
    EXPECT_EQ(PickFastest(WithLatencies({"50", "40", "40"})), 2);
    EXPECT_EQ(PickFastest(WithLatencies({"0", "0"})), 1);
}

TEST(Ranking, NothingMeasuredGivesMinusOne)
{
    EXPECT_EQ(PickFastest({}), -1);
    EXPECT_EQ(PickFastest(WithLatencies({"连接超时", "连接超时"})), -1);
    EXPECT_EQ(PickFastest(WithLatencies({"", ""})), -1);
}

TEST(Ranking, UnmeasuredLinesAreIgnored) { EXPECT_EQ(PickFastest(WithLatencies({"", "60", "", "连接超时"})), 2); }

TEST(Ranking, TimesOf9999OrMoreNeverWin)
{
    EXPECT_EQ(PickFastest(WithLatencies({"9999", "12345"})), -1);
    EXPECT_EQ(PickFastest(WithLatencies({"9999", "9998"})), 2);
}

TEST(LatencyText, BestTimeIsDigitsOnlyAndNoneIsTheTimeOutText)
{
    EXPECT_EQ(LatencyText(30), "30");
    EXPECT_EQ(LatencyText(0), "0");
    EXPECT_EQ(LatencyText(9998), "9998");
    EXPECT_EQ(LatencyText(kNoLatency), "连接超时");
    EXPECT_EQ(LatencyText(-1), "连接超时");
    EXPECT_EQ(std::string(kLatencyTimeoutText), "\xC1\xAC\xBD\xD3\xB3\xAC\xCA\xB1"); // GBK bytes
}

TEST(LatencyText, BestOfThreeAttempts)
{
    int best = kNoLatency;
    for (int t : {30, 45, 38}) {
        best = KeepBest(best, t);
    }
    EXPECT_EQ(LatencyText(best), "30");

    best = kNoLatency;
    for (int t : {-1, 52, -1}) {
        best = KeepBest(best, t);
    }
    EXPECT_EQ(LatencyText(best), "52");

    best = kNoLatency;
    for (int t : {-1, -1, -1}) {
        best = KeepBest(best, t);
    }
    EXPECT_EQ(LatencyText(best), "连接超时");
    EXPECT_EQ(KeepBest(kNoLatency, 9999), kNoLatency); // never stored
}

} // namespace
