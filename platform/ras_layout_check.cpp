// Compile-time check of the RAS layouts the program declares, on the architecture being built,
// against MinGW-w64's <ras.h>: an independent description of Windows' layouts and packing, so a
// wrong member, size or padding fails the build rather than a dial on a player's machine.
// Our declarations come first: <ras.h> defines its structure names as macros.
#include "platform/ras_types.h"

namespace {
using OurConnA = ras::RASCONNA;
using OurEntryA = ras::RASENTRYA;
using OurDialParamsA = ras::RASDIALPARAMSA;
using OurCredentialsA = ras::RASCREDENTIALSA;
using OurConnStatusA = ras::RASCONNSTATUSA;
using OurConnW = ras::RASCONNW;
using OurEntryW = ras::RASENTRYW;
using OurDialParamsW = ras::RASDIALPARAMSW;
using OurCredentialsW = ras::RASCREDENTIALSW;
using OurConnStatusW = ras::RASCONNSTATUSW;
using OurHandle = ras::HRASCONN;
using OurState = ras::RASCONNSTATE;
using OurStats = ras::RAS_STATS;
template <typename Char> constexpr DWORD kOurDialParamsWithSubEntrySize = ras::kRasDialParamsWithSubEntrySizeOf<Char>;
template <typename Char>
constexpr DWORD kOurConnStatusWithPhoneNumberSize = ras::kRasConnStatusWithPhoneNumberSizeOf<Char>;
} // namespace

#include <ras.h>

namespace {

using TheirConnA = RASCONNA;
using TheirEntryA = RASENTRYA;
using TheirDialParamsA = RASDIALPARAMSA;
using TheirCredentialsA = RASCREDENTIALSA;
using TheirConnStatusA = RASCONNSTATUSA;
using TheirConnW = RASCONNW;
using TheirEntryW = RASENTRYW;
using TheirDialParamsW = RASDIALPARAMSW;
using TheirCredentialsW = RASCREDENTIALSW;
using TheirConnStatusW = RASCONNSTATUSW;
using TheirState = RASCONNSTATE;
using TheirStats = RAS_STATS;

// A type's size; handles are pointers, and their size is the point here.
template <typename T> constexpr std::size_t SizeOf = sizeof(T);

// Where a member of theirs starts: a layout we declare must end there, the padding aside.
template <typename Ours> constexpr std::size_t PaddedTo(std::size_t end)
{
    return (end + alignof(Ours) - 1) / alignof(Ours) * alignof(Ours);
}

} // namespace

// Same offset and same size as the member of the same name in <ras.h>.
#define SORVIK_SAME_MEMBER(Ours, Theirs, member)                                                                       \
    static_assert(offsetof(Ours, member) == offsetof(Theirs, member), #Ours "::" #member ": offset");                  \
    static_assert(SizeOf<decltype(Ours::member)> == SizeOf<decltype(Theirs::member)>, #Ours "::" #member ": size")

static_assert(SizeOf<OurHandle> == SizeOf<HRASCONN>);
static_assert(sizeof(OurState) == sizeof(TheirState));
static_assert(int{ras::RASCS_Authenticate} == int{RASCS_Authenticate} && int{ras::RASCS_AuthAck} == int{RASCS_AuthAck}
    && int{ras::RASCS_Authenticated} == int{RASCS_Authenticated}
    && int{ras::RASCS_LogonNetwork} == int{RASCS_LogonNetwork} && int{ras::RASCS_Interactive} == int{RASCS_Interactive}
    && int{ras::RASCS_PasswordExpired} == int{RASCS_PasswordExpired}
    && int{ras::RASCS_Connected} == int{RASCS_Connected} && int{ras::RASCS_Disconnected} == int{RASCS_Disconnected});

// Every layout of one character width: X is A (CHAR texts) or W (WCHAR texts).
#define SORVIK_SAME_LAYOUTS(X)                                                                                         \
    SORVIK_SAME_MEMBER(OurConn##X, TheirConn##X, dwSize);                                                              \
    SORVIK_SAME_MEMBER(OurConn##X, TheirConn##X, hrasconn);                                                            \
    SORVIK_SAME_MEMBER(OurConn##X, TheirConn##X, szEntryName);                                                         \
    SORVIK_SAME_MEMBER(OurConn##X, TheirConn##X, szDeviceType);                                                        \
    SORVIK_SAME_MEMBER(OurConn##X, TheirConn##X, szDeviceName);                                                        \
    static_assert(sizeof(OurConn##X) == PaddedTo<OurConn##X>(offsetof(TheirConn##X, szPhonebook)));                    \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, dwSize);                                                            \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, dwfOptions);                                                        \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, dwCountryID);                                                       \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, dwCountryCode);                                                     \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, szAreaCode);                                                        \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, szLocalPhoneNumber);                                                \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, dwAlternateOffset);                                                 \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, ipaddr);                                                            \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, ipaddrDns);                                                         \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, ipaddrDnsAlt);                                                      \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, ipaddrWins);                                                        \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, ipaddrWinsAlt);                                                     \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, dwFrameSize);                                                       \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, dwfNetProtocols);                                                   \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, dwFramingProtocol);                                                 \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, szScript);                                                          \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, szAutodialDll);                                                     \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, szAutodialFunc);                                                    \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, szDeviceType);                                                      \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, szDeviceName);                                                      \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, szX25PadType);                                                      \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, szX25Address);                                                      \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, szX25Facilities);                                                   \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, szX25UserData);                                                     \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, dwChannels);                                                        \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, dwReserved1);                                                       \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, dwReserved2);                                                       \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, dwSubEntries);                                                      \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, dwDialMode);                                                        \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, dwDialExtraPercent);                                                \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, dwDialExtraSampleSeconds);                                          \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, dwHangUpExtraPercent);                                              \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, dwHangUpExtraSampleSeconds);                                        \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, dwIdleDisconnectSeconds);                                           \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, dwType);                                                            \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, dwEncryptionType);                                                  \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, dwCustomAuthKey);                                                   \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, guidId);                                                            \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, szCustomDialDll);                                                   \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, dwVpnStrategy);                                                     \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, dwfOptions2);                                                       \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, dwfOptions3);                                                       \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, szDnsSuffix);                                                       \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, dwTcpWindowSize);                                                   \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, szPrerequisitePbk);                                                 \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, szPrerequisiteEntry);                                               \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, dwRedialCount);                                                     \
    SORVIK_SAME_MEMBER(OurEntry##X, TheirEntry##X, dwRedialPause);                                                     \
    static_assert(sizeof(OurEntry##X) == sizeof(TheirEntry##X));                                                       \
    SORVIK_SAME_MEMBER(OurDialParams##X, TheirDialParams##X, dwSize);                                                  \
    SORVIK_SAME_MEMBER(OurDialParams##X, TheirDialParams##X, szEntryName);                                             \
    SORVIK_SAME_MEMBER(OurDialParams##X, TheirDialParams##X, szPhoneNumber);                                           \
    SORVIK_SAME_MEMBER(OurDialParams##X, TheirDialParams##X, szCallbackNumber);                                        \
    SORVIK_SAME_MEMBER(OurDialParams##X, TheirDialParams##X, szUserName);                                              \
    SORVIK_SAME_MEMBER(OurDialParams##X, TheirDialParams##X, szPassword);                                              \
    SORVIK_SAME_MEMBER(OurDialParams##X, TheirDialParams##X, szDomain);                                                \
    static_assert(sizeof(OurDialParams##X) == PaddedTo<OurDialParams##X>(offsetof(TheirDialParams##X, dwSubEntry)));   \
    static_assert(                                                                                                     \
        kOurDialParamsWithSubEntrySize<                                                                                \
            Char##X> == PaddedTo<OurDialParams##X>(offsetof(TheirDialParams##X, dwCallbackId) + sizeof(ULONG_PTR)));   \
    SORVIK_SAME_MEMBER(OurCredentials##X, TheirCredentials##X, dwSize);                                                \
    SORVIK_SAME_MEMBER(OurCredentials##X, TheirCredentials##X, dwMask);                                                \
    SORVIK_SAME_MEMBER(OurCredentials##X, TheirCredentials##X, szUserName);                                            \
    SORVIK_SAME_MEMBER(OurCredentials##X, TheirCredentials##X, szPassword);                                            \
    SORVIK_SAME_MEMBER(OurCredentials##X, TheirCredentials##X, szDomain);                                              \
    static_assert(sizeof(OurCredentials##X) == sizeof(TheirCredentials##X));                                           \
    SORVIK_SAME_MEMBER(OurConnStatus##X, TheirConnStatus##X, dwSize);                                                  \
    SORVIK_SAME_MEMBER(OurConnStatus##X, TheirConnStatus##X, rasconnstate);                                            \
    SORVIK_SAME_MEMBER(OurConnStatus##X, TheirConnStatus##X, dwError);                                                 \
    SORVIK_SAME_MEMBER(OurConnStatus##X, TheirConnStatus##X, szDeviceType);                                            \
    SORVIK_SAME_MEMBER(OurConnStatus##X, TheirConnStatus##X, szDeviceName);                                            \
    static_assert(                                                                                                     \
        sizeof(OurConnStatus##X) == PaddedTo<OurConnStatus##X>(offsetof(TheirConnStatus##X, szPhoneNumber)));          \
    static_assert(kOurConnStatusWithPhoneNumberSize<Char##X> == sizeof(TheirConnStatus##X))

SORVIK_SAME_MEMBER(OurStats, TheirStats, dwSize);
SORVIK_SAME_MEMBER(OurStats, TheirStats, dwBytesXmited);
SORVIK_SAME_MEMBER(OurStats, TheirStats, dwBytesRcved);
SORVIK_SAME_MEMBER(OurStats, TheirStats, dwFramesXmited);
SORVIK_SAME_MEMBER(OurStats, TheirStats, dwFramesRcved);
SORVIK_SAME_MEMBER(OurStats, TheirStats, dwCrcErr);
SORVIK_SAME_MEMBER(OurStats, TheirStats, dwTimeoutErr);
SORVIK_SAME_MEMBER(OurStats, TheirStats, dwAlignmentErr);
SORVIK_SAME_MEMBER(OurStats, TheirStats, dwHardwareOverrunErr);
SORVIK_SAME_MEMBER(OurStats, TheirStats, dwFramingErr);
SORVIK_SAME_MEMBER(OurStats, TheirStats, dwBufferOverrunErr);
SORVIK_SAME_MEMBER(OurStats, TheirStats, dwCompressionRatioIn);
SORVIK_SAME_MEMBER(OurStats, TheirStats, dwCompressionRatioOut);
SORVIK_SAME_MEMBER(OurStats, TheirStats, dwBps);
SORVIK_SAME_MEMBER(OurStats, TheirStats, dwConnectDuration);
static_assert(sizeof(OurStats) == sizeof(TheirStats) && sizeof(OurStats) == 60);

using CharA = CHAR;
using CharW = WCHAR;
SORVIK_SAME_LAYOUTS(A);
SORVIK_SAME_LAYOUTS(W);

#ifndef _WIN64
// The sizes a 32-bit process passes, as the service's older callers know them.
static_assert(sizeof(OurConnA) == 412 && sizeof(OurEntryA) == 2884 && sizeof(OurDialParamsA) == 1052
    && sizeof(OurCredentialsA) == 540 && sizeof(OurConnStatusA) == 160);
#endif
