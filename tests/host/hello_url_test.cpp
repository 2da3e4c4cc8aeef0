#include "app/vpn/hello_url.h"

#include <gtest/gtest.h>

namespace {

TEST(HelloUrl, FirstReportNamesTheLineAddress)
{
    EXPECT_EQ(HelloUrl("http://jsq.example.net", "10.0.0.7"), "http://jsq.example.net/jsq/line/hello.php?ip=10.0.0.7");
    EXPECT_EQ(
        HelloUrl("https://127.0.0.1:18632", "127.0.0.2"), "https://127.0.0.1:18632/jsq/line/hello.php?ip=127.0.0.2");
}

TEST(HelloUrl, KeepAliveCarriesTheFirstAnswer)
{
    EXPECT_EQ(KeepAliveUrl("http://h", "10.0.0.7", "1.2.3.4"), "http://h/jsq/line/hello.php?ip=10.0.0.7&myip=1.2.3.4");
    EXPECT_EQ(KeepAliveUrl("http://h", "10.0.0.7", ""), "http://h/jsq/line/hello.php?ip=10.0.0.7&myip=");
}

TEST(HelloUrl, DisconnectReportAsksForRemoval)
{
    EXPECT_EQ(DisconnectUrl("http://h", "10.0.0.7"), "http://h/jsq/line/hello.php?ip=10.0.0.7&remove=1");
}

TEST(HelloUrl, ValuesThatCouldBreakTheQueryArePercentEncoded)
{
    EXPECT_EQ(KeepAliveUrl("http://h", "a b&c", "x=y z"), "http://h/jsq/line/hello.php?ip=a%20b%26c&myip=x%3Dy%20z");
    EXPECT_EQ(DisconnectUrl("http://h", "1.2.3.4&remove=1#"),
        "http://h/jsq/line/hello.php?ip=1.2.3.4%26remove%3D1%23&remove=1");
    EXPECT_EQ(PercentEncoded("\xba\xc3~-_."), "%BA%C3~-_.");
}

TEST(HelloUrl, OnlyADottedIpv4AnswerBecomesMyIp)
{
    EXPECT_EQ(MyIpFromAnswer(" 127.0.0.1\r\n"), "127.0.0.1");
    EXPECT_EQ(MyIpFromAnswer("255.255.255.255"), "255.255.255.255");
    for (const char* answer : {"", "<html>error</html>", "1.2.3", "1.2.3.4.5", "256.1.1.1", "1.2.3.4x", "1..2.3",
             "1.2.3.4 5", "0001.2.3.4", "-1.2.3.4"}) {
        EXPECT_EQ(MyIpFromAnswer(answer), "") << answer;
    }
}

} // namespace
