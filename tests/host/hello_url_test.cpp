#include "app/vpn/hello_url.h"

#include <gtest/gtest.h>

namespace {

TEST(HelloUrl, FirstReportNamesTheLineAddress)
{
    EXPECT_EQ(HelloUrl("jsq.example.net", "10.0.0.7"), "http://jsq.example.net/jsq/line/hello.php?ip=10.0.0.7");
    EXPECT_EQ(HelloUrl("127.0.0.1:18631", "127.0.0.2"), "http://127.0.0.1:18631/jsq/line/hello.php?ip=127.0.0.2");
}

TEST(HelloUrl, KeepAliveCarriesTheFirstAnswer)
{
    EXPECT_EQ(KeepAliveUrl("h", "10.0.0.7", "1.2.3.4"), "http://h/jsq/line/hello.php?ip=10.0.0.7&myip=1.2.3.4");
    EXPECT_EQ(KeepAliveUrl("h", "10.0.0.7", ""), "http://h/jsq/line/hello.php?ip=10.0.0.7&myip=");
}

TEST(HelloUrl, DisconnectReportAsksForRemoval)
{
    EXPECT_EQ(DisconnectUrl("h", "10.0.0.7"), "http://h/jsq/line/hello.php?ip=10.0.0.7&remove=1");
}

TEST(HelloUrl, ValuesGoInUnescaped)
{
    EXPECT_EQ(KeepAliveUrl("h", "a b&c", "x=y z"), "http://h/jsq/line/hello.php?ip=a b&c&myip=x=y z");
}

} // namespace
