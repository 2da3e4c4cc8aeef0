// RasGetErrorStringA: the Chinese system texts (code page 936) of the errors the stand-in reports.
#include "platform/win.h"

#include <cstring>
#include <string>

#include "platform/ras_api.h"
#include "struct_fields.h"

namespace standin {
namespace {

struct ErrorText {
    DWORD code;
    const char* text;
};

// Narrow literals compile to GBK bytes.
constexpr ErrorText kErrorTexts[] = {
    {ERROR_INVALID_HANDLE, "句柄无效。"},
    {ERROR_NOT_ENOUGH_MEMORY, "存储空间不足，无法处理此命令。"},
    {ERROR_INVALID_PARAMETER, "参数错误。"},
    {ERROR_INSUFFICIENT_BUFFER, "传递给系统调用的数据区域太小。"},
    {ERROR_INVALID_NAME, "文件名、目录名或卷标语法不正确。"},
    {ras::kErrorPortAlreadyOpen, "指定的端口已打开。"},
    {ras::kErrorBufferTooSmall, "调用者的缓冲区太小。"},
    {ras::kErrorCannotOpenPhonebook, "系统无法打开电话簿文件。"},
    {ras::kErrorCannotFindPhonebookEntry, "系统找不到此连接的电话簿项。"},
    {ras::kErrorCannotWritePhonebook, "系统无法更新电话簿文件。"},
    {ras::kErrorRemoteDisconnection, "连接被远程计算机关闭。"},
    {ras::kErrorInvalidSize, "结构大小不正确。"},
    {ras::kErrorPortNotAvailable, "调制解调器(或其他连接设备)已在使用或没有正确配置。"},
    {ras::kErrorNoAnswer, "远程计算机没有响应。"},
    {ras::kErrorAuthenticationFailure, "由于域上的用户名和/或密码无效而拒绝访问。"},
    {ras::kErrorAutomaticVpnFailed, "无法建立 VPN 连接。VPN 服务器可能无法访问，或者未为此连接正确配置安全参数。"},
    // Some system texts are longer than 100 bytes.
    {ras::kErrorVpnTimeout,
        "无法建立计算机与 VPN 服务器之间的网络连接，因为远程服务器未响应。这可能是因为未将计算机与远程服务器之间的某种"
        "网络设备(如防火墙、NAT、路由器等)配置为允许 VPN "
        "连接。请与管理员或服务提供商联系以确定哪种设备可能产生此问题。"},
    {ras::kErrorDnsNameNotResolvable, "由于远程访问服务器的名称无法解析，远程连接未建立。"},
};

std::string ErrorMessage(DWORD code)
{
    for (const ErrorText& e : kErrorTexts) {
        if (e.code == code) {
            return e.text;
        }
    }
    return "远程访问错误 " + std::to_string(code) + "。";
}

DWORD GetErrorString(UINT error, LPSTR buffer, DWORD bufferSize)
{
    if (!buffer) {
        return ERROR_INVALID_PARAMETER;
    }
    const std::string text = ErrorMessage(error);
    // A text that does not fit is not cut: the buffer is left as it was.
    if (text.size() + 1 > bufferSize) {
        return ERROR_INSUFFICIENT_BUFFER;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return 0;
}

} // namespace
} // namespace standin

extern "C" DWORD WINAPI RasGetErrorStringA(UINT error, LPSTR buffer, DWORD bufferSize)
{
    return standin::NoThrow([&] { return standin::GetErrorString(error, buffer, bufferSize); });
}
