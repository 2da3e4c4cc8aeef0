#include "platform/charset.h"

#include <gtest/gtest.h>

#include "tests/common/charset_vectors.h"

namespace {

using platform::Utf8ToGbk;

TEST(CharsetIconv, ConvertsTheSharedCases)
{
    for (const auto& c : charset_vectors::kConverts) {
        EXPECT_EQ(Utf8ToGbk(c.utf8), c.gbk) << c.what;
    }
}

TEST(CharsetIconv, FailsAsAWholeOnTheSharedCases)
{
    for (const auto& c : charset_vectors::kFails) {
        EXPECT_EQ(Utf8ToGbk(c.utf8), "") << c.what;
    }
}

TEST(CharsetIconv, EmptyInputGivesEmptyText) { EXPECT_EQ(Utf8ToGbk(""), ""); }

TEST(CharsetIconv, LongTextConvertsWhole)
{
    std::string utf8;
    std::string gbk;
    for (int i = 0; i < 20000; ++i) {
        utf8 += "\xE6\xB5\x81;a";
        gbk += "\xC1\xF7;a";
    }
    EXPECT_EQ(Utf8ToGbk(utf8), gbk);
    utf8 += "\xE6";
    EXPECT_EQ(Utf8ToGbk(utf8), "");
}

TEST(CharsetIconv, LiteralsOfTheProgramAreGbk)
{
    // The program's narrow literals must hold the same bytes the conversion produces.
    EXPECT_EQ(Utf8ToGbk("\xE6\xB5\x81\xE7\x95\x85"), std::string("流畅"));
}

TEST(CharsetIconv, WholeBmpMatchesTheGbkTable)
{
    const auto f = charset_vectors::FingerprintBmp([](const std::string& s) { return Utf8ToGbk(s); });
    EXPECT_EQ(f.converted, charset_vectors::kBmpConverted);
    EXPECT_EQ(f.hash, charset_vectors::kBmpHash);
}

} // namespace
