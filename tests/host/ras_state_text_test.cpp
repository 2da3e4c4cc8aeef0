#include "app/vpn/ras_state_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

TEST(RasStateText, KnownStatesHaveTheirTexts)
{
    EXPECT_EQ(RasStateTableText(0), "正在打开端口");
    EXPECT_EQ(RasStateTableText(3), "DeviceConnected");
    EXPECT_EQ(RasStateTableText(5), "开始认证");
    EXPECT_EQ(RasStateTableText(12), "认证通过");
    EXPECT_EQ(RasStateTableText(21), "正在登录网络");
    EXPECT_EQ(RasStateTableText(0x1003), "PasswordExpired");
    EXPECT_EQ(RasStateTableText(0x2000), "连接成功");
    EXPECT_EQ(RasStateTableText(0x2001), "断开连接");
    EXPECT_EQ(RasStateTableText(0x2000), "\xC1\xAC\xBD\xD3\xB3\xC9\xB9\xA6"); // GBK bytes
}

TEST(RasStateText, EveryStateOfTheTableHasItsOwnText)
{
    std::vector<std::string> seen;
    for (int state = 0; state <= 0x2001; ++state) {
        const std::string text = RasStateTableText(state);
        if (text != std::to_string(state)) {
            EXPECT_EQ(std::count(seen.begin(), seen.end(), text), 0) << text;
            seen.push_back(text);
        }
    }
    EXPECT_EQ(seen.size(), 28u); // 0..21, 0x1000..0x1003, 0x2000, 0x2001
}

TEST(RasStateText, UnknownStatesAreTheirDecimalDigits)
{
    EXPECT_EQ(RasStateTableText(30), "30");
    EXPECT_EQ(RasStateTableText(22), "22");
    EXPECT_EQ(RasStateTableText(0x1004), "4100");
    EXPECT_EQ(RasStateTableText(0x2002), "8194");
    EXPECT_EQ(RasStateTableText(-1), "-1");
}

} // namespace
