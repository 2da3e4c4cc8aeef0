// The PPTP phonebook entry as the RAS stand-in stores it, and the system detection for the log.
#include "platform/win.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/vpn/connect.h"
#include "app/vpn/vpn_entry.h"
#include "platform/ras_api.h"
#include "tests/win/vpn_test_support.h"

namespace {

using vpntest::FileExists;
using vpntest::FileText;
using vpntest::TempDir;

const char kOtherEntry[] = "其他连接";

std::string EntryValue(const std::string& phonebook, const std::string& key)
{
    return PhonebookValue(phonebook, kEntryName, key);
}

size_t CountOf(const std::string& text, const std::string& part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

// The stand-in's reader of stored credentials (not one of the program's calls).
struct Stored {
    DWORD result = 0;
    DWORD mask = 0;
    std::string userName;
    std::string password;
};

Stored StoredCredentials(const std::string& phonebook, const char* entry = kEntryName)
{
    using GetCredentials = DWORD(WINAPI*)(LPCSTR, LPCSTR, ras::RASCREDENTIALSA*);
    const auto get = reinterpret_cast<GetCredentials>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"rasapi32.dll"), "RasGetCredentialsA")));
    Stored s;
    if (!get) {
        ADD_FAILURE() << "the RAS stand-in is not loaded";
        return s;
    }
    ras::RASCREDENTIALSA c{};
    c.dwSize = ras::kRasCredentialsSize;
    c.dwMask = ras::RASCM_UserName | ras::RASCM_Password | ras::RASCM_Domain | ras::RASCM_DefaultCreds;
    s.result = get(phonebook.c_str(), entry, &c);
    s.mask = c.dwMask;
    s.userName = c.szUserName;
    s.password = c.szPassword;
    return s;
}

bool Build(const std::string& phonebook, const std::string& user, const std::string& password,
    const std::string& address, const char* entry = kEntryName)
{
    return BuildVpnEntry(entry, platform::Widen(phonebook), user, password, address, ras::VS_Default);
}

TEST(VpnEntry, EveryFieldOfTheEntryIsStoredAsDescribed)
{
    TempDir dir;
    const std::string phonebook = dir.Path("vpn.dat");
    ASSERT_TRUE(Build(phonebook, "hd01", "hd01pass", "10.20.30.40"));

    const std::vector<std::pair<std::string, std::string>> expected = {
        {"dwfOptions", "0x3D0D0210"},
        {"dwfOptions2", "0x6F"},
        {"dwfOptions3", "0x0"},
        {"CountryID", "86"},
        {"CountryCode", "86"},
        {"AreaCode", ""},
        {"PhoneNumber", "10.20.30.40"},
        {"NetProtocols", "4"},
        {"FramingProtocol", "1"},
        {"FrameSize", "0"},
        {"DeviceType", "vpn"},
        {"DeviceName", "WAN 微型端口 (PPTP)"},
        {"DialMode", "1"},
        {"DialExtraPercent", "75"},
        {"DialExtraSampleSeconds", "120"},
        {"HangUpExtraPercent", "10"},
        {"HangUpExtraSampleSeconds", "120"},
        {"IdleDisconnectSeconds", "0"},
        {"Type", "2"},
        {"EncryptionType", "3"},
        {"CustomAuthKey", "0"},
        {"VpnStrategy", "0"},
        {"Channels", "0"},
        {"SubEntries", "0"},
        {"TcpWindowSize", "0"},
        {"RedialCount", "0"},
        {"RedialPause", "1"},
        {"IpAddress", "0.0.0.0"},
        {"IpDnsAddress", "0.0.0.0"},
        {"IpDns2Address", "0.0.0.0"},
        {"IpWinsAddress", "0.0.0.0"},
        {"IpWins2Address", "0.0.0.0"},
        {"Guid", "{00000000-0000-0000-0000-000000000000}"},
        {"Script", ""},
        {"AutodialDll", ""},
        {"AutodialFunc", ""},
        {"CustomDialDll", ""},
        {"DnsSuffix", ""},
        {"PrerequisitePbk", ""},
        {"PrerequisiteEntry", ""},
        {"X25PadType", ""},
        {"X25Address", ""},
        {"X25Facilities", ""},
        {"X25UserData", ""},
    };
    for (const auto& [key, value] : expected) {
        EXPECT_EQ(EntryValue(phonebook, key), value) << key;
    }

    const Stored stored = StoredCredentials(phonebook);
    EXPECT_EQ(stored.result, 0u);
    EXPECT_EQ(stored.mask, ras::RASCM_UserName | ras::RASCM_Password | ras::RASCM_DefaultCreds);
    EXPECT_EQ(stored.userName, "hd01");
    EXPECT_EQ(stored.password, "hd01pass");
}

TEST(VpnEntry, TheStrategyIsPassedThrough)
{
    TempDir dir;
    const std::string phonebook = dir.Path("vpn.dat");
    ASSERT_TRUE(BuildVpnEntry(kEntryName, platform::Widen(phonebook), "u", "p", "10.0.0.1", 3));
    EXPECT_EQ(EntryValue(phonebook, "VpnStrategy"), "3");
}

TEST(VpnEntry, AnEntryWrittenAgainHoldsTheSecondLineOnly)
{
    TempDir dir;
    const std::string phonebook = dir.Path("vpn.dat");
    ASSERT_TRUE(Build(phonebook, "first", "firstpass", "10.0.0.1"));
    ASSERT_TRUE(Build(phonebook, "second", "secondpass", "10.0.0.2"));

    EXPECT_EQ(EntryValue(phonebook, "PhoneNumber"), "10.0.0.2");
    const Stored stored = StoredCredentials(phonebook);
    EXPECT_EQ(stored.userName, "second");
    EXPECT_EQ(stored.password, "secondpass");
    EXPECT_EQ(CountOf(FileText(phonebook), "[" + Utf8Of(kEntryName) + "]"), 1u);
}

TEST(VpnEntry, OtherEntriesOfThePhonebookAreKept)
{
    TempDir dir;
    const std::string phonebook = dir.Path("vpn.dat");
    ASSERT_TRUE(Build(phonebook, "other", "otherpass", "10.9.9.9", kOtherEntry));
    ASSERT_TRUE(Build(phonebook, "mine", "minepass", "10.0.0.1"));
    EXPECT_EQ(EntryValue(phonebook, "PhoneNumber"), "10.0.0.1");
    EXPECT_EQ(PhonebookValue(phonebook, kOtherEntry, "PhoneNumber"), "10.9.9.9");
}

TEST(VpnEntry, AnEmptyUserNameOrPasswordStoresNoCredentials)
{
    for (const auto& [user, password] : {std::pair<std::string, std::string>{"", "secret"}, {"someone", ""}}) {
        TempDir dir;
        const std::string phonebook = dir.Path("vpn.dat");
        EXPECT_TRUE(Build(phonebook, user, password, "10.0.0.3")) << user << "/" << password;
        EXPECT_EQ(EntryValue(phonebook, "PhoneNumber"), "10.0.0.3");
        const Stored stored = StoredCredentials(phonebook);
        EXPECT_EQ(stored.mask, 0u) << user << "/" << password;
        EXPECT_EQ(stored.userName, "");
        EXPECT_EQ(stored.password, "");
    }
}

TEST(VpnEntry, TextsAtTheLimitsAreStoredWhole)
{
    TempDir dir;
    const std::string phonebook = dir.Path("vpn.dat");
    const std::string address(ras::kMaxPhoneNumber, '7');
    const std::string user(ras::kMaxUserName, 'u');
    const std::string password(ras::kMaxPassword, 'p');
    ASSERT_TRUE(Build(phonebook, user, password, address));
    EXPECT_EQ(EntryValue(phonebook, "PhoneNumber"), address);
    const Stored stored = StoredCredentials(phonebook);
    EXPECT_EQ(stored.userName, user);
    EXPECT_EQ(stored.password, password);
}

TEST(VpnEntry, TextsTooLongForTheStructuresAreRefusedAndNothingIsWritten)
{
    const std::string address = "10.0.0.4";
    struct Case {
        const char* what;
        std::string user;
        std::string password;
        std::string address;
    };
    const std::vector<Case> cases = {
        {"address", "u", "p", std::string(ras::kMaxPhoneNumber + 1, '7')},
        {"user name", std::string(ras::kMaxUserName + 1, 'u'), "p", address},
        {"password", "u", std::string(ras::kMaxPassword + 1, 'p'), address},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string phonebook = dir.Path("vpn.dat");
        EXPECT_FALSE(Build(phonebook, c.user, c.password, c.address)) << c.what;
        EXPECT_FALSE(FileExists(phonebook)) << c.what;

        // Over an older entry: the older one stays as it was.
        ASSERT_TRUE(Build(phonebook, "old", "oldpass", "10.0.0.5"));
        EXPECT_FALSE(Build(phonebook, c.user, c.password, c.address)) << c.what;
        EXPECT_EQ(EntryValue(phonebook, "PhoneNumber"), "10.0.0.5") << c.what;
        EXPECT_EQ(StoredCredentials(phonebook).userName, "old") << c.what;
    }
}

TEST(VpnEntry, ARefusalOfTheServiceIsReported)
{
    TempDir dir;
    // No phonebook named, and a phonebook in a folder that does not exist.
    EXPECT_FALSE(Build("", "u", "p", "10.0.0.6"));
    EXPECT_FALSE(Build(dir.Path("missing\\vpn.dat"), "u", "p", "10.0.0.6"));
}

TEST(VpnEntry, ThePhonebookIsBesideTheProgram)
{
    wchar_t module[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring dir = module;
    dir.resize(dir.find_last_of(L'\\'));
    EXPECT_EQ(PhonebookPath(), dir + L"/vpn.dat");
}

// ---------------------------------------------------------------------------------------------
// System detection.

class VpnSystem : public ::testing::Test {
protected:
    static constexpr const char* kKey = "Software\\SorvikVpnTest";

    void SetUp() override { ASSERT_EQ(::RegCreateKeyA(HKEY_CURRENT_USER, kKey, &key_), ERROR_SUCCESS); }
    void TearDown() override
    {
        ::RegCloseKey(key_);
        ::RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
    }

    void SetValue(const char* name, DWORD type, const std::string& bytes) const
    {
        ASSERT_EQ(::RegSetValueExA(key_, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                      static_cast<DWORD>(bytes.size())),
            ERROR_SUCCESS);
    }

    HKEY key_ = nullptr;
};

TEST_F(VpnSystem, RegistryTextIsTheValueUpToItsFirstZero)
{
    SetValue("Text", REG_SZ, std::string("中文值 1\0", 9));
    SetValue("Two", REG_BINARY, std::string("ab\0cd", 5));
    SetValue("Unended", REG_BINARY, "xyz");
    EXPECT_EQ(ReadRegistryText(2, kKey, "Text"), "中文值 1");
    EXPECT_EQ(ReadRegistryText(2, kKey, "Two"), "ab");
    EXPECT_EQ(ReadRegistryText(2, kKey, "Unended"), "xyz");
}

TEST_F(VpnSystem, RegistryTextIsEmptyForWhatCannotBeRead)
{
    SetValue("Text", REG_SZ, std::string("v\0", 2));
    EXPECT_EQ(ReadRegistryText(2, kKey, "Absent"), "");
    EXPECT_EQ(ReadRegistryText(2, "Software\\SorvikVpnTestAbsent", "Text"), "");
    EXPECT_EQ(ReadRegistryText(0, kKey, "Text"), "");
    EXPECT_EQ(ReadRegistryText(6, kKey, "Text"), "");
}

// Some text value in a key one or two levels under the root: {sub-key, value name, text}.
struct FoundValue {
    std::string subKey;
    std::string name;
    std::string text;
};

bool FirstTextValueIn(HKEY root, const std::string& subKey, FoundValue& found)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    bool ok = false;
    for (DWORD i = 0; !ok; ++i) {
        char name[256];
        DWORD nameSize = sizeof name;
        char data[256];
        DWORD dataSize = sizeof data - 1;
        DWORD type = 0;
        const LONG r
            = ::RegEnumValueA(key, i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize);
        if (r == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (r == ERROR_SUCCESS && type == REG_SZ && dataSize > 1) {
            data[dataSize] = '\0';
            found = {subKey, name, data};
            ok = true;
        }
    }
    ::RegCloseKey(key);
    return ok;
}

// The names of a key's sub-keys, as paths from the root.
std::vector<std::string> SubKeys(HKEY root, const std::string& path)
{
    std::vector<std::string> keys;
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, path.empty() ? nullptr : path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return keys;
    }
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD size = sizeof name;
        if (::RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            break;
        }
        keys.push_back(path.empty() ? std::string(name) : path + "\\" + name);
    }
    ::RegCloseKey(key);
    return keys;
}

bool FindTextValue(HKEY root, FoundValue& found)
{
    const std::vector<std::string> level1 = SubKeys(root, "");
    for (const std::string& sub : level1) {
        if (FirstTextValueIn(root, sub, found)) {
            return true;
        }
    }
    for (const std::string& sub : level1) {
        for (const std::string& path : SubKeys(root, sub)) {
            if (FirstTextValueIn(root, path, found)) {
                return true;
            }
        }
    }
    return false;
}

TEST(VpnSystemInfo, RootKeyNumbersNameTheFiveRoots)
{
    const std::vector<std::pair<int, HKEY>> roots = {{1, HKEY_CLASSES_ROOT}, {2, HKEY_CURRENT_USER},
        {3, HKEY_LOCAL_MACHINE}, {4, HKEY_USERS}, {5, HKEY_CURRENT_CONFIG}};
    int checked = 0;
    for (const auto& [number, root] : roots) {
        FoundValue found;
        if (!FindTextValue(root, found)) {
            continue; // an empty root proves nothing either way
        }
        EXPECT_EQ(ReadRegistryText(number, found.subKey, found.name), found.text)
            << number << " " << found.subKey << " " << found.name;
        ++checked;
    }
    EXPECT_GE(checked, 3);
}

TEST(VpnSystemInfo, OsDescriptionIsProductNameBlankServicePack)
{
    char product[256] = {};
    DWORD size = sizeof product;
    ASSERT_EQ(::RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "ProductName",
                  RRF_RT_REG_SZ, nullptr, product, &size),
        ERROR_SUCCESS);
    char servicePack[256] = {};
    size = sizeof servicePack;
    ::RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "CSDVersion", RRF_RT_REG_SZ,
        nullptr, servicePack, &size);
    EXPECT_EQ(GetOsDescription(), std::string(product) + " " + servicePack);
}

TEST(VpnSystemInfo, ProgramsOfEitherWidthSeeTheNativeSystem) { EXPECT_EQ(Is64BitSystem(), vpntest::SystemIs64Bit()); }

} // namespace
