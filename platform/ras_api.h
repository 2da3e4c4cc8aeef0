// The Remote Access Service calls the program makes, with the structure versions it passes.
// The SDK's <ras.h> declares today's longer layouts; the service picks the version by dwSize,
// so the program declares the older ones itself. Never include <ras.h> beside this header:
// the functions below would then be declared twice with different parameter types.
#pragma once

#include "platform/win.h"

#include <cstddef>

namespace ras {

// Text lengths without the terminating zero.
inline constexpr size_t kMaxEntryName = 256;
inline constexpr size_t kMaxDeviceType = 16;
inline constexpr size_t kMaxDeviceName = 128;
inline constexpr size_t kMaxPhoneNumber = 128;
inline constexpr size_t kMaxCallbackNumber = 128;
inline constexpr size_t kMaxAreaCode = 10;
inline constexpr size_t kMaxPadType = 32;
inline constexpr size_t kMaxX25Address = 200;
inline constexpr size_t kMaxFacilities = 200;
inline constexpr size_t kMaxUserData = 200;
inline constexpr size_t kMaxDnsSuffix = 256;
inline constexpr size_t kMaxUserName = 256; // UNLEN
inline constexpr size_t kMaxPassword = 256; // PWLEN
inline constexpr size_t kMaxDomain = 15; // DNLEN
inline constexpr size_t kMaxPath = 260; // MAX_PATH

struct RasConnTag;
using HRASCONN = RasConnTag*;

enum RASCONNSTATE : int {
    RASCS_OpenPort = 0,
    RASCS_PortOpened = 1,
    RASCS_ConnectDevice = 2,
    RASCS_DeviceConnected = 3,
    RASCS_AllDevicesConnected = 4,
    RASCS_Authenticate = 5,
    RASCS_AuthNotify = 6,
    RASCS_AuthRetry = 7,
    RASCS_AuthCallback = 8,
    RASCS_AuthChangePassword = 9,
    RASCS_AuthProject = 10,
    RASCS_AuthLinkSpeed = 11,
    RASCS_AuthAck = 12,
    RASCS_ReAuthenticate = 13,
    RASCS_Authenticated = 14,
    RASCS_PrepareForCallback = 15,
    RASCS_WaitForModemReset = 16,
    RASCS_WaitForCallback = 17,
    RASCS_Projected = 18,
    RASCS_StartAuthentication = 19,
    RASCS_CallbackComplete = 20,
    RASCS_LogonNetwork = 21,
    RASCS_Interactive = 0x1000,
    RASCS_RetryAuthentication = 0x1001,
    RASCS_CallbackSetByCaller = 0x1002,
    RASCS_PasswordExpired = 0x1003,
    RASCS_Connected = 0x2000,
    RASCS_Disconnected = 0x2001,
};

// Notifier type 0 of RasDialA: (WM_RASDIALEVENT, state, error).
using RASDIALFUNC = void(WINAPI*)(UINT message, RASCONNSTATE state, DWORD error);
inline constexpr DWORD kNotifierType0 = 0;
inline constexpr UINT kWmRasDialEvent = 0xCCCD;

struct RASIPADDR {
    BYTE a, b, c, d;
};

// Connection record, the layout whose dwSize is 412.
struct RASCONNA {
    DWORD dwSize;
    HRASCONN hrasconn;
    CHAR szEntryName[kMaxEntryName + 1];
    CHAR szDeviceType[kMaxDeviceType + 1];
    CHAR szDeviceName[kMaxDeviceName + 1];
};

// Phonebook entry, the Windows XP layout (dwSize 2884).
struct RASENTRYA {
    DWORD dwSize;
    DWORD dwfOptions;
    DWORD dwCountryID;
    DWORD dwCountryCode;
    CHAR szAreaCode[kMaxAreaCode + 1];
    CHAR szLocalPhoneNumber[kMaxPhoneNumber + 1];
    DWORD dwAlternateOffset;
    RASIPADDR ipaddr;
    RASIPADDR ipaddrDns;
    RASIPADDR ipaddrDnsAlt;
    RASIPADDR ipaddrWins;
    RASIPADDR ipaddrWinsAlt;
    DWORD dwFrameSize;
    DWORD dwfNetProtocols;
    DWORD dwFramingProtocol;
    CHAR szScript[kMaxPath];
    CHAR szAutodialDll[kMaxPath];
    CHAR szAutodialFunc[kMaxPath];
    CHAR szDeviceType[kMaxDeviceType + 1];
    CHAR szDeviceName[kMaxDeviceName + 1];
    CHAR szX25PadType[kMaxPadType + 1];
    CHAR szX25Address[kMaxX25Address + 1];
    CHAR szX25Facilities[kMaxFacilities + 1];
    CHAR szX25UserData[kMaxUserData + 1];
    DWORD dwChannels;
    DWORD dwReserved1;
    DWORD dwReserved2;
    DWORD dwSubEntries;
    DWORD dwDialMode;
    DWORD dwDialExtraPercent;
    DWORD dwDialExtraSampleSeconds;
    DWORD dwHangUpExtraPercent;
    DWORD dwHangUpExtraSampleSeconds;
    DWORD dwIdleDisconnectSeconds;
    DWORD dwType;
    DWORD dwEncryptionType;
    DWORD dwCustomAuthKey;
    GUID guidId;
    CHAR szCustomDialDll[kMaxPath];
    DWORD dwVpnStrategy;
    DWORD dwfOptions2;
    DWORD dwfOptions3;
    CHAR szDnsSuffix[kMaxDnsSuffix];
    DWORD dwTcpWindowSize;
    CHAR szPrerequisitePbk[kMaxPath];
    CHAR szPrerequisiteEntry[kMaxEntryName + 1];
    DWORD dwRedialCount;
    DWORD dwRedialPause;
};

// Dial parameters, the shortest layout (dwSize 1052: no dwSubEntry, no dwCallbackId).
struct RASDIALPARAMSA {
    DWORD dwSize;
    CHAR szEntryName[kMaxEntryName + 1];
    CHAR szPhoneNumber[kMaxPhoneNumber + 1];
    CHAR szCallbackNumber[kMaxCallbackNumber + 1];
    CHAR szUserName[kMaxUserName + 1];
    CHAR szPassword[kMaxPassword + 1];
    CHAR szDomain[kMaxDomain + 1];
};

struct RASCREDENTIALSA {
    DWORD dwSize;
    DWORD dwMask;
    CHAR szUserName[kMaxUserName + 1];
    CHAR szPassword[kMaxPassword + 1];
    CHAR szDomain[kMaxDomain + 1];
};

// Connection status, the first layout (dwSize 160: no szPhoneNumber).
struct RASCONNSTATUSA {
    DWORD dwSize;
    RASCONNSTATE rasconnstate;
    DWORD dwError;
    CHAR szDeviceType[kMaxDeviceType + 1];
    CHAR szDeviceName[kMaxDeviceName + 1];
};

// Only ever passed as a null pointer.
struct RASDIALEXTENSIONS;

inline constexpr DWORD kRasConnSize = 412;
inline constexpr DWORD kRasEntrySize = 2884;
inline constexpr DWORD kRasDialParamsSize = 1052;
inline constexpr DWORD kRasCredentialsSize = 540;
inline constexpr DWORD kRasConnStatusSize = 160;

static_assert(sizeof(RASCONNA) == kRasConnSize);
static_assert(offsetof(RASCONNA, hrasconn) == 4);
static_assert(offsetof(RASCONNA, szEntryName) == 8);
static_assert(offsetof(RASCONNA, szDeviceType) == 265);
static_assert(offsetof(RASCONNA, szDeviceName) == 282);

static_assert(sizeof(RASENTRYA) == kRasEntrySize);
static_assert(offsetof(RASENTRYA, dwCountryCode) == 12);
static_assert(offsetof(RASENTRYA, szAreaCode) == 16);
static_assert(offsetof(RASENTRYA, szLocalPhoneNumber) == 27);
static_assert(offsetof(RASENTRYA, dwAlternateOffset) == 156);
static_assert(offsetof(RASENTRYA, ipaddr) == 160);
static_assert(offsetof(RASENTRYA, ipaddrWinsAlt) == 176);
static_assert(offsetof(RASENTRYA, dwFrameSize) == 180);
static_assert(offsetof(RASENTRYA, dwfNetProtocols) == 184);
static_assert(offsetof(RASENTRYA, dwFramingProtocol) == 188);
static_assert(offsetof(RASENTRYA, szScript) == 192);
static_assert(offsetof(RASENTRYA, szAutodialDll) == 452);
static_assert(offsetof(RASENTRYA, szAutodialFunc) == 712);
static_assert(offsetof(RASENTRYA, szDeviceType) == 972);
static_assert(offsetof(RASENTRYA, szDeviceName) == 989);
static_assert(offsetof(RASENTRYA, szX25PadType) == 1118);
static_assert(offsetof(RASENTRYA, szX25UserData) == 1553);
static_assert(offsetof(RASENTRYA, dwChannels) == 1756);
static_assert(offsetof(RASENTRYA, dwSubEntries) == 1768);
static_assert(offsetof(RASENTRYA, dwDialMode) == 1772);
static_assert(offsetof(RASENTRYA, dwDialExtraPercent) == 1776);
static_assert(offsetof(RASENTRYA, dwHangUpExtraSampleSeconds) == 1788);
static_assert(offsetof(RASENTRYA, dwIdleDisconnectSeconds) == 1792);
static_assert(offsetof(RASENTRYA, dwType) == 1796);
static_assert(offsetof(RASENTRYA, dwEncryptionType) == 1800);
static_assert(offsetof(RASENTRYA, guidId) == 1808);
static_assert(offsetof(RASENTRYA, szCustomDialDll) == 1824);
static_assert(offsetof(RASENTRYA, dwVpnStrategy) == 2084);
static_assert(offsetof(RASENTRYA, dwfOptions2) == 2088);
static_assert(offsetof(RASENTRYA, dwfOptions3) == 2092);
static_assert(offsetof(RASENTRYA, szDnsSuffix) == 2096);
static_assert(offsetof(RASENTRYA, dwTcpWindowSize) == 2352);
static_assert(offsetof(RASENTRYA, szPrerequisitePbk) == 2356);
static_assert(offsetof(RASENTRYA, szPrerequisiteEntry) == 2616);
static_assert(offsetof(RASENTRYA, dwRedialCount) == 2876);
static_assert(offsetof(RASENTRYA, dwRedialPause) == 2880);

static_assert(sizeof(RASDIALPARAMSA) == kRasDialParamsSize);
static_assert(offsetof(RASDIALPARAMSA, szEntryName) == 4);
static_assert(offsetof(RASDIALPARAMSA, szPhoneNumber) == 261);
static_assert(offsetof(RASDIALPARAMSA, szCallbackNumber) == 390);
static_assert(offsetof(RASDIALPARAMSA, szUserName) == 519);
static_assert(offsetof(RASDIALPARAMSA, szPassword) == 776);
static_assert(offsetof(RASDIALPARAMSA, szDomain) == 1033);

static_assert(sizeof(RASCONNSTATUSA) == kRasConnStatusSize);
static_assert(offsetof(RASCONNSTATUSA, dwError) == 8);
static_assert(offsetof(RASCONNSTATUSA, szDeviceType) == 12);
static_assert(offsetof(RASCONNSTATUSA, szDeviceName) == 29);

static_assert(sizeof(RASCREDENTIALSA) == kRasCredentialsSize);
static_assert(offsetof(RASCREDENTIALSA, dwMask) == 4);
static_assert(offsetof(RASCREDENTIALSA, szUserName) == 8);
static_assert(offsetof(RASCREDENTIALSA, szPassword) == 265);
static_assert(offsetof(RASCREDENTIALSA, szDomain) == 522);

// RASENTRYA option words and values the entry uses.
inline constexpr DWORD RASEO_RemoteDefaultGateway = 0x00000010;
inline constexpr DWORD RASEO_SwCompression = 0x00000200;
inline constexpr DWORD RASEO_SecureLocalFiles = 0x00010000;
inline constexpr DWORD RASEO_RequirePAP = 0x00040000;
inline constexpr DWORD RASEO_RequireSPAP = 0x00080000;
inline constexpr DWORD RASEO_PreviewUserPw = 0x01000000;
inline constexpr DWORD RASEO_ShowDialingProgress = 0x04000000;
inline constexpr DWORD RASEO_RequireCHAP = 0x08000000;
inline constexpr DWORD RASEO_RequireMsCHAP = 0x10000000;
inline constexpr DWORD RASEO_RequireMsCHAP2 = 0x20000000;
inline constexpr DWORD RASEO2_SecureFileAndPrint = 0x00000001;
inline constexpr DWORD RASEO2_SecureClientForMSNet = 0x00000002;
inline constexpr DWORD RASEO2_DontNegotiateMultilink = 0x00000004;
inline constexpr DWORD RASEO2_DontUseRasCredentials = 0x00000008;
inline constexpr DWORD RASEO2_Internet = 0x00000020;
inline constexpr DWORD RASEO2_DisableNbtOverIP = 0x00000040;
inline constexpr DWORD RASNP_Ip = 0x00000004;
inline constexpr DWORD RASFP_Ppp = 0x00000001;
inline constexpr DWORD RASEDM_DialAll = 1;
inline constexpr DWORD RASET_Vpn = 2;
inline constexpr DWORD ET_Optional = 3;
inline constexpr DWORD VS_Default = 0;

// RASCREDENTIALSA.dwMask bits.
inline constexpr DWORD RASCM_UserName = 0x00000001;
inline constexpr DWORD RASCM_Password = 0x00000002;
inline constexpr DWORD RASCM_Domain = 0x00000004;
inline constexpr DWORD RASCM_DefaultCreds = 0x00000008;

// RasConnectionNotificationA: signal the event when the connection ends.
inline constexpr DWORD RASCN_Disconnection = 0x00000002;

// Result and notification error codes (raserror.h numbers; named apart from its macros).
inline constexpr DWORD kErrorPortAlreadyOpen = 602;
inline constexpr DWORD kErrorBufferTooSmall = 603;
inline constexpr DWORD kErrorCannotOpenPhonebook = 621;
inline constexpr DWORD kErrorCannotFindPhonebookEntry = 623;
inline constexpr DWORD kErrorCannotWritePhonebook = 624;
inline constexpr DWORD kErrorRemoteDisconnection = 629;
inline constexpr DWORD kErrorInvalidSize = 632;
inline constexpr DWORD kErrorPortNotAvailable = 633;
inline constexpr DWORD kErrorNoAnswer = 678;
inline constexpr DWORD kErrorAuthenticationFailure = 691;
inline constexpr DWORD kErrorAutomaticVpnFailed = 800;
inline constexpr DWORD kErrorVpnTimeout = 809;
inline constexpr DWORD kErrorDnsNameNotResolvable = 868;

} // namespace ras

extern "C" {

DWORD WINAPI RasEnumConnectionsA(ras::RASCONNA* connections, LPDWORD bufferSize, LPDWORD count);
DWORD WINAPI RasHangUpA(ras::HRASCONN connection);
DWORD WINAPI RasSetEntryPropertiesA(LPCSTR phonebook, LPCSTR entryName, ras::RASENTRYA* entry, DWORD entrySize,
    LPBYTE deviceInfo, DWORD deviceInfoSize);
DWORD WINAPI RasSetCredentialsA(
    LPCSTR phonebook, LPCSTR entryName, ras::RASCREDENTIALSA* credentials, BOOL clearCredentials);
DWORD WINAPI RasDialA(ras::RASDIALEXTENSIONS* extensions, LPCSTR phonebook, ras::RASDIALPARAMSA* params,
    DWORD notifierType, LPVOID notifier, ras::HRASCONN* connection);
DWORD WINAPI RasGetErrorStringA(UINT error, LPSTR buffer, DWORD bufferSize);
DWORD WINAPI RasGetConnectStatusA(ras::HRASCONN connection, ras::RASCONNSTATUSA* status);
DWORD WINAPI RasConnectionNotificationA(ras::HRASCONN connection, HANDLE event, DWORD flags);

} // extern "C"
