// Thread timers: start, stop, re-arm, and the callback table behind them.
#include "platform/win.h"

#include <gtest/gtest.h>

#include "tests/win/ui_test_support.h"
#include "ui/timer.h"

namespace {

TEST(Timer, IntervalZeroReportsFalseAndNeverFires)
{
    WTTimer timer;
    int fired = 0;
    EXPECT_FALSE(timer.Start(0, [&] { ++fired; }));
    EXPECT_FALSE(timer.Running());
    EXPECT_FALSE(timer.Start(-5, [&] { ++fired; }));
    uitest::PumpFor(120);
    EXPECT_EQ(fired, 0);
}

TEST(Timer, RunningTimerFiresOnTheMessageLoop)
{
    WTTimer timer;
    int fired = 0;
    ASSERT_TRUE(timer.Start(10, [&] { ++fired; }));
    EXPECT_TRUE(timer.Running());
    EXPECT_EQ(timer.Interval(), 10);
    // Nothing fires without the loop.
    ::Sleep(40);
    EXPECT_EQ(fired, 0);
    EXPECT_TRUE(uitest::PumpUntil([&] { return fired >= 3; }));
}

TEST(Timer, StartWhileRunningChangesNothing)
{
    WTTimer timer;
    int first = 0;
    int second = 0;
    ASSERT_TRUE(timer.Start(10, [&] { ++first; }));
    EXPECT_FALSE(timer.Start(500, [&] { ++second; }));
    EXPECT_EQ(timer.Interval(), 10);
    EXPECT_TRUE(uitest::PumpUntil([&] { return first >= 2; }));
    EXPECT_EQ(second, 0);
}

TEST(Timer, SetIntervalZeroStopsAndPositiveRestartsWithTheSameCallback)
{
    WTTimer timer;
    int fired = 0;
    ASSERT_TRUE(timer.Start(10, [&] { ++fired; }));
    ASSERT_TRUE(uitest::PumpUntil([&] { return fired >= 1; }));
    EXPECT_TRUE(timer.SetInterval(0));
    EXPECT_FALSE(timer.Running());
    EXPECT_EQ(timer.Interval(), 0);
    const int atStop = fired;
    uitest::PumpFor(80);
    EXPECT_EQ(fired, atStop);

    EXPECT_TRUE(timer.SetInterval(15));
    EXPECT_TRUE(timer.Running());
    EXPECT_EQ(timer.Interval(), 15);
    EXPECT_TRUE(uitest::PumpUntil([&] { return fired >= atStop + 2; }));
}

TEST(Timer, CreatedStoppedThenStartedBySetInterval)
{
    // The way the pop-up makes its timers: callback first, interval later.
    WTTimer timer;
    int fired = 0;
    EXPECT_FALSE(timer.Start(0, [&] { ++fired; }));
    EXPECT_TRUE(timer.SetInterval(10));
    EXPECT_TRUE(uitest::PumpUntil([&] { return fired >= 1; }));
}

TEST(Timer, SetIntervalReArmsTheRunningTimer)
{
    WTTimer timer;
    int fired = 0;
    ASSERT_TRUE(timer.Start(5000, [&] { ++fired; }));
    EXPECT_TRUE(timer.SetInterval(10));
    EXPECT_EQ(timer.Interval(), 10);
    EXPECT_TRUE(uitest::PumpUntil([&] { return fired >= 2; }, 2000));
}

TEST(Timer, StopKeepsTheCallbackForSetInterval)
{
    WTTimer timer;
    int fired = 0;
    ASSERT_TRUE(timer.Start(10, [&] { ++fired; }));
    EXPECT_TRUE(timer.Stop());
    EXPECT_FALSE(timer.Stop());
    uitest::PumpFor(60);
    EXPECT_EQ(fired, 0);
    EXPECT_TRUE(timer.SetInterval(10));
    EXPECT_TRUE(uitest::PumpUntil([&] { return fired >= 1; }));
}

TEST(Timer, CallbackMayStopItsOwnTimer)
{
    WTTimer timer;
    int fired = 0;
    ASSERT_TRUE(timer.Start(10, [&] {
        ++fired;
        timer.SetInterval(0);
    }));
    ASSERT_TRUE(uitest::PumpUntil([&] { return fired >= 1; }));
    uitest::PumpFor(80);
    EXPECT_EQ(fired, 1);
}

TEST(Timer, TwoTimersEachCallTheirOwnCallback)
{
    WTTimer fast;
    WTTimer slow;
    int fastCount = 0;
    int slowCount = 0;
    ASSERT_TRUE(fast.Start(10, [&] { ++fastCount; }));
    ASSERT_TRUE(slow.Start(400, [&] { ++slowCount; }));
    EXPECT_TRUE(uitest::PumpUntil([&] { return fastCount >= 5; }));
    EXPECT_EQ(slowCount, 0);
}

TEST(Timer, DestroyedTimerNoLongerFires)
{
    int fired = 0;
    {
        WTTimer timer;
        ASSERT_TRUE(timer.Start(10, [&] { ++fired; }));
    }
    uitest::PumpFor(80);
    EXPECT_EQ(fired, 0);
}

} // namespace
