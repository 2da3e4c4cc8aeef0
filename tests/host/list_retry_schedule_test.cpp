#include "app/lines/list_retry_schedule.h"

#include <gtest/gtest.h>

namespace {

TEST(ListRetrySchedule, WaitsFiveFifteenAndSixtySecondsThenEveryFiveMinutes)
{
    ListRetrySchedule schedule;
    const unsigned expected[] = {5000, 15000, 60000, 300000, 300000, 300000};
    for (const unsigned wait : expected) {
        EXPECT_EQ(schedule.AfterFailure(), wait);
    }
}

TEST(ListRetrySchedule, AResetStartsTheWaitsAnew)
{
    ListRetrySchedule schedule;
    for (int i = 0; i < 10; ++i) {
        schedule.AfterFailure();
    }
    schedule.Reset();
    EXPECT_EQ(schedule.AfterFailure(), 5000u);
    EXPECT_EQ(schedule.AfterFailure(), 15000u);
}

} // namespace
