#include "credentials.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "ini_sections.h"
#include "ledger.h"
#include "phonebook.h"
#include "struct_fields.h"

namespace standin {
namespace {

constexpr DWORD kTextMask = ras::RASCM_UserName | ras::RASCM_Password | ras::RASCM_Domain;
constexpr DWORD kKnownMask = kTextMask | ras::RASCM_DefaultCreds;

std::string CredentialFile(const std::string& phonebook) { return phonebook + ".cred"; }

// Not encryption: it only keeps the texts from being read at a glance.
unsigned char KeyByte(size_t i) { return static_cast<unsigned char>(0x5A ^ (i * 37 + 11)); }

std::string Obfuscate(const std::string& text)
{
    std::string hex;
    for (size_t i = 0; i < text.size(); ++i) {
        char pair[3];
        if (std::snprintf(pair, sizeof pair, "%02X", static_cast<unsigned char>(text[i]) ^ KeyByte(i)) < 0) {
            return {};
        }
        hex += pair;
    }
    return hex;
}

std::string Reveal(const std::string& hex)
{
    std::string text;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        const unsigned long byte = std::strtoul(hex.substr(i, 2).c_str(), nullptr, 16);
        text += static_cast<char>(static_cast<unsigned char>(byte) ^ KeyByte(i / 2));
    }
    return text;
}

struct Stored {
    DWORD mask = 0;
    std::string userName;
    std::string password;
    std::string domain;
};

Stored ReadStored(const std::string& phonebook, const std::string& entry)
{
    Stored s;
    if (const std::optional<IniSection> section = ReadIniSection(CredentialFile(phonebook), entry)) {
        s.mask = std::strtoul(FindIniValue(*section, "Mask").c_str(), nullptr, 0) & kKnownMask;
        s.userName = Reveal(FindIniValue(*section, "UserName"));
        s.password = Reveal(FindIniValue(*section, "Password"));
        s.domain = Reveal(FindIniValue(*section, "Domain"));
    }
    return s;
}

// The checks both calls share; 0 when the call may go on.
template <typename Char>
DWORD CheckCall(const Char* phonebook, const Char* entryName, const ras::RasCredentials<Char>* credentials)
{
    if (!phonebook || !*phonebook) {
        return ras::kErrorCannotOpenPhonebook;
    }
    if (!credentials) {
        return ERROR_INVALID_PARAMETER;
    }
    if (const DWORD bad = CheckEntryName(entryName)) {
        return bad;
    }
    if (!SizeAccepted(ApiName<Char>("RasSetCredentials"), credentials->dwSize, {ras::kRasCredentialsSizeOf<Char>})) {
        return ras::kErrorInvalidSize;
    }
    return EntryExists(ArgumentText(phonebook), ArgumentText(entryName)) ? 0 : ras::kErrorCannotFindPhonebookEntry;
}

template <typename Char>
DWORD SetCredentials(const Char* phonebookArgument, const Char* entryArgument, ras::RasCredentials<Char>* credentials,
    BOOL clearCredentials)
{
    if (const DWORD bad = CheckCall(phonebookArgument, entryArgument, credentials)) {
        return bad;
    }
    const std::string phonebook = ArgumentText(phonebookArgument);
    const std::string entryName = ArgumentText(entryArgument);
    // Only the texts the mask names change; clearing empties them.
    Stored s = ReadStored(phonebook, entryName);
    const DWORD mask = credentials->dwMask & kKnownMask;
    auto take = [&](DWORD bit, std::string& stored, const std::string& given) {
        if (mask & bit) {
            stored = clearCredentials ? std::string() : given;
        }
    };
    take(ras::RASCM_UserName, s.userName, FieldText(credentials->szUserName));
    take(ras::RASCM_Password, s.password, FieldText(credentials->szPassword));
    take(ras::RASCM_Domain, s.domain, FieldText(credentials->szDomain));
    s.mask = clearCredentials ? (s.mask & ~mask) : (s.mask | mask);

    const bool written = ReplaceIniSection(CredentialFile(phonebook), entryName,
        {IniLine("Mask", HexWord(s.mask)), IniLine("UserName", Obfuscate(s.userName)),
            IniLine("Password", Obfuscate(s.password)), IniLine("Domain", Obfuscate(s.domain))});
    return written ? 0 : ras::kErrorCannotWritePhonebook;
}

template <typename Char>
DWORD GetCredentials(const Char* phonebook, const Char* entryName, ras::RasCredentials<Char>* credentials)
{
    if (const DWORD bad = CheckCall(phonebook, entryName, credentials)) {
        return bad;
    }
    const Stored s = ReadStored(ArgumentText(phonebook), ArgumentText(entryName));
    const DWORD mask = credentials->dwMask & s.mask;
    CopyField(credentials->szUserName, (mask & ras::RASCM_UserName) ? s.userName : std::string());
    CopyField(credentials->szPassword, (mask & ras::RASCM_Password) ? s.password : std::string());
    CopyField(credentials->szDomain, (mask & ras::RASCM_Domain) ? s.domain : std::string());
    credentials->dwMask = mask;
    return 0;
}

} // namespace
} // namespace standin

extern "C" DWORD WINAPI RasSetCredentialsA(
    LPCSTR phonebook, LPCSTR entryName, ras::RASCREDENTIALSA* credentials, BOOL clearCredentials)
{
    return standin::NoThrow(
        [&] { return standin::SetCredentials(phonebook, entryName, credentials, clearCredentials); });
}

extern "C" DWORD WINAPI RasGetCredentialsA(LPCSTR phonebook, LPCSTR entryName, ras::RASCREDENTIALSA* credentials)
{
    return standin::NoThrow([&] { return standin::GetCredentials(phonebook, entryName, credentials); });
}

extern "C" DWORD WINAPI RasSetCredentialsW(
    LPCWSTR phonebook, LPCWSTR entryName, ras::RASCREDENTIALSW* credentials, BOOL clearCredentials)
{
    return standin::NoThrow(
        [&] { return standin::SetCredentials(phonebook, entryName, credentials, clearCredentials); });
}

extern "C" DWORD WINAPI RasGetCredentialsW(LPCWSTR phonebook, LPCWSTR entryName, ras::RASCREDENTIALSW* credentials)
{
    return standin::NoThrow([&] { return standin::GetCredentials(phonebook, entryName, credentials); });
}
