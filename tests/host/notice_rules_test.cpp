#include "app/notice/notice_rules.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(NoticeRules, VersionListsNamingThisVersionAreCurrent)
{
    EXPECT_EQ(kCurrentVersion, "1.5");
    EXPECT_TRUE(VersionIsCurrent("1.5"));
    EXPECT_TRUE(VersionIsCurrent("1.4;1.5;1.6"));
    EXPECT_TRUE(VersionIsCurrent("1.4;1.5"));
    EXPECT_TRUE(VersionIsCurrent("1.5;"));
}

TEST(NoticeRules, OtherVersionListsRequireAnUpdate)
{
    EXPECT_FALSE(VersionIsCurrent("1.51"));
    EXPECT_FALSE(VersionIsCurrent("11.5"));
    EXPECT_FALSE(VersionIsCurrent("1.4;1.6"));
    EXPECT_FALSE(VersionIsCurrent(""));
    EXPECT_FALSE(VersionIsCurrent(" 1.5"));
    EXPECT_FALSE(VersionIsCurrent("1,5"));
}

TEST(NoticeRules, IntervalIsSecondsTimesAThousand)
{
    EXPECT_EQ(NoticeIntervalMs("30"), 30000);
    EXPECT_EQ(NoticeIntervalMs("1"), 1000);
    EXPECT_EQ(NoticeIntervalMs("0"), 0);
    EXPECT_EQ(NoticeIntervalMs(""), 0);
    EXPECT_EQ(NoticeIntervalMs("  +45s"), 45000); // blanks and sign, then digits up to the first other
    EXPECT_EQ(NoticeIntervalMs("\t12 34"), 12000);
}

TEST(NoticeRules, IntervalWithoutLeadingDigitsIsZero)
{
    EXPECT_EQ(NoticeIntervalMs("abc"), 0);
    EXPECT_EQ(NoticeIntervalMs("x30"), 0);
    EXPECT_EQ(NoticeIntervalMs("+"), 0);
    EXPECT_EQ(NoticeIntervalMs("- 5"), 0);
    EXPECT_EQ(NoticeIntervalMs("三十"), 0);
}

TEST(NoticeRules, NegativeIntervalMeansNoReshowing)
{
    EXPECT_EQ(NoticeIntervalMs("-30"), 0);
    EXPECT_EQ(NoticeIntervalMs("-99999999999999999999"), 0);
}

TEST(NoticeRules, HugeIntervalIsClampedToTheIntRange)
{
    EXPECT_EQ(NoticeIntervalMs("2147483"), 2147483000);
    EXPECT_EQ(NoticeIntervalMs("2147484"), INT_MAX);
    EXPECT_EQ(NoticeIntervalMs("99999999999999999999999999999"), INT_MAX);
    EXPECT_EQ(NoticeIntervalMs(std::string(5000, '7')), INT_MAX);
}

TEST(NoticeRules, CountdownTextCountsDownFrom120)
{
    EXPECT_EQ(CountdownText(0), " 该窗口将在120秒后自动消失，点击链接后立即消失！");
    EXPECT_EQ(CountdownText(1), " 该窗口将在119秒后自动消失，点击链接后立即消失！");
    EXPECT_EQ(CountdownText(120), " 该窗口将在0秒后自动消失，点击链接后立即消失！");
    // GBK bytes: " 该" begins with the blank, then B8C3.
    EXPECT_EQ(CountdownText(0).substr(0, 3), " \xB8\xC3");
}

TEST(NoticeRules, OnlyHttpAndHttpsAddressesAreWebAddresses)
{
    EXPECT_TRUE(IsWebAddress("http://www.example.com/notice.html"));
    EXPECT_TRUE(IsWebAddress("https://example.com"));
    EXPECT_TRUE(IsWebAddress("HTTP://EXAMPLE.COM"));
    EXPECT_TRUE(IsWebAddress("HttpS://example.com"));
    EXPECT_FALSE(IsWebAddress(""));
    EXPECT_FALSE(IsWebAddress("http:"));
    EXPECT_FALSE(IsWebAddress("www.example.com"));
    EXPECT_FALSE(IsWebAddress("C:\\Windows\\System32\\calc.exe"));
    EXPECT_FALSE(IsWebAddress("file:///C:/boot.ini"));
    EXPECT_FALSE(IsWebAddress("javascript:alert(1)"));
    EXPECT_FALSE(IsWebAddress("ftp://example.com"));
    EXPECT_FALSE(IsWebAddress(" http://example.com"));
    EXPECT_FALSE(IsWebAddress("httpx://example.com"));
    EXPECT_FALSE(IsWebAddress("\\\\server\\share\\x.exe"));
}

TEST(NoticeRules, ThePageGoesOnlyToWebAddressesAndTheEmptyPage)
{
    EXPECT_TRUE(IsAllowedPageAddress("https://example.com/a"));
    EXPECT_TRUE(IsAllowedPageAddress("about:blank"));
    EXPECT_TRUE(IsAllowedPageAddress("About:Blank"));
    EXPECT_FALSE(IsAllowedPageAddress("about:blank#x"));
    EXPECT_FALSE(IsAllowedPageAddress("about:<script>alert(1)</script>"));
    EXPECT_FALSE(IsAllowedPageAddress("file:///C:/"));
    EXPECT_FALSE(IsAllowedPageAddress("javascript:alert(1)"));
    EXPECT_FALSE(IsAllowedPageAddress("res://ieframe.dll/navcancl.htm"));
    EXPECT_FALSE(IsAllowedPageAddress(""));
}

} // namespace
