#include "app/vpn/http_text.h"

#include <gtest/gtest.h>

namespace {

TEST(HttpText, TextBetweenTakesTheFirstPair)
{
    EXPECT_EQ(TextBetween("a[x]b[y]", "[", "]"), "x");
    EXPECT_EQ(TextBetween("key=value;rest;", "key=", ";"), "value");
    EXPECT_EQ(TextBetween("<<a>>", "<<", ">>"), "a");
}

TEST(HttpText, TextBetweenIsEmptyWhenSomethingIsMissing)
{
    EXPECT_EQ(TextBetween("abc", "x", "c"), "");
    EXPECT_EQ(TextBetween("abc", "a", "x"), "");
    EXPECT_EQ(TextBetween("a;", "a", ";"), ""); // value of length zero
    EXPECT_EQ(TextBetween("", "a", ";"), "");
    EXPECT_EQ(TextBetween("a;b", "", ";"), "");
    EXPECT_EQ(TextBetween("a;b", "a", ""), "");
    EXPECT_EQ(TextBetween("ab", "ab", "x"), ""); // left at the very end
}

TEST(HttpText, TextBetweenLooksForTheRightMarkerAfterTheValueStart) { EXPECT_EQ(TextBetween(";x=1;", "x=", ";"), "1"); }

TEST(HttpText, TextBetweenMatchesOnlyAtCharacterStarts)
{
    // "\xB0\x5B" is one GBK character whose trail byte is '['; it must not be read as a marker.
    EXPECT_EQ(TextBetween("\xB0[a]", "[", "]"), "");
    EXPECT_EQ(TextBetween("\xB0[a][b]", "[", "]"), "b");
    // The same holds for the right marker, counted from the value start.
    EXPECT_EQ(TextBetween("[\xB0]x]", "[", "]"), "\xB0]x");
    // Two-byte characters inside the value are kept whole.
    EXPECT_EQ(TextBetween("name=\xC1\xF7\xB3\xA9;", "name=", ";"), "\xC1\xF7\xB3\xA9");
}

TEST(HttpText, TextBetweenWithALeadByteAsTheLastByte)
{
    EXPECT_EQ(TextBetween("a=b\xB0", "a=", ";"), "");
    EXPECT_EQ(TextBetween("\xB0", "\xB0", ";"), "");
    EXPECT_EQ(TextBetween("x\xB0", "x", "\xB0"), "");
    EXPECT_EQ(TextBetween("xy\xB0", "x", "\xB0"), "y");
    EXPECT_EQ(TextBetween("\xB0", "a", "b"), "");
}

TEST(HttpText, LowerCasesAsciiLettersOnly)
{
    EXPECT_EQ(LowerAsciiDbcs("HTTP://Example.COM/A_Z-09"), "http://example.com/a_z-09");
    // The trail byte 'A' (0x41) of a two-byte character is not a letter of its own.
    EXPECT_EQ(LowerAsciiDbcs("\x81\x41Z"), "\x81\x41z");
    EXPECT_EQ(LowerAsciiDbcs("AB\x81"), "ab\x81"); // trailing lone lead byte stays
    EXPECT_EQ(LowerAsciiDbcs(""), "");
}

TEST(HttpText, SchemeIsAddedOnlyWhenTheUrlDoesNotBeginWithHttp)
{
    EXPECT_EQ(CompleteScheme("127.0.0.1/jsq/beta.htm"), "http://127.0.0.1/jsq/beta.htm");
    EXPECT_EQ(CompleteScheme("HTTP://Host/Path"), "HTTP://Host/Path"); // keeps its letters
    EXPECT_EQ(CompleteScheme("https://host/"), "https://host/");
    EXPECT_EQ(CompleteScheme("http://host/"), "http://host/");
    EXPECT_EQ(CompleteScheme("ftp://host/"), "http://ftp://host/");
    EXPECT_EQ(CompleteScheme(""), "http://");
    EXPECT_EQ(CompleteScheme("htt"), "http://htt");
}

TEST(HttpText, CookieValueWithBlankAfterTheColon)
{
    EXPECT_EQ(CookieValue("HTTP/1.1 200 OK\r\nSet-Cookie: sid=abc; path=/\r\n", "sid"), "abc");
}

TEST(HttpText, CookieValueWithoutBlankFoundBySecondSearch)
{
    EXPECT_EQ(CookieValue("Content-Type: text/html\r\nSet-Cookie:sid=abc;\r\n", "sid"), "abc");
}

TEST(HttpText, CookieValueWithoutSemicolonIsEmpty)
{
    EXPECT_EQ(CookieValue("Content-Type: text/html\r\nSet-Cookie: sid=abc", "sid"), "");
    EXPECT_EQ(CookieValue("Set-Cookie: other=1;\r\n", "sid"), "");
    EXPECT_EQ(CookieValue("", "sid"), "");
}

TEST(HttpText, CookieValueTakesTheFirstOfSeveral)
{
    EXPECT_EQ(CookieValue("Set-Cookie: a=1;\r\nSet-Cookie: sid=x1;\r\nSet-Cookie: sid=x2;\r\n", "sid"), "x1");
}

TEST(HttpText, AllCookiesKeepsEachSetCookieLineWithCrLf)
{
    const std::string headers = "Server: t\r\nSet-Cookie: a=1; path=/\r\nX: y\r\nSet-Cookie:b=2\r\n";
    EXPECT_EQ(AllCookies(headers), "Set-Cookie: a=1; path=/\r\nSet-Cookie:b=2\r\n");
    EXPECT_EQ(AllCookies("Set-Cookie: last=1"), "Set-Cookie: last=1\r\n"); // last line too
}

TEST(HttpText, AllCookiesIsEmptyWithoutSetCookieLines)
{
    EXPECT_EQ(AllCookies("Server: t\r\nset-cookie: a=1\r\n X-Set-Cookie: b\r\n"), "");
    EXPECT_EQ(AllCookies(""), "");
}

} // namespace
