#include "app/lines/line_rows.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(LineRows, FieldsSplitAtEverySemicolonKeepingEmptyOnes)
{
    EXPECT_THAT(ParseLineRow("a;b;c"), ElementsAre("a", "b", "c"));
    EXPECT_THAT(ParseLineRow(";;"), ElementsAre("", "", ""));
    EXPECT_THAT(ParseLineRow("a;b;"), ElementsAre("a", "b", ""));
    EXPECT_THAT(ParseLineRow(""), ElementsAre(""));
    EXPECT_THAT(ParseLineRow(" a ; b"), ElementsAre(" a ", " b")); // not trimmed
}

TEST(LineRows, RowsSplitAtEveryCrLf)
{
    EXPECT_THAT(SplitRows("a\r\nb"), ElementsAre("a", "b"));
    EXPECT_THAT(SplitRows("a\r\nb\r\n"), ElementsAre("a", "b")); // empty last piece is no row
    EXPECT_THAT(SplitRows("a\r\n\r\nb"), ElementsAre("a", "", "b"));
    EXPECT_THAT(SplitRows("\r\n"), ElementsAre(""));
    EXPECT_THAT(SplitRows(""), IsEmpty());
    EXPECT_THAT(SplitRows("a\nb\rc"), ElementsAre("a\nb\rc")); // bare LF or CR separates nothing
    EXPECT_THAT(SplitRows("a\r\r\nb"), ElementsAre("a\r", "b"));
}

TEST(LineRows, SixFieldRowMakesALineWithEmptyLatency)
{
    const auto line = LineFromRow("电信一区;10.0.0.1;1723;user1;pass1;流畅");
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(line->name, "电信一区");
    EXPECT_EQ(line->address, "10.0.0.1");
    EXPECT_EQ(line->probePort, "1723");
    EXPECT_EQ(line->userName, "user1");
    EXPECT_EQ(line->password, "pass1");
    EXPECT_EQ(line->latency, "");
    EXPECT_EQ(line->load, "流畅");
    EXPECT_EQ(LoadIconIndex(line->load), 0);
}

TEST(LineRows, FieldsAfterTheSixthAreIgnored)
{
    const auto line = LineFromRow("n;a;1;u;p;拥挤;extra;more");
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(line->load, "拥挤");
    EXPECT_EQ(line->password, "p");
}

TEST(LineRows, FiveFieldRowIsAcceptedWithEmptyLoad)
{
    const auto line = LineFromRow("n;a;1;u;p");
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(line->password, "p");
    EXPECT_EQ(line->load, "");
    EXPECT_EQ(LoadIconIndex(line->load), -1);
}

TEST(LineRows, RowEndingInSemicolonAfterTheFifthFieldHasEmptyLoad)
{
    const auto line = LineFromRow("n;a;1;u;p;");
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(line->password, "p");
    EXPECT_EQ(line->load, "");
}

TEST(LineRows, RowsWithFewerThanFiveFieldsAreSkipped)
{
    EXPECT_FALSE(LineFromRow("").has_value());
    EXPECT_FALSE(LineFromRow("n;a;1;u").has_value());
    EXPECT_FALSE(LineFromRow("just a name").has_value());
    EXPECT_TRUE(LineFromRow(";;;;").has_value()); // five empty fields still count
}

TEST(LineRows, BareLineFeedsRunRowsTogether)
{
    const auto rows = SplitRows("n1;a1;1;u1;p1;流畅\nn2;a2;2;u2;p2;爆满");
    ASSERT_EQ(rows.size(), 1u);
    const auto line = LineFromRow(rows[0]);
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(line->load, "流畅\nn2");
    EXPECT_EQ(LoadIconIndex(line->load), -1);
}

TEST(LineRows, ListKeepsResponseOrderAndSkipsShortRows)
{
    const LineList lines
        = LinesFromText("A;1.1.1.1;1;u;p;流畅\r\n\r\nbad;row\r\nB;2.2.2.2;2;u;p;拥挤\r\nC;3.3.3.3;3;u;p");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].name, "A");
    EXPECT_EQ(lines[1].name, "B");
    EXPECT_EQ(lines[2].name, "C");
}

TEST(LineRows, LoadLevelsAreMatchedByteForByte)
{
    EXPECT_EQ(LoadIconIndex("\xC1\xF7\xB3\xA9"), 0); // GBK bytes of the three level words
    EXPECT_EQ(LoadIconIndex("\xD3\xB5\xBC\xB7"), 1);
    EXPECT_EQ(LoadIconIndex("\xB1\xAC\xC2\xFA"), 2);
    EXPECT_EQ(LoadIconIndex("流畅 "), -1);
    EXPECT_EQ(LoadIconIndex("流"), -1);
    EXPECT_EQ(LoadIconIndex(""), -1);
    EXPECT_EQ(LoadIconIndex("1"), -1);
}

TEST(LineRows, LeadingNumberReadsLeadingDigitsOnly)
{
    EXPECT_EQ(LeadingNumber("1723"), 1723);
    EXPECT_EQ(LeadingNumber("80abc"), 80);
    EXPECT_EQ(LeadingNumber("007"), 7);
    EXPECT_EQ(LeadingNumber(""), 0);
    EXPECT_EQ(LeadingNumber("abc"), 0);
    EXPECT_EQ(LeadingNumber(" 12"), 0);
    EXPECT_EQ(LeadingNumber("-5"), 0);
    EXPECT_EQ(LeadingNumber("连接超时"), 0);
}

TEST(LineRows, LeadingNumberSaturatesInsteadOfOverflowing)
{
    EXPECT_EQ(LeadingNumber("2147483647"), INT_MAX);
    EXPECT_EQ(LeadingNumber("2147483646"), INT_MAX - 1);
    EXPECT_EQ(LeadingNumber("2147483648"), INT_MAX);
    EXPECT_EQ(LeadingNumber(std::string(400, '9')), INT_MAX);
}

} // namespace
