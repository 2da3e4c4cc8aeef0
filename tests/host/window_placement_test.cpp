#include "app/shell/window_placement.h"

#include <gtest/gtest.h>

TEST(WindowPlacement, CentresTheMainWindowTruncatingTowardZero)
{
    EXPECT_EQ(CentredOffset(1366, 800), 283);
    EXPECT_EQ(CentredOffset(768, 600), 84);
    EXPECT_EQ(CentredOffset(1365, 800), 282); // 282.5
    EXPECT_EQ(CentredOffset(640, 800), -80);
    EXPECT_EQ(CentredOffset(480, 600), -60);
    EXPECT_EQ(CentredOffset(799, 800), 0); // -0.5 truncates to 0, not -1
}
