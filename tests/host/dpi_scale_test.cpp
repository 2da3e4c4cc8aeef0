#include "ui/dpi_scale.h"

#include <gtest/gtest.h>

TEST(DpiScale, ScalesLengthsRoundingHalfAwayFromZero)
{
    EXPECT_EQ(dpi::Scale(800, 96), 800);
    EXPECT_EQ(dpi::Scale(800, 144), 1200);
    EXPECT_EQ(dpi::Scale(600, 192), 1200);
    EXPECT_EQ(dpi::Scale(1, 144), 2); // 1.5
    EXPECT_EQ(dpi::Scale(3, 120), 4); // 3.75
    EXPECT_EQ(dpi::Scale(-1, 144), -2);
    EXPECT_EQ(dpi::Scale(70, 120), 88); // 87.5
}

TEST(DpiScale, TakesTheNearestPictureScaleAtOrAboveTheDpis)
{
    EXPECT_EQ(dpi::PicturePercent(72), 100);
    EXPECT_EQ(dpi::PicturePercent(96), 100);
    EXPECT_EQ(dpi::PicturePercent(97), 150);
    EXPECT_EQ(dpi::PicturePercent(120), 150); // 125 %
    EXPECT_EQ(dpi::PicturePercent(144), 150);
    EXPECT_EQ(dpi::PicturePercent(145), 200);
    EXPECT_EQ(dpi::PicturePercent(168), 200); // 175 %
    EXPECT_EQ(dpi::PicturePercent(192), 200);
    EXPECT_EQ(dpi::PicturePercent(288), 200); // 300 %: the largest, enlarged
}

TEST(DpiScale, ShowsAPictureAtTheDpiWhateverScaleItWasDrawnFor)
{
    EXPECT_EQ(dpi::ShownSize(24, 100, 96), 24);
    EXPECT_EQ(dpi::ShownSize(36, 150, 144), 36);
    EXPECT_EQ(dpi::ShownSize(36, 150, 120), 30); // 125 % from the 150 % picture: shrunk
    EXPECT_EQ(dpi::ShownSize(48, 200, 288), 72); // 300 % from the 200 % picture: enlarged
    EXPECT_EQ(dpi::ShownSize(24, 100, 144), 36); // a theme drawn at 1x only
}
