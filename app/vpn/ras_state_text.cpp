#include "app/vpn/ras_state_text.h"

#include <array>
#include <string_view>

namespace {

struct StateText {
    int state;
    std::string_view text;
};

constexpr std::array<StateText, 28> kStateTexts = {{
    {0, "正在打开端口"},
    {1, "端口打开"},
    {2, "正在连接设备"},
    {3, "DeviceConnected"},
    {4, "所有设备已连接上"},
    {5, "开始认证"},
    {6, "AuthenticationNotify"},
    {7, "认证测试"},
    {8, "CallbackRequested"},
    {9, "ChangePasswordRequested"},
    {10, "ProjectionPhaseStarted"},
    {11, "LinkSpeedCalculation"},
    {12, "认证通过"},
    {13, "ReauthenticationStarted"},
    {14, "Authenticated"},
    {15, "PreparationForCallback"},
    {16, "WaitingForModemReset"},
    {17, "WaitingForCallback"},
    {18, "Projected"},
    {19, "StartAuthentication"},
    {20, "CallbackComplete"},
    {21, "正在登录网络"},
    {0x1000, "Interactive"},
    {0x1001, "RetryAuthentication"},
    {0x1002, "CallbackSetByCaller"},
    {0x1003, "PasswordExpired"},
    {0x2000, "连接成功"},
    {0x2001, "断开连接"},
}};

} // namespace

std::string RasStateTableText(int state)
{
    for (const StateText& entry : kStateTexts) {
        if (entry.state == state) {
            return std::string(entry.text);
        }
    }
    return std::to_string(state);
}
