// The Remote Access Service's structures and constants in the versions the program passes.
// The SDK's <ras.h> declares today's longer layouts; the service picks the version by dwSize,
// so the program declares the older ones itself. No function is declared here, so that the
// layout check can compare these with <ras.h> in one translation unit.
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
// Notifier type 1: the same with the connection's handle first and an extended error last.
using RASDIALFUNC1
    = void(WINAPI*)(HRASCONN connection, UINT message, RASCONNSTATE state, DWORD error, DWORD extendedError);
inline constexpr DWORD kNotifierType1 = 1;
inline constexpr UINT kWmRasDialEvent = 0xCCCD;

// Windows' <ras.h> packs its structures to 4 bytes: on x64 the connection record's handle sits
// at offset 4, not 8.
#pragma pack(push, 4)

struct RASIPADDR {
    BYTE a, b, c, d;
};

// Connection record, the first layout (RASCONNA: dwSize 412 in a 32-bit process).
template <typename Char> struct RasConn {
    DWORD dwSize;
    HRASCONN hrasconn;
    Char szEntryName[kMaxEntryName + 1];
    Char szDeviceType[kMaxDeviceType + 1];
    Char szDeviceName[kMaxDeviceName + 1];
};

// Phonebook entry, the Windows XP layout (RASENTRYA: dwSize 2884).
template <typename Char> struct RasEntry {
    DWORD dwSize;
    DWORD dwfOptions;
    DWORD dwCountryID;
    DWORD dwCountryCode;
    Char szAreaCode[kMaxAreaCode + 1];
    Char szLocalPhoneNumber[kMaxPhoneNumber + 1];
    DWORD dwAlternateOffset;
    RASIPADDR ipaddr;
    RASIPADDR ipaddrDns;
    RASIPADDR ipaddrDnsAlt;
    RASIPADDR ipaddrWins;
    RASIPADDR ipaddrWinsAlt;
    DWORD dwFrameSize;
    DWORD dwfNetProtocols;
    DWORD dwFramingProtocol;
    Char szScript[kMaxPath];
    Char szAutodialDll[kMaxPath];
    Char szAutodialFunc[kMaxPath];
    Char szDeviceType[kMaxDeviceType + 1];
    Char szDeviceName[kMaxDeviceName + 1];
    Char szX25PadType[kMaxPadType + 1];
    Char szX25Address[kMaxX25Address + 1];
    Char szX25Facilities[kMaxFacilities + 1];
    Char szX25UserData[kMaxUserData + 1];
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
    Char szCustomDialDll[kMaxPath];
    DWORD dwVpnStrategy;
    DWORD dwfOptions2;
    DWORD dwfOptions3;
    Char szDnsSuffix[kMaxDnsSuffix];
    DWORD dwTcpWindowSize;
    Char szPrerequisitePbk[kMaxPath];
    Char szPrerequisiteEntry[kMaxEntryName + 1];
    DWORD dwRedialCount;
    DWORD dwRedialPause;
};

// Dial parameters, the shortest layout (RASDIALPARAMSA: dwSize 1052; no dwSubEntry, no dwCallbackId).
template <typename Char> struct RasDialParams {
    DWORD dwSize;
    Char szEntryName[kMaxEntryName + 1];
    Char szPhoneNumber[kMaxPhoneNumber + 1];
    Char szCallbackNumber[kMaxCallbackNumber + 1];
    Char szUserName[kMaxUserName + 1];
    Char szPassword[kMaxPassword + 1];
    Char szDomain[kMaxDomain + 1];
};

template <typename Char> struct RasCredentials {
    DWORD dwSize;
    DWORD dwMask;
    Char szUserName[kMaxUserName + 1];
    Char szPassword[kMaxPassword + 1];
    Char szDomain[kMaxDomain + 1];
};

// Connection status, the first layout (RASCONNSTATUSA: dwSize 160; no szPhoneNumber).
template <typename Char> struct RasConnStatus {
    DWORD dwSize;
    RASCONNSTATE rasconnstate;
    DWORD dwError;
    Char szDeviceType[kMaxDeviceType + 1];
    Char szDeviceName[kMaxDeviceName + 1];
};

// The next layouts RAS also takes, only their sizes used: the dial parameters with dwSubEntry and
// the pointer-sized dwCallbackId, the status with szPhoneNumber.
template <typename Char> struct RasDialParamsWithSubEntry {
    RasDialParams<Char> first;
    DWORD dwSubEntry;
    ULONG_PTR dwCallbackId;
};
template <typename Char> struct RasConnStatusWithPhoneNumber {
    DWORD dwSize;
    RASCONNSTATE rasconnstate;
    DWORD dwError;
    Char szDeviceType[kMaxDeviceType + 1];
    Char szDeviceName[kMaxDeviceName + 1];
    Char szPhoneNumber[kMaxPhoneNumber + 1];
};

// A connection's counters since it was connected (RasGetConnectionStatistics); no text, one layout.
struct RAS_STATS {
    DWORD dwSize;
    DWORD dwBytesXmited;
    DWORD dwBytesRcved;
    DWORD dwFramesXmited;
    DWORD dwFramesRcved;
    DWORD dwCrcErr;
    DWORD dwTimeoutErr;
    DWORD dwAlignmentErr;
    DWORD dwHardwareOverrunErr;
    DWORD dwFramingErr;
    DWORD dwBufferOverrunErr;
    DWORD dwCompressionRatioIn;
    DWORD dwCompressionRatioOut;
    DWORD dwBps;
    DWORD dwConnectDuration; // milliseconds
};

// The ANSI layouts (CHAR texts) and the wide ones (WCHAR texts) the program passes.
using RASCONNA = RasConn<CHAR>;
using RASCONNW = RasConn<WCHAR>;
using RASENTRYA = RasEntry<CHAR>;
using RASENTRYW = RasEntry<WCHAR>;
using RASDIALPARAMSA = RasDialParams<CHAR>;
using RASDIALPARAMSW = RasDialParams<WCHAR>;
using RASCREDENTIALSA = RasCredentials<CHAR>;
using RASCREDENTIALSW = RasCredentials<WCHAR>;
using RASCONNSTATUSA = RasConnStatus<CHAR>;
using RASCONNSTATUSW = RasConnStatus<WCHAR>;

#pragma pack(pop)

// Only ever passed as a null pointer.
struct RASDIALEXTENSIONS;

// The dwSize of each layout is its size on the architecture built for: the connection record holds
// a handle, so it differs between 32-bit (412) and 64-bit builds. platform/ras_layout_check.cpp
// checks every member against MinGW-w64's <ras.h>, an independent description of Windows' layouts.
template <typename Char> inline constexpr DWORD kRasConnSizeOf = sizeof(RasConn<Char>);
template <typename Char> inline constexpr DWORD kRasEntrySizeOf = sizeof(RasEntry<Char>);
template <typename Char> inline constexpr DWORD kRasDialParamsSizeOf = sizeof(RasDialParams<Char>);
template <typename Char> inline constexpr DWORD kRasCredentialsSizeOf = sizeof(RasCredentials<Char>);
template <typename Char> inline constexpr DWORD kRasConnStatusSizeOf = sizeof(RasConnStatus<Char>);
// The next layouts RAS also takes.
template <typename Char>
inline constexpr DWORD kRasDialParamsWithSubEntrySizeOf = sizeof(RasDialParamsWithSubEntry<Char>);
template <typename Char>
inline constexpr DWORD kRasConnStatusWithPhoneNumberSizeOf = sizeof(RasConnStatusWithPhoneNumber<Char>);

inline constexpr DWORD kRasStatsSize = sizeof(RAS_STATS);

inline constexpr DWORD kRasConnSize = kRasConnSizeOf<CHAR>;
inline constexpr DWORD kRasEntrySize = kRasEntrySizeOf<CHAR>;
inline constexpr DWORD kRasDialParamsSize = kRasDialParamsSizeOf<CHAR>;
inline constexpr DWORD kRasCredentialsSize = kRasCredentialsSizeOf<CHAR>;
inline constexpr DWORD kRasConnStatusSize = kRasConnStatusSizeOf<CHAR>;
inline constexpr DWORD kRasDialParamsWithSubEntrySize = kRasDialParamsWithSubEntrySizeOf<CHAR>;
inline constexpr DWORD kRasConnStatusWithPhoneNumberSize = kRasConnStatusWithPhoneNumberSizeOf<CHAR>;

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
inline constexpr DWORD kErrorNoConnection = 668;
inline constexpr DWORD kErrorNoAnswer = 678;
inline constexpr DWORD kErrorAuthenticationFailure = 691;
inline constexpr DWORD kErrorAutomaticVpnFailed = 800;
inline constexpr DWORD kErrorVpnTimeout = 809;
inline constexpr DWORD kErrorDnsNameNotResolvable = 868;

} // namespace ras
