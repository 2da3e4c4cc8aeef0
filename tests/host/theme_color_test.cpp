#include "ui/theme_color.h"

#include <gtest/gtest.h>

#include <string>

TEST(ThemeColor, FourFieldsGiveAlphaRedGreenBlue)
{
    EXPECT_EQ(ParseThemeColor("255,0,128,255"), 0xFF0080FFu);
    EXPECT_EQ(ParseThemeColor("0,255,255,255"), 0x00FFFFFFu);
    EXPECT_EQ(ParseThemeColor("255,0,0,0"), 0xFF000000u);
    EXPECT_EQ(ParseThemeColor("1,2,3,4"), 0x01020304u);
}

TEST(ThemeColor, ThreeOrFewerFieldsGiveNothing)
{
    EXPECT_FALSE(ParseThemeColor("255,0,128").has_value());
    EXPECT_FALSE(ParseThemeColor("255").has_value());
    EXPECT_FALSE(ParseThemeColor("").has_value());
    EXPECT_FALSE(ParseThemeColor(",,").has_value());
}

TEST(ThemeColor, NonNumericPartsCountAsZero)
{
    EXPECT_EQ(ParseThemeColor("abc,255,x,7"), 0x00FF0007u);
    EXPECT_EQ(ParseThemeColor(",,,"), 0u);
    // A number ends at its first non-digit.
    EXPECT_EQ(ParseThemeColor("12px,3.9,4e2,5"), 0x0C030405u);
}

TEST(ThemeColor, BlanksBeforeNumbersAreSkipped) { EXPECT_EQ(ParseThemeColor(" 255, 16 ,\t32,64"), 0xFF102040u); }

TEST(ThemeColor, FieldsBeyondTheFourthAreIgnored)
{
    EXPECT_EQ(ParseThemeColor("9,8,7,6,5,4"), 0x09080706u);
    std::string long_value = "200,100,50,25";
    for (int i = 0; i < 600; ++i) {
        long_value += ",0";
    }
    EXPECT_EQ(ParseThemeColor(long_value), 0xC8643219u);
}

TEST(ThemeColor, OutOfRangePartsStayInTheirByte)
{
    EXPECT_EQ(ParseThemeColor("256,0,0,0"), 0xFF000000u);
    EXPECT_EQ(ParseThemeColor("0,99999999999,0,0"), 0x00FF0000u);
    EXPECT_EQ(ParseThemeColor("0,-5,0,1"), 0x00000001u);
}
