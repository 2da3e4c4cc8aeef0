#include "app/vpn/vpn_entry.h"

#include "platform/win.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "app/vpn/ras_fields.h"
#include "platform/handles.h"
#include "platform/ras_api.h"
#include "platform/text.h"

namespace {

constexpr char kDeviceType[] = "vpn";
constexpr char kDeviceName[] = "WAN 微型端口 (PPTP)";
constexpr DWORD kEntryOptions = ras::RASEO_RemoteDefaultGateway | ras::RASEO_SwCompression | ras::RASEO_SecureLocalFiles
    | ras::RASEO_RequirePAP | ras::RASEO_RequireSPAP | ras::RASEO_PreviewUserPw | ras::RASEO_ShowDialingProgress
    | ras::RASEO_RequireCHAP | ras::RASEO_RequireMsCHAP | ras::RASEO_RequireMsCHAP2;
constexpr DWORD kEntryOptions2 = ras::RASEO2_SecureFileAndPrint | ras::RASEO2_SecureClientForMSNet
    | ras::RASEO2_DontNegotiateMultilink | ras::RASEO2_DontUseRasCredentials | ras::RASEO2_Internet
    | ras::RASEO2_DisableNbtOverIP;
constexpr DWORD kChina = 86;
constexpr DWORD kRegistryValueLimit = 1048576;

// The PPTP entry for one server; every field not set here stays zero or empty.
// The caller has checked that the address fits.
ras::RASENTRYW PptpEntry(const std::string& serverAddress, DWORD vpnStrategy)
{
    ras::RASENTRYW e{};
    e.dwSize = ras::kRasEntrySizeOf<WCHAR>;
    e.dwfOptions = kEntryOptions;
    e.dwCountryID = kChina;
    e.dwCountryCode = kChina;
    (void)CopyField(e.szLocalPhoneNumber, serverAddress);
    e.dwfNetProtocols = ras::RASNP_Ip;
    e.dwFramingProtocol = ras::RASFP_Ppp;
    (void)CopyField(e.szDeviceType, kDeviceType);
    (void)CopyField(e.szDeviceName, kDeviceName);
    e.dwDialMode = ras::RASEDM_DialAll;
    e.dwDialExtraPercent = 75;
    e.dwDialExtraSampleSeconds = 120;
    e.dwHangUpExtraPercent = 10;
    e.dwHangUpExtraSampleSeconds = 120;
    e.dwIdleDisconnectSeconds = 0;
    e.dwType = ras::RASET_Vpn;
    e.dwEncryptionType = ras::ET_Optional;
    e.dwVpnStrategy = vpnStrategy;
    e.dwfOptions2 = kEntryOptions2;
    e.dwfOptions3 = 0;
    e.dwRedialCount = 0;
    e.dwRedialPause = 1;
    return e;
}

bool StoreCredentials(const std::string& entryName, const std::wstring& phonebookPath, const std::string& userName,
    const std::string& password)
{
    ras::RASCREDENTIALSW c{};
    c.dwSize = ras::kRasCredentialsSizeOf<WCHAR>;
    c.dwMask = ras::RASCM_UserName | ras::RASCM_Password | ras::RASCM_DefaultCreds;
    (void)CopyField(c.szUserName, userName);
    (void)CopyField(c.szPassword, password);
    const DWORD result = RasSetCredentialsW(phonebookPath.c_str(), platform::Widen(entryName).c_str(), &c, FALSE);
    ::SecureZeroMemory(c.szPassword, sizeof c.szPassword);
    return result == 0;
}

HKEY RootKey(int rootKey)
{
    switch (rootKey) {
    case 1:
        return HKEY_CLASSES_ROOT;
    case 2:
        return HKEY_CURRENT_USER;
    case 3:
        return HKEY_LOCAL_MACHINE;
    case 4:
        return HKEY_USERS;
    case 5:
        return HKEY_CURRENT_CONFIG;
    default:
        return nullptr;
    }
}

} // namespace

bool EntryFieldsFit(const std::string& userName, const std::string& password, const std::string& serverAddress)
{
    // Measured as they are passed: in UTF-16.
    return platform::Widen(serverAddress).size() <= ras::kMaxPhoneNumber
        && platform::Widen(userName).size() <= ras::kMaxUserName
        && platform::Widen(password).size() <= ras::kMaxPassword;
}

bool BuildVpnEntry(const std::string& entryName, const std::wstring& phonebookPath, const std::string& userName,
    const std::string& password, const std::string& serverAddress, unsigned vpnStrategy)
{
    // Nothing is cut to fit: a shortened address or password would dial something else.
    if (!EntryFieldsFit(userName, password, serverAddress)) {
        return false;
    }
    ras::RASENTRYW entry = PptpEntry(serverAddress, vpnStrategy);
    if (RasSetEntryPropertiesW(
            phonebookPath.c_str(), platform::Widen(entryName).c_str(), &entry, entry.dwSize, nullptr, 0)
        != 0) {
        return false;
    }
    if (userName.empty() || password.empty()) {
        return true;
    }
    return StoreCredentials(entryName, phonebookPath, userName, password);
}

std::string ReadRegistryText(int rootKey, const std::string& subKey, const std::string& valueName)
{
    const HKEY root = RootKey(rootKey);
    HKEY opened = nullptr;
    if (!root || ::RegOpenKeyW(root, platform::Widen(subKey).c_str(), &opened) != ERROR_SUCCESS) {
        return {};
    }
    platform::UniqueRegKey key(opened);
    // Read wide: the ANSI call would give a text in the system's code page, not GBK. Other types
    // come as their bytes either way.
    std::vector<unsigned char> buffer(kRegistryValueLimit);
    DWORD size = kRegistryValueLimit;
    DWORD type = REG_NONE;
    if (::RegQueryValueExW(key.Get(), platform::Widen(valueName).c_str(), nullptr, &type, buffer.data(), &size)
        != ERROR_SUCCESS) {
        return {};
    }
    size = std::min<DWORD>(size, kRegistryValueLimit);
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
        const std::wstring_view text(reinterpret_cast<const wchar_t*>(buffer.data()), size / sizeof(wchar_t));
        return platform::Narrow(text.substr(0, text.find(L'\0')));
    }
    const std::string bytes(reinterpret_cast<const char*>(buffer.data()), size);
    return bytes.substr(0, bytes.find('\0'));
}

std::string GetOsDescription()
{
    const std::string key = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    return ReadRegistryText(3, key, "ProductName") + " " + ReadRegistryText(3, key, "CSDVersion");
}

bool Is64BitSystem()
{
    SYSTEM_INFO info{};
    ::GetNativeSystemInfo(&info);
    return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64
        || info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
}
