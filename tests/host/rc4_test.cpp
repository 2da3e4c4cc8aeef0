#include "app/lines/rc4.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "app/lines/line_list_key.h"

namespace {

std::vector<std::uint8_t> Bytes(std::string_view text) { return std::vector<std::uint8_t>(text.begin(), text.end()); }

std::vector<std::uint8_t> Hex(std::string_view hex)
{
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        out.push_back(static_cast<std::uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    }
    return out;
}

TEST(Rc4, MatchesPublishedVectors)
{
    EXPECT_EQ(DecipherResponse(Bytes("Plaintext"), Bytes("Key")), Hex("bbf316e8d940af0ad3"));
    EXPECT_EQ(DecipherResponse(Bytes("pedia"), Bytes("Wiki")), Hex("1021bf0420"));
    EXPECT_EQ(DecipherResponse(Bytes("Attack at dawn"), Bytes("Secret")), Hex("45a01f645fc35b383552544b9bf5"));
}

TEST(Rc4, KeystreamStartsAtItsFirstByte)
{
    // RFC 6229, 40-bit key 0102030405: the keystream's first 16 bytes (nothing discarded).
    const std::vector<std::uint8_t> zeros(16, 0);
    EXPECT_EQ(DecipherResponse(zeros, Hex("0102030405")), Hex("b2396305f03dc027ccc3524a0a1118a8"));
}

TEST(Rc4, ShortKeyRepeatsOverTheSchedule)
{
    // key[i mod length]: "Key" and "KeyKey...Key" of 255 bytes schedule the same state.
    std::string longKey;
    while (longKey.size() < 255) {
        longKey += "Key";
    }
    const auto data = Bytes("the same keystream either way");
    EXPECT_EQ(DecipherResponse(data, Bytes(longKey)), DecipherResponse(data, Bytes("Key")));
}

TEST(Rc4, AppliedTwiceRestoresTheInput)
{
    const std::vector<std::uint8_t> key = EmbeddedLineListKey();
    ASSERT_EQ(key.size(), 256u);
    std::vector<std::uint8_t> data;
    for (int i = 0; i < 5000; ++i) {
        data.push_back(static_cast<std::uint8_t>(i * 7 + 3));
    }
    const auto enciphered = DecipherResponse(data, key);
    ASSERT_EQ(enciphered.size(), data.size());
    EXPECT_NE(enciphered, data);
    EXPECT_EQ(DecipherResponse(enciphered, key), data);
}

TEST(Rc4, EmptyInputGivesEmptyOutput) { EXPECT_TRUE(DecipherResponse({}, EmbeddedLineListKey()).empty()); }

TEST(Rc4, EmptyKeyGivesEmptyOutput) { EXPECT_TRUE(DecipherResponse(Bytes("abc"), {}).empty()); }

} // namespace
