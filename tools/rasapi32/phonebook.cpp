#include "phonebook.h"

#include <cstdio>
#include <vector>

#include "ini_sections.h"
#include "ledger.h"
#include "platform/ras_api.h"
#include "struct_fields.h"

namespace standin {
namespace {

std::string Address(const ras::RASIPADDR& a)
{
    char text[16];
    if (std::snprintf(text, sizeof text, "%u.%u.%u.%u", a.a, a.b, a.c, a.d) < 0) {
        return {};
    }
    return text;
}

std::string GuidText(const GUID& g)
{
    char text[40];
    if (std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
            static_cast<unsigned long>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3],
            g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7])
        < 0) {
        return {};
    }
    return text;
}

// Every field of the entry under a key of its own, numbers and option words as given; then the
// media and device blocks the system phonebook has.
template <typename Char> std::vector<std::string> EntryLines(const ras::RasEntry<Char>& e)
{
    auto number = [](DWORD v) { return std::to_string(v); };
    return {
        IniLine("Type", number(e.dwType)),
        IniLine("VpnStrategy", number(e.dwVpnStrategy)),
        IniLine("dwfOptions", HexWord(e.dwfOptions)),
        IniLine("dwfOptions2", HexWord(e.dwfOptions2)),
        IniLine("dwfOptions3", HexWord(e.dwfOptions3)),
        IniLine("NetProtocols", number(e.dwfNetProtocols)),
        IniLine("FramingProtocol", number(e.dwFramingProtocol)),
        IniLine("FrameSize", number(e.dwFrameSize)),
        IniLine("EncryptionType", number(e.dwEncryptionType)),
        IniLine("CustomAuthKey", number(e.dwCustomAuthKey)),
        IniLine("Channels", number(e.dwChannels)),
        IniLine("SubEntries", number(e.dwSubEntries)),
        IniLine("DialMode", number(e.dwDialMode)),
        IniLine("DialExtraPercent", number(e.dwDialExtraPercent)),
        IniLine("DialExtraSampleSeconds", number(e.dwDialExtraSampleSeconds)),
        IniLine("HangUpExtraPercent", number(e.dwHangUpExtraPercent)),
        IniLine("HangUpExtraSampleSeconds", number(e.dwHangUpExtraSampleSeconds)),
        IniLine("IdleDisconnectSeconds", number(e.dwIdleDisconnectSeconds)),
        IniLine("RedialCount", number(e.dwRedialCount)),
        IniLine("RedialPause", number(e.dwRedialPause)),
        IniLine("TcpWindowSize", number(e.dwTcpWindowSize)),
        IniLine("IpAddress", Address(e.ipaddr)),
        IniLine("IpDnsAddress", Address(e.ipaddrDns)),
        IniLine("IpDns2Address", Address(e.ipaddrDnsAlt)),
        IniLine("IpWinsAddress", Address(e.ipaddrWins)),
        IniLine("IpWins2Address", Address(e.ipaddrWinsAlt)),
        IniLine("Guid", GuidText(e.guidId)),
        IniLine("Script", FieldText(e.szScript)),
        IniLine("AutodialDll", FieldText(e.szAutodialDll)),
        IniLine("AutodialFunc", FieldText(e.szAutodialFunc)),
        IniLine("CustomDialDll", FieldText(e.szCustomDialDll)),
        IniLine("DnsSuffix", FieldText(e.szDnsSuffix)),
        IniLine("PrerequisitePbk", FieldText(e.szPrerequisitePbk)),
        IniLine("PrerequisiteEntry", FieldText(e.szPrerequisiteEntry)),
        IniLine("X25PadType", FieldText(e.szX25PadType)),
        IniLine("X25Address", FieldText(e.szX25Address)),
        IniLine("X25Facilities", FieldText(e.szX25Facilities)),
        IniLine("X25UserData", FieldText(e.szX25UserData)),
        IniLine("DeviceType", FieldText(e.szDeviceType)),
        IniLine("DeviceName", FieldText(e.szDeviceName)),
        "",
        "MEDIA=rastapi",
        IniLine("Device", FieldText(e.szDeviceName)),
        "",
        IniLine("DEVICE", FieldText(e.szDeviceType)),
        IniLine("PhoneNumber", FieldText(e.szLocalPhoneNumber)),
        IniLine("AreaCode", FieldText(e.szAreaCode)),
        IniLine("CountryCode", number(e.dwCountryCode)),
        IniLine("CountryID", number(e.dwCountryID)),
    };
}

} // namespace

DWORD CheckEntryName(const std::string& text)
{
    // The name becomes a section header: one line, no brackets.
    if (text.empty() || platform::WidenUtf8(text).size() > ras::kMaxEntryName || !IsOneLineText(text)
        || text.find_first_of("[]") != std::string::npos) {
        return ERROR_INVALID_NAME;
    }
    return 0;
}

std::optional<DialEntry> ReadDialEntry(const std::string& phonebook, const std::string& name)
{
    const std::optional<IniSection> section = ReadIniSection(phonebook, name);
    if (!section) {
        return std::nullopt;
    }
    return DialEntry{FindIniValue(*section, "PhoneNumber"), FindIniValue(*section, "DeviceType"),
        FindIniValue(*section, "DeviceName")};
}

bool EntryExists(const std::string& phonebook, const std::string& name)
{
    return ReadIniSection(phonebook, name).has_value();
}

namespace {

template <typename Char>
DWORD SetEntryProperties(const Char* phonebook, const Char* entryName, ras::RasEntry<Char>* entry, DWORD entrySize)
{
    const std::string function = ApiName<Char>("RasSetEntryProperties");
    // No system phonebook here: the caller names its file.
    if (!phonebook || !*phonebook) {
        return ras::kErrorCannotOpenPhonebook;
    }
    if (!entry) {
        return ERROR_INVALID_PARAMETER;
    }
    if (const DWORD bad = CheckEntryName(entryName)) {
        return bad;
    }
    if (!SizeAccepted(function, entry->dwSize, {ras::kRasEntrySizeOf<Char>})) {
        return ras::kErrorInvalidSize;
    }
    if (entrySize < entry->dwSize) {
        RecordMisuse(function + ": dwEntryInfoSize " + std::to_string(entrySize) + " below dwSize");
        return ras::kErrorInvalidSize;
    }
    const std::vector<std::string> lines = EntryLines(*entry);
    for (const std::string& line : lines) {
        if (!IsOneLineText(line)) {
            return ERROR_INVALID_PARAMETER;
        }
    }
    return ReplaceIniSection(ArgumentText(phonebook), ArgumentText(entryName), lines) ? 0
                                                                                      : ras::kErrorCannotWritePhonebook;
}

} // namespace
} // namespace standin

extern "C" DWORD WINAPI RasSetEntryPropertiesA(LPCSTR phonebook, LPCSTR entryName, ras::RASENTRYA* entry,
    DWORD entrySize, LPBYTE /*deviceInfo*/, DWORD /*deviceInfoSize*/)
{
    return standin::NoThrow([&] { return standin::SetEntryProperties(phonebook, entryName, entry, entrySize); });
}

extern "C" DWORD WINAPI RasSetEntryPropertiesW(LPCWSTR phonebook, LPCWSTR entryName, ras::RASENTRYW* entry,
    DWORD entrySize, LPBYTE /*deviceInfo*/, DWORD /*deviceInfoSize*/)
{
    return standin::NoThrow([&] { return standin::SetEntryProperties(phonebook, entryName, entry, entrySize); });
}
