#include "platform/charset.h"

#include <gtest/gtest.h>

#include "tests/common/charset_vectors.h"

namespace {

using platform::Utf8ToGbk;

TEST(CharsetWin, ConvertsTheSharedCases)
{
    for (const auto& c : charset_vectors::kConverts) {
        EXPECT_EQ(Utf8ToGbk(c.utf8), c.gbk) << c.what;
    }
}

TEST(CharsetWin, FailsAsAWholeOnTheSharedCases)
{
    for (const auto& c : charset_vectors::kFails) {
        EXPECT_EQ(Utf8ToGbk(c.utf8), "") << c.what;
    }
}

TEST(CharsetWin, EmptyInputGivesEmptyText) { EXPECT_EQ(Utf8ToGbk(""), ""); }

TEST(CharsetWin, WholeBmpMatchesTheIconvBuild)
{
    const auto f = charset_vectors::FingerprintBmp([](const std::string& s) { return Utf8ToGbk(s); });
    EXPECT_EQ(f.converted, charset_vectors::kBmpConverted);
    EXPECT_EQ(f.hash, charset_vectors::kBmpHash);
}

} // namespace
