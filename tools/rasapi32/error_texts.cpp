// RasGetErrorStringA/W: the Chinese system texts of the errors the stand-in reports; the ANSI
// function gives them in the system's code page, as Windows does.
#include "platform/win.h"

#include <algorithm>
#include <string>

#include "platform/ras_api.h"
#include "struct_fields.h"

namespace standin {
namespace {

struct ErrorText {
    DWORD code;
    const wchar_t* text;
};

constexpr ErrorText kErrorTexts[] = {
    {ERROR_INVALID_HANDLE, L"句柄无效。"},
    {ERROR_NOT_ENOUGH_MEMORY, L"存储空间不足，无法处理此命令。"},
    {ERROR_INVALID_PARAMETER, L"参数错误。"},
    {ERROR_INSUFFICIENT_BUFFER, L"传递给系统调用的数据区域太小。"},
    {ERROR_INVALID_NAME, L"文件名、目录名或卷标语法不正确。"},
    {ras::kErrorPortAlreadyOpen, L"指定的端口已打开。"},
    {ras::kErrorBufferTooSmall, L"调用者的缓冲区太小。"},
    {ras::kErrorCannotOpenPhonebook, L"系统无法打开电话簿文件。"},
    {ras::kErrorCannotFindPhonebookEntry, L"系统找不到此连接的电话簿项。"},
    {ras::kErrorCannotWritePhonebook, L"系统无法更新电话簿文件。"},
    {ras::kErrorRemoteDisconnection, L"连接被远程计算机关闭。"},
    {ras::kErrorInvalidSize, L"结构大小不正确。"},
    {ras::kErrorPortNotAvailable, L"调制解调器(或其他连接设备)已在使用或没有正确配置。"},
    {ras::kErrorNoAnswer, L"远程计算机没有响应。"},
    {ras::kErrorAuthenticationFailure, L"由于域上的用户名和/或密码无效而拒绝访问。"},
    {ras::kErrorAutomaticVpnFailed, L"无法建立 VPN 连接。VPN 服务器可能无法访问，或者未为此连接正确配置安全参数。"},
    // Some system texts are longer than 100 bytes.
    {ras::kErrorVpnTimeout,
        L"无法建立计算机与 VPN 服务器之间的网络连接，因为远程服务器未响应。这可能是因为未将计算机与远程服务器之间的某种"
        L"网络设备(如防火墙、NAT、路由器等)配置为允许 VPN "
        L"连接。请与管理员或服务提供商联系以确定哪种设备可能产生此问题。"},
    {ras::kErrorDnsNameNotResolvable, L"由于远程访问服务器的名称无法解析，远程连接未建立。"},
};

std::string ErrorMessage(DWORD code)
{
    for (const ErrorText& e : kErrorTexts) {
        if (e.code == code) {
            return Utf8Text(std::wstring_view(e.text));
        }
    }
    return Utf8Text(L"远程访问错误 " + std::to_wstring(code) + L"。");
}

// The buffer's size counts characters of its width.
template <typename Char> DWORD GetErrorString(UINT error, Char* buffer, DWORD bufferSize)
{
    if (!buffer) {
        return ERROR_INVALID_PARAMETER;
    }
    const auto text = CallerText(ErrorMessage(error), buffer);
    // A text that does not fit is not cut: the buffer is left as it was.
    if (text.size() + 1 > bufferSize) {
        return ERROR_INSUFFICIENT_BUFFER;
    }
    std::copy(text.c_str(), text.c_str() + text.size() + 1, buffer);
    return 0;
}

} // namespace
} // namespace standin

extern "C" DWORD WINAPI RasGetErrorStringA(UINT error, LPSTR buffer, DWORD bufferSize)
{
    return standin::NoThrow([&] { return standin::GetErrorString(error, buffer, bufferSize); });
}

extern "C" DWORD WINAPI RasGetErrorStringW(UINT error, LPWSTR buffer, DWORD bufferSize)
{
    return standin::NoThrow([&] { return standin::GetErrorString(error, buffer, bufferSize); });
}
