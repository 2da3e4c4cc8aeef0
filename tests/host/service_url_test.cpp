#include "app/vpn/service_url.h"

#include <gtest/gtest.h>

namespace {

TEST(ServiceUrl, SplitsSchemeHostPortAndPath)
{
    const auto plain = SplitUrl("http://jsq.example.net/jsq/beta.htm");
    ASSERT_TRUE(plain);
    EXPECT_FALSE(plain->secure);
    EXPECT_EQ(plain->host, "jsq.example.net");
    EXPECT_EQ(plain->port, 80);
    EXPECT_EQ(plain->path, "/jsq/beta.htm");

    const auto tls = SplitUrl("HTTPS://127.0.0.1:18632/jsq/line/hello.php?ip=1.2.3.4");
    ASSERT_TRUE(tls);
    EXPECT_TRUE(tls->secure);
    EXPECT_EQ(tls->port, 18632);
    EXPECT_EQ(tls->path, "/jsq/line/hello.php?ip=1.2.3.4");
    EXPECT_EQ(SplitUrl("https://h")->port, 443);
    EXPECT_EQ(SplitUrl("https://h")->path, "/");

    for (const char* bad : {"", "ftp://h/", "h/x", "http://", "http:///x", "http://u@h/", "http://h:/", "http://h:0/",
             "http://h:65536/", "http://h:12a/", "http://[::1]/", "https//h/"}) {
        EXPECT_FALSE(SplitUrl(bad)) << bad;
    }
}

TEST(ServiceUrl, RedirectsStayOnTheHostAndNeverLeaveHttps)
{
    const std::string from = "https://jsq.example.net/jsq/beta.htm";
    EXPECT_EQ(RedirectTarget(from, "/jsq/b.htm"), "https://jsq.example.net:443/jsq/b.htm");
    EXPECT_EQ(RedirectTarget(from, "https://JSQ.example.net/x"), "https://JSQ.example.net:443/x");
    EXPECT_FALSE(RedirectTarget(from, "http://jsq.example.net/jsq/beta.htm")) << "https to http";
    EXPECT_FALSE(RedirectTarget(from, "https://evil.example.net/jsq/beta.htm")) << "another host";
    EXPECT_FALSE(RedirectTarget(from, "https://jsq.example.net:8443/x")) << "another port";
    EXPECT_FALSE(RedirectTarget(from, "//evil.example.net/x")) << "a scheme-relative address names a host";
    EXPECT_FALSE(RedirectTarget(from, "beta2.htm"));
    EXPECT_FALSE(RedirectTarget(from, ""));
    EXPECT_EQ(RedirectTarget("http://h:18631/a", "/b"), "http://h:18631/b");
    EXPECT_EQ(RedirectTarget("http://h/a", "https://h:80/b"), "https://h:80/b") << "an upgrade is followed";
}

TEST(ServiceUrl, ABuildAddressHasSchemeHostAndPortOnly)
{
    EXPECT_TRUE(IsServiceBase("http://jsq.example.net"));
    EXPECT_TRUE(IsServiceBase("https://127.0.0.1:18632"));
    for (const char* bad : {"http://h/", "http://h/jsq", "jsq.example.net", "https://h:99999", ""}) {
        EXPECT_FALSE(IsServiceBase(bad)) << bad;
    }
}

} // namespace
