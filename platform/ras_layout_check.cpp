// Compile-time check of the RAS layouts the program declares, on the architecture being built,
// against MinGW-w64's <ras.h>: an independent description of Windows' layouts and packing, so a
// wrong member, size or padding fails the build rather than a dial on a player's machine.
// Our declarations come first: <ras.h> defines its structure names as macros.
#include "platform/ras_types.h"

namespace {
using OurConn = ras::RASCONNA;
using OurEntry = ras::RASENTRYA;
using OurDialParams = ras::RASDIALPARAMSA;
using OurCredentials = ras::RASCREDENTIALSA;
using OurConnStatus = ras::RASCONNSTATUSA;
using OurHandle = ras::HRASCONN;
using OurState = ras::RASCONNSTATE;
} // namespace

#include <ras.h>

namespace {

using TheirConn = RASCONNA;
using TheirEntry = RASENTRYA;
using TheirDialParams = RASDIALPARAMSA;
using TheirCredentials = RASCREDENTIALSA;
using TheirConnStatus = RASCONNSTATUSA;
using TheirState = RASCONNSTATE;

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

SORVIK_SAME_MEMBER(OurConn, TheirConn, dwSize);
SORVIK_SAME_MEMBER(OurConn, TheirConn, hrasconn);
SORVIK_SAME_MEMBER(OurConn, TheirConn, szEntryName);
SORVIK_SAME_MEMBER(OurConn, TheirConn, szDeviceType);
SORVIK_SAME_MEMBER(OurConn, TheirConn, szDeviceName);
static_assert(sizeof(OurConn) == PaddedTo<OurConn>(offsetof(TheirConn, szPhonebook)));

SORVIK_SAME_MEMBER(OurEntry, TheirEntry, dwSize);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, dwfOptions);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, dwCountryID);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, dwCountryCode);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, szAreaCode);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, szLocalPhoneNumber);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, dwAlternateOffset);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, ipaddr);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, ipaddrDns);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, ipaddrDnsAlt);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, ipaddrWins);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, ipaddrWinsAlt);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, dwFrameSize);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, dwfNetProtocols);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, dwFramingProtocol);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, szScript);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, szAutodialDll);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, szAutodialFunc);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, szDeviceType);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, szDeviceName);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, szX25PadType);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, szX25Address);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, szX25Facilities);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, szX25UserData);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, dwChannels);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, dwReserved1);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, dwReserved2);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, dwSubEntries);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, dwDialMode);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, dwDialExtraPercent);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, dwDialExtraSampleSeconds);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, dwHangUpExtraPercent);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, dwHangUpExtraSampleSeconds);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, dwIdleDisconnectSeconds);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, dwType);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, dwEncryptionType);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, dwCustomAuthKey);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, guidId);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, szCustomDialDll);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, dwVpnStrategy);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, dwfOptions2);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, dwfOptions3);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, szDnsSuffix);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, dwTcpWindowSize);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, szPrerequisitePbk);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, szPrerequisiteEntry);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, dwRedialCount);
SORVIK_SAME_MEMBER(OurEntry, TheirEntry, dwRedialPause);
static_assert(sizeof(OurEntry) == sizeof(TheirEntry));

SORVIK_SAME_MEMBER(OurDialParams, TheirDialParams, dwSize);
SORVIK_SAME_MEMBER(OurDialParams, TheirDialParams, szEntryName);
SORVIK_SAME_MEMBER(OurDialParams, TheirDialParams, szPhoneNumber);
SORVIK_SAME_MEMBER(OurDialParams, TheirDialParams, szCallbackNumber);
SORVIK_SAME_MEMBER(OurDialParams, TheirDialParams, szUserName);
SORVIK_SAME_MEMBER(OurDialParams, TheirDialParams, szPassword);
SORVIK_SAME_MEMBER(OurDialParams, TheirDialParams, szDomain);
static_assert(sizeof(OurDialParams) == PaddedTo<OurDialParams>(offsetof(TheirDialParams, dwSubEntry)));
// The next layout ends with the pointer-sized dwCallbackId.
static_assert(ras::kRasDialParamsWithSubEntrySize
    == (offsetof(TheirDialParams, dwCallbackId) + sizeof(ULONG_PTR) + alignof(ULONG_PTR) - 1) / alignof(ULONG_PTR)
        * alignof(ULONG_PTR));

SORVIK_SAME_MEMBER(OurCredentials, TheirCredentials, dwSize);
SORVIK_SAME_MEMBER(OurCredentials, TheirCredentials, dwMask);
SORVIK_SAME_MEMBER(OurCredentials, TheirCredentials, szUserName);
SORVIK_SAME_MEMBER(OurCredentials, TheirCredentials, szPassword);
SORVIK_SAME_MEMBER(OurCredentials, TheirCredentials, szDomain);
static_assert(sizeof(OurCredentials) == sizeof(TheirCredentials));

SORVIK_SAME_MEMBER(OurConnStatus, TheirConnStatus, dwSize);
SORVIK_SAME_MEMBER(OurConnStatus, TheirConnStatus, rasconnstate);
SORVIK_SAME_MEMBER(OurConnStatus, TheirConnStatus, dwError);
SORVIK_SAME_MEMBER(OurConnStatus, TheirConnStatus, szDeviceType);
SORVIK_SAME_MEMBER(OurConnStatus, TheirConnStatus, szDeviceName);
static_assert(sizeof(OurConnStatus) == PaddedTo<OurConnStatus>(offsetof(TheirConnStatus, szPhoneNumber)));
static_assert(ras::kRasConnStatusWithPhoneNumberSize == sizeof(TheirConnStatus));

#ifndef _WIN64
// The sizes a 32-bit process passes, as the service's older callers know them.
static_assert(sizeof(OurConn) == 412 && sizeof(OurEntry) == 2884 && sizeof(OurDialParams) == 1052
    && sizeof(OurCredentials) == 540 && sizeof(OurConnStatus) == 160);
#endif
