// The RAS stand-in (tools/rasapi32) as the program meets it: phonebook entries and credentials,
// asynchronous dials against a small line server on 127.0.0.x:1723, enumeration, hang-up, the
// connection's status after its dial, error texts and the misuse ledger. The line server here
// speaks the demo service's LOGIN protocol. The notifications come on the dialling thread while
// it waits alertably, as on Windows.
#include "tests/win/test_files.h"
#include "platform/win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstring>
#include <cwchar>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/critical_section.h"
#include "platform/handles.h"
#include "platform/ini_text.h"
#include "platform/ras_api.h"
#include "platform/text.h"
#include "platform/thread.h"
#include "tests/win/notify_modes.h"
#include "tests/win/ras_ledger.h"

namespace {

const char kEntry[] = "Sorvik加速器";
const char kOtherEntry[] = "其他连接";
const char kDeviceName[] = "WAN 微型端口 (PPTP)";

// Waits alertably, so that the stand-in's notifications for this thread's dials arrive.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    while (!done()) {
        if (::GetTickCount64() >= end) {
            return false;
        }
        ::SleepEx(10, TRUE);
    }
    return true;
}

void Idle(DWORD ms)
{
    WaitUntil([] { return false; }, ms);
}

ras::RASCONNSTATUSA Status(ras::HRASCONN handle, DWORD* result)
{
    ras::RASCONNSTATUSA status{};
    status.dwSize = ras::kRasConnStatusSize;
    *result = RasGetConnectStatusA(handle, &status);
    return status;
}

size_t CountOf(const std::string& text, const std::string& part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

// A fresh directory holding the phonebook, removed with everything in it.
class TempPhonebook {
public:
    TempPhonebook()
        : dir_("sorvik-ras-")
        , path_(dir_.Path("vpn.dat"))
    {
    }

    const char* Path() const { return path_.c_str(); }
    std::string Read(const char* section, const char* key) const { return PhonebookValue(path_, section, key); }

private:
    TempDir dir_;
    std::string path_;
};

template <size_t N> void Put(CHAR (&field)[N], const std::string& text)
{
    ASSERT_LT(text.size(), N);
    std::memcpy(field, text.c_str(), text.size() + 1);
}

// The entry the program describes for a line.
ras::RASENTRYA VpnEntry(const std::string& address)
{
    ras::RASENTRYA e{};
    e.dwSize = ras::kRasEntrySize;
    e.dwfOptions = 0x3D0D0210;
    e.dwCountryID = 86;
    e.dwCountryCode = 86;
    Put(e.szLocalPhoneNumber, address);
    e.dwfNetProtocols = ras::RASNP_Ip;
    e.dwFramingProtocol = ras::RASFP_Ppp;
    Put(e.szDeviceType, "vpn");
    Put(e.szDeviceName, kDeviceName);
    e.dwDialMode = ras::RASEDM_DialAll;
    e.dwDialExtraPercent = 75;
    e.dwDialExtraSampleSeconds = 120;
    e.dwHangUpExtraPercent = 10;
    e.dwHangUpExtraSampleSeconds = 120;
    e.dwType = ras::RASET_Vpn;
    e.dwEncryptionType = ras::ET_Optional;
    e.dwVpnStrategy = ras::VS_Default;
    e.dwfOptions2 = 0x6F;
    e.dwRedialPause = 1;
    return e;
}

DWORD WriteEntry(const char* phonebook, const char* name, const std::string& address)
{
    ras::RASENTRYA e = VpnEntry(address);
    return RasSetEntryPropertiesA(phonebook, name, &e, sizeof e, nullptr, 0);
}

DWORD WriteCredentials(const char* phonebook, const char* name, const std::string& user, const std::string& password)
{
    ras::RASCREDENTIALSA c{};
    c.dwSize = ras::kRasCredentialsSize;
    c.dwMask = ras::RASCM_UserName | ras::RASCM_Password | ras::RASCM_DefaultCreds;
    Put(c.szUserName, user);
    Put(c.szPassword, password);
    return RasSetCredentialsA(phonebook, name, &c, FALSE);
}

// The stand-in's reader of stored credentials, not part of the program's interface.
using GetCredentialsFn = DWORD(WINAPI*)(LPCSTR, LPCSTR, ras::RASCREDENTIALSA*);

GetCredentialsFn StandInGetCredentials()
{
    return reinterpret_cast<GetCredentialsFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"rasapi32.dll"), "RasGetCredentialsA")));
}

struct SocketTraits {
    using Value = SOCKET;
    static Value Invalid() { return INVALID_SOCKET; }
    static void Close(Value v) { ::closesocket(v); }
};
using OwnedSocket = platform::Unique<SocketTraits>;

// A line server on some 127.0.0.x, port 1723: "LOGIN\tuser\tpassword\n" gets "OK\n" (the
// session stays open) or "ERR 691\n" (closed), after an optional delay.
class LoginServer {
public:
    LoginServer(std::string user, std::string password, DWORD replyDelayMs = 0)
        : user_(std::move(user))
        , password_(std::move(password))
        , replyDelayMs_(replyDelayMs)
    {
        static std::atomic<int> next{0};
        for (int attempt = 0; attempt < 60 && !listener_; ++attempt) {
            const std::string address = "127.0.0." + std::to_string(200 + next++ % 55);
            OwnedSocket s(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
            sockaddr_in at{};
            at.sin_family = AF_INET;
            at.sin_port = ::htons(1723);
            ::inet_pton(AF_INET, address.c_str(), &at.sin_addr);
            if (s && ::bind(s.Get(), reinterpret_cast<const sockaddr*>(&at), sizeof at) == 0
                && ::listen(s.Get(), 8) == 0) {
                listener_ = std::move(s);
                address_ = address;
            }
        }
        if (listener_) {
            thread_ = platform::StartThread([this] { Run(); });
        }
    }
    ~LoginServer()
    {
        stop_ = true;
        if (thread_) {
            ::WaitForSingleObject(thread_.Get(), 5000);
        }
    }
    LoginServer(const LoginServer&) = delete;
    LoginServer& operator=(const LoginServer&) = delete;

    bool Listening() const { return static_cast<bool>(thread_); }
    const std::string& Address() const { return address_; }
    void DropAll() { dropRequested_ = true; }

    std::vector<std::string> Logins()
    {
        std::lock_guard<platform::CriticalSection> hold(serverLock_);
        return logins_;
    }
    int OpenSessions()
    {
        std::lock_guard<platform::CriticalSection> hold(serverLock_);
        return static_cast<int>(sessions_.size());
    }
    int ClosedByClient()
    {
        std::lock_guard<platform::CriticalSection> hold(serverLock_);
        return closedByClient_;
    }

private:
    struct Session {
        SOCKET socket;
        std::string received;
        bool answered = false;
        bool accepted = false;
        ULONGLONG replyAt = 0;
    };

    void Run()
    {
        while (!stop_) {
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(listener_.Get(), &readable);
            {
                std::lock_guard<platform::CriticalSection> hold(serverLock_);
                for (const Session& s : sessions_) {
                    FD_SET(s.socket, &readable);
                }
            }
            timeval tick{0, 20000};
            ::select(0, &readable, nullptr, nullptr, &tick);
            std::lock_guard<platform::CriticalSection> hold(serverLock_);
            if (FD_ISSET(listener_.Get(), &readable)) {
                const SOCKET s = ::accept(listener_.Get(), nullptr, nullptr);
                if (s != INVALID_SOCKET) {
                    sessions_.push_back(Session{s, {}});
                }
            }
            for (size_t i = 0; i < sessions_.size();) {
                if (Serve(sessions_[i], FD_ISSET(sessions_[i].socket, &readable) != 0)) {
                    ++i;
                } else {
                    ::closesocket(sessions_[i].socket);
                    sessions_.erase(sessions_.begin() + static_cast<std::ptrdiff_t>(i));
                }
            }
            if (dropRequested_.exchange(false)) {
                for (const Session& s : sessions_) {
                    ::closesocket(s.socket);
                }
                sessions_.clear();
            }
        }
        for (const Session& s : sessions_) {
            ::closesocket(s.socket);
        }
        sessions_.clear();
    }

    // False when the session is over.
    bool Serve(Session& s, bool readable)
    {
        if (readable) {
            char buffer[512];
            const int got = ::recv(s.socket, buffer, sizeof buffer, 0);
            if (got <= 0) {
                ++closedByClient_;
                return false;
            }
            s.received.append(buffer, static_cast<size_t>(got));
            const size_t end = s.received.find('\n');
            if (!s.answered && s.replyAt == 0 && end != std::string::npos) {
                const std::string line = s.received.substr(0, end);
                logins_.push_back(line);
                s.accepted = line == "LOGIN\t" + user_ + "\t" + password_;
                s.replyAt = ::GetTickCount64() + replyDelayMs_;
            }
        }
        if (!s.answered && s.replyAt != 0 && ::GetTickCount64() >= s.replyAt) {
            s.answered = true;
            const char* reply = s.accepted ? "OK\n" : "ERR 691\n";
            ::send(s.socket, reply, static_cast<int>(std::strlen(reply)), 0);
            return s.accepted;
        }
        return true;
    }

    const std::string user_;
    const std::string password_;
    const DWORD replyDelayMs_;
    OwnedSocket listener_;
    std::string address_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> dropRequested_{false};
    platform::CriticalSection serverLock_; // guards sessions_, logins_, closedByClient_
    std::vector<Session> sessions_;
    std::vector<std::string> logins_;
    int closedByClient_ = 0;
    platform::UniqueHandle thread_;
};

struct Note {
    UINT message;
    ras::RASCONNSTATE state;
    DWORD error;
    DWORD thread;
    ras::HRASCONN connection; // what a type 1 notifier is told; null for type 0
};

// What one notifier has been told. Type 0 notifiers carry no context, so each dial of a test
// gets a notifier of its own slot.
class NoteLog {
public:
    void Add(const Note& note)
    {
        std::lock_guard<platform::CriticalSection> hold(noteLock_);
        notes_.push_back(note);
    }
    std::vector<Note> Notes()
    {
        std::lock_guard<platform::CriticalSection> hold(noteLock_);
        return notes_;
    }
    void Clear()
    {
        std::lock_guard<platform::CriticalSection> hold(noteLock_);
        notes_.clear();
    }
    std::vector<int> States()
    {
        std::vector<int> states;
        for (const Note& n : Notes()) {
            states.push_back(n.state);
        }
        return states;
    }
    bool WaitForState(ras::RASCONNSTATE state, DWORD timeoutMs)
    {
        return WaitUntil(
            [&] {
                for (const Note& n : Notes()) {
                    if (n.state == state) {
                        return true;
                    }
                }
                return false;
            },
            timeoutMs);
    }
    bool WaitForError(DWORD timeoutMs)
    {
        return WaitUntil(
            [&] {
                for (const Note& n : Notes()) {
                    if (n.error != 0) {
                        return true;
                    }
                }
                return false;
            },
            timeoutMs);
    }

private:
    platform::CriticalSection noteLock_; // guards notes_
    std::vector<Note> notes_;
};

NoteLog noteLogs[2];

template <int Slot> void WINAPI RecordNote(UINT message, ras::RASCONNSTATE state, DWORD error)
{
    noteLogs[Slot].Add(Note{message, state, error, ::GetCurrentThreadId(), nullptr});
}

template <int Slot>
void WINAPI RecordNote1(ras::HRASCONN connection, UINT message, ras::RASCONNSTATE state, DWORD error, DWORD)
{
    noteLogs[Slot].Add(Note{message, state, error, ::GetCurrentThreadId(), connection});
}

// Hangs up at the end of a test whatever the test left dialling.
class Dial {
public:
    template <int Slot, DWORD NotifierType = ras::kNotifierType0>
    static Dial Start(const char* phonebook, const char* entry, const std::string& user, const std::string& password,
        const std::string& phoneNumber = std::string())
    {
        noteLogs[Slot].Clear();
        ras::RASDIALPARAMSA params{};
        params.dwSize = ras::kRasDialParamsSize;
        std::strncpy(params.szEntryName, entry, ras::kMaxEntryName);
        std::strncpy(params.szPhoneNumber, phoneNumber.c_str(), ras::kMaxPhoneNumber);
        std::strncpy(params.szUserName, user.c_str(), ras::kMaxUserName);
        std::strncpy(params.szPassword, password.c_str(), ras::kMaxPassword);
        Dial d;
        const ULONGLONG before = ::GetTickCount64();
        const LPVOID notifier = NotifierType == ras::kNotifierType1 ? ras::AsNotifier(&RecordNote1<Slot>)
                                                                    : ras::AsNotifier(&RecordNote<Slot>);
        d.result = RasDialA(nullptr, phonebook, &params, NotifierType, notifier, &d.handle);
        d.returnedAfterMs = ::GetTickCount64() - before;
        return d;
    }
    Dial() = default;
    Dial(Dial&& other) noexcept
        : handle(std::exchange(other.handle, nullptr))
        , result(other.result)
        , returnedAfterMs(other.returnedAfterMs)
    {
    }
    Dial& operator=(Dial&&) = delete;
    ~Dial() { HangUp(); }
    DWORD HangUp() { return handle ? RasHangUpA(std::exchange(handle, nullptr)) : ERROR_INVALID_HANDLE; }

    ras::HRASCONN handle = nullptr;
    DWORD result = 0xFFFFFFFF;
    ULONGLONG returnedAfterMs = 0;
};

std::vector<ras::RASCONNA> Enumerate(DWORD* result = nullptr)
{
    std::vector<ras::RASCONNA> records(16);
    for (ras::RASCONNA& r : records) {
        r.dwSize = ras::kRasConnSize;
    }
    DWORD size = static_cast<DWORD>(records.size() * sizeof(ras::RASCONNA));
    DWORD count = 0;
    const DWORD r = RasEnumConnectionsA(records.data(), &size, &count);
    if (result) {
        *result = r;
    }
    records.resize(count);
    return records;
}

const std::vector<int> kGoodDial = {ras::RASCS_OpenPort, ras::RASCS_PortOpened, ras::RASCS_ConnectDevice,
    ras::RASCS_DeviceConnected, ras::RASCS_AllDevicesConnected, ras::RASCS_Authenticate, ras::RASCS_AuthAck,
    ras::RASCS_Authenticated, ras::RASCS_Connected};

// --- The library that answers is the stand-in in the system folder ------------------------

class RasStandInDial : public ::testing::Test, public notify_modes::InBothModes {
protected:
    void SetUp() override { UseMode(); }
};

TEST(RasStandInModule, LoadedFromTheSystemFolder)
{
    const HMODULE module = ::GetModuleHandleW(L"rasapi32.dll");
    ASSERT_NE(module, nullptr);
    EXPECT_NE(::GetProcAddress(module, "SorvikRasStandIn"), nullptr);

    char dllPath[MAX_PATH] = {};
    char systemDir[MAX_PATH] = {};
    ::GetModuleFileNameA(module, dllPath, MAX_PATH);
    ::GetSystemDirectoryA(systemDir, MAX_PATH);
    // Windows paths ignore case (Wine reports the name upper-cased).
    EXPECT_STRCASEEQ(dllPath, (std::string(systemDir) + "\\rasapi32.dll").c_str());
}

// --- Phonebook entries and credentials ------------------------------------------------------

TEST(RasStandInPhonebook, EveryFieldReadsBackWithTheProfileFunctions)
{
    TempPhonebook pbk;
    ras::RASENTRYA e = VpnEntry("10.20.30.40");
    e.ipaddrDns = {8, 8, 4, 4};
    e.dwIdleDisconnectSeconds = 300;
    Put(e.szScript, "  two blanks each side  ");
    Put(e.szDnsSuffix, "\"quoted\"");
    ASSERT_EQ(RasSetEntryPropertiesA(pbk.Path(), kEntry, &e, sizeof e, nullptr, 0), 0u);

    EXPECT_EQ(pbk.Read(kEntry, "PhoneNumber"), "10.20.30.40");
    EXPECT_EQ(pbk.Read(kEntry, "AreaCode"), "");
    EXPECT_EQ(pbk.Read(kEntry, "CountryID"), "86");
    EXPECT_EQ(pbk.Read(kEntry, "CountryCode"), "86");
    EXPECT_EQ(pbk.Read(kEntry, "dwfOptions"), "0x3D0D0210");
    EXPECT_EQ(pbk.Read(kEntry, "dwfOptions2"), "0x6F");
    EXPECT_EQ(pbk.Read(kEntry, "dwfOptions3"), "0x0");
    EXPECT_EQ(pbk.Read(kEntry, "DeviceType"), "vpn");
    EXPECT_EQ(pbk.Read(kEntry, "DeviceName"), kDeviceName);
    EXPECT_EQ(pbk.Read(kEntry, "Type"), "2");
    EXPECT_EQ(pbk.Read(kEntry, "VpnStrategy"), "0");
    EXPECT_EQ(pbk.Read(kEntry, "EncryptionType"), "3");
    EXPECT_EQ(pbk.Read(kEntry, "NetProtocols"), "4");
    EXPECT_EQ(pbk.Read(kEntry, "FramingProtocol"), "1");
    EXPECT_EQ(pbk.Read(kEntry, "DialMode"), "1");
    EXPECT_EQ(pbk.Read(kEntry, "DialExtraPercent"), "75");
    EXPECT_EQ(pbk.Read(kEntry, "DialExtraSampleSeconds"), "120");
    EXPECT_EQ(pbk.Read(kEntry, "HangUpExtraPercent"), "10");
    EXPECT_EQ(pbk.Read(kEntry, "HangUpExtraSampleSeconds"), "120");
    EXPECT_EQ(pbk.Read(kEntry, "IdleDisconnectSeconds"), "300");
    EXPECT_EQ(pbk.Read(kEntry, "RedialCount"), "0");
    EXPECT_EQ(pbk.Read(kEntry, "RedialPause"), "1");
    EXPECT_EQ(pbk.Read(kEntry, "IpAddress"), "0.0.0.0");
    EXPECT_EQ(pbk.Read(kEntry, "IpDnsAddress"), "8.8.4.4");
    EXPECT_EQ(pbk.Read(kEntry, "Guid"), "{00000000-0000-0000-0000-000000000000}");
    EXPECT_EQ(pbk.Read(kEntry, "Script"), "  two blanks each side  ");
    EXPECT_EQ(pbk.Read(kEntry, "DnsSuffix"), "\"quoted\"");
    EXPECT_EQ(pbk.Read(kEntry, "CustomDialDll"), "");
    // The system phonebook's own media and device keys.
    EXPECT_EQ(pbk.Read(kEntry, "MEDIA"), "rastapi");
    EXPECT_EQ(pbk.Read(kEntry, "Device"), kDeviceName);
}

TEST(RasStandInPhonebook, SecondWriteForAnotherLineReplacesTheWholeEntry)
{
    TempPhonebook pbk;
    ASSERT_EQ(WriteEntry(pbk.Path(), kOtherEntry, "192.0.2.9"), 0u);
    ras::RASENTRYA first = VpnEntry("10.0.0.1");
    Put(first.szScript, "first.scp");
    ASSERT_EQ(RasSetEntryPropertiesA(pbk.Path(), kEntry, &first, sizeof first, nullptr, 0), 0u);
    ASSERT_EQ(WriteCredentials(pbk.Path(), kEntry, "line1", "pass1"), 0u);

    ASSERT_EQ(WriteEntry(pbk.Path(), kEntry, "10.0.0.2"), 0u);
    ASSERT_EQ(WriteCredentials(pbk.Path(), kEntry, "line2", "pass2"), 0u);

    EXPECT_EQ(pbk.Read(kEntry, "PhoneNumber"), "10.0.0.2");
    EXPECT_EQ(pbk.Read(kEntry, "Script"), "");
    EXPECT_EQ(CountOf(FileText(pbk.Path()), "[" + Utf8Of(kEntry) + "]"), 1u);
    // The other entry is left as it was.
    EXPECT_EQ(pbk.Read(kOtherEntry, "PhoneNumber"), "192.0.2.9");

    const GetCredentialsFn get = StandInGetCredentials();
    ASSERT_NE(get, nullptr);
    ras::RASCREDENTIALSA c{};
    c.dwSize = ras::kRasCredentialsSize;
    c.dwMask = ras::RASCM_UserName | ras::RASCM_Password | ras::RASCM_DefaultCreds;
    ASSERT_EQ(get(pbk.Path(), kEntry, &c), 0u);
    EXPECT_STREQ(c.szUserName, "line2");
    EXPECT_STREQ(c.szPassword, "pass2");
    EXPECT_EQ(c.dwMask, ras::RASCM_UserName | ras::RASCM_Password | ras::RASCM_DefaultCreds);
}

TEST(RasStandInPhonebook, CredentialsAreStoredAsGivenAndNeverInClearText)
{
    TempPhonebook pbk;
    const std::string user = "用户甲";
    const std::string password = "Pa55-口令";
    ASSERT_EQ(WriteEntry(pbk.Path(), kEntry, "10.0.0.3"), 0u);
    ASSERT_EQ(WriteCredentials(pbk.Path(), kEntry, user, password), 0u);

    const GetCredentialsFn get = StandInGetCredentials();
    ASSERT_NE(get, nullptr);
    ras::RASCREDENTIALSA c{};
    c.dwSize = ras::kRasCredentialsSize;
    c.dwMask = ras::RASCM_UserName | ras::RASCM_Password;
    ASSERT_EQ(get(pbk.Path(), kEntry, &c), 0u);
    EXPECT_EQ(std::string(c.szUserName), user);
    EXPECT_EQ(std::string(c.szPassword), password);

    // Neither the phonebook nor the side file holds the texts in clear.
    const std::string phonebookText = FileText(pbk.Path());
    const std::string sideText = FileText(std::string(pbk.Path()) + ".cred");
    ASSERT_FALSE(phonebookText.empty());
    ASSERT_FALSE(sideText.empty());
    EXPECT_EQ(phonebookText.find(Utf8Of(password)), std::string::npos);
    EXPECT_EQ(phonebookText.find(Utf8Of(user)), std::string::npos);
    EXPECT_EQ(sideText.find(Utf8Of(password)), std::string::npos);
    EXPECT_EQ(sideText.find(Utf8Of(user)), std::string::npos);

    // Only the texts the mask names change; clearing empties them.
    ras::RASCREDENTIALSA only{};
    only.dwSize = ras::kRasCredentialsSize;
    only.dwMask = ras::RASCM_Password;
    Put(only.szUserName, "ignored");
    Put(only.szPassword, "newpass");
    ASSERT_EQ(RasSetCredentialsA(pbk.Path(), kEntry, &only, FALSE), 0u);
    c.dwMask = ras::RASCM_UserName | ras::RASCM_Password;
    ASSERT_EQ(get(pbk.Path(), kEntry, &c), 0u);
    EXPECT_EQ(std::string(c.szUserName), user);
    EXPECT_STREQ(c.szPassword, "newpass");

    ASSERT_EQ(RasSetCredentialsA(pbk.Path(), kEntry, &only, TRUE), 0u);
    c.dwMask = ras::RASCM_UserName | ras::RASCM_Password;
    ASSERT_EQ(get(pbk.Path(), kEntry, &c), 0u);
    EXPECT_EQ(std::string(c.szUserName), user);
    EXPECT_STREQ(c.szPassword, "");
    EXPECT_EQ(c.dwMask, ras::RASCM_UserName);
}

TEST(RasStandInPhonebook, WrongSizesAreRefusedAndWriteNothing)
{
    TempPhonebook pbk;
    ras::RASENTRYA e = VpnEntry("10.0.0.4");
    e.dwSize = 2088; // the Windows 2000 layout
    EXPECT_EQ(RasSetEntryPropertiesA(pbk.Path(), kEntry, &e, sizeof e, nullptr, 0), ras::kErrorInvalidSize);
    e.dwSize = ras::kRasEntrySize;
    EXPECT_EQ(RasSetEntryPropertiesA(pbk.Path(), kEntry, &e, 2088, nullptr, 0), ras::kErrorInvalidSize);
    EXPECT_EQ(pbk.Read(kEntry, "PhoneNumber"), "<missing>");

    ASSERT_EQ(RasSetEntryPropertiesA(pbk.Path(), kEntry, &e, sizeof e, nullptr, 0), 0u);
    ras::RASCREDENTIALSA c{};
    c.dwSize = 536;
    c.dwMask = ras::RASCM_UserName | ras::RASCM_Password;
    Put(c.szUserName, "u");
    Put(c.szPassword, "p");
    EXPECT_EQ(RasSetCredentialsA(pbk.Path(), kEntry, &c, FALSE), ras::kErrorInvalidSize);
    EXPECT_EQ(ledger::Take().size(), 3u) << "one line per wrong size";
    EXPECT_TRUE(FileText(std::string(pbk.Path()) + ".cred").empty());
}

// The wide functions: texts no code page holds pass whole, and the stand-in keeps them in UTF-8.
TEST(RasStandInWide, EntryCredentialsAndErrorTextsPassWhole)
{
    TempPhonebook pbk;
    const std::wstring path = platform::Widen(pbk.Path());
    const std::wstring name = L"Sorvik加速器한";
    ras::RASENTRYW e{};
    e.dwSize = ras::kRasEntrySizeOf<WCHAR>;
    std::wcscpy(e.szLocalPhoneNumber, L"10.0.0.7");
    std::wcscpy(e.szDeviceName, L"WAN 微型端口 (PPTP)");
    ASSERT_EQ(RasSetEntryPropertiesW(path.c_str(), name.c_str(), &e, sizeof e, nullptr, 0), 0u);
    const std::wstring text = platform::WidenUtf8(FileText(path));
    EXPECT_EQ(platform::FindIniValue(text, name, L"DeviceName"), L"WAN 微型端口 (PPTP)");
    EXPECT_EQ(platform::FindIniValue(text, name, L"PhoneNumber"), L"10.0.0.7");

    ras::RASCREDENTIALSW c{};
    c.dwSize = ras::kRasCredentialsSizeOf<WCHAR>;
    c.dwMask = ras::RASCM_UserName | ras::RASCM_Password;
    std::wcscpy(c.szUserName, L"用户한");
    std::wcscpy(c.szPassword, L"口令한");
    ASSERT_EQ(RasSetCredentialsW(path.c_str(), name.c_str(), &c, FALSE), 0u);
    using GetWide = DWORD(WINAPI*)(LPCWSTR, LPCWSTR, ras::RASCREDENTIALSW*);
    const auto get = reinterpret_cast<GetWide>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"rasapi32.dll"), "RasGetCredentialsW")));
    ASSERT_NE(get, nullptr);
    ras::RASCREDENTIALSW back{};
    back.dwSize = ras::kRasCredentialsSizeOf<WCHAR>;
    back.dwMask = ras::RASCM_UserName | ras::RASCM_Password;
    ASSERT_EQ(get(path.c_str(), name.c_str(), &back), 0u);
    EXPECT_EQ(std::wstring(back.szUserName), L"用户한");
    EXPECT_EQ(std::wstring(back.szPassword), L"口令한");

    wchar_t message[128] = {};
    ASSERT_EQ(RasGetErrorStringW(691, message, 128), 0u);
    EXPECT_EQ(std::wstring(message), L"由于域上的用户名和/或密码无效而拒绝访问。");
}

TEST(RasStandInWide, TheAnsiSizesAreRefused)
{
    TempPhonebook pbk;
    const std::wstring path = platform::Widen(pbk.Path());
    ras::RASENTRYW e{};
    e.dwSize = ras::kRasEntrySize;
    EXPECT_EQ(RasSetEntryPropertiesW(path.c_str(), L"名", &e, sizeof e, nullptr, 0), ras::kErrorInvalidSize);
    ras::RASCONNW records[2] = {};
    records[0].dwSize = ras::kRasConnSize;
    DWORD size = sizeof records;
    DWORD count = 0;
    EXPECT_EQ(RasEnumConnectionsW(records, &size, &count), ras::kErrorInvalidSize);
    const std::vector<std::string> lines = ledger::Take();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("RasSetEntryPropertiesW: wrong dwSize"), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find("RasEnumConnectionsW: wrong dwSize"), std::string::npos) << lines[1];
}

TEST(RasStandInPhonebook, BadNamesArgumentsAndMissingEntriesAreRefused)
{
    TempPhonebook pbk;
    ras::RASENTRYA e = VpnEntry("10.0.0.5");
    EXPECT_EQ(RasSetEntryPropertiesA(pbk.Path(), nullptr, &e, sizeof e, nullptr, 0),
        static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(RasSetEntryPropertiesA(pbk.Path(), kEntry, nullptr, sizeof e, nullptr, 0),
        static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(
        RasSetEntryPropertiesA(pbk.Path(), "a]b", &e, sizeof e, nullptr, 0), static_cast<DWORD>(ERROR_INVALID_NAME));
    EXPECT_EQ(
        RasSetEntryPropertiesA(pbk.Path(), "a\r\nb", &e, sizeof e, nullptr, 0), static_cast<DWORD>(ERROR_INVALID_NAME));
    // A value that would start a new line (and a new section) of the phonebook.
    Put(e.szLocalPhoneNumber, "10.0.0.5\r\n[injected]");
    EXPECT_EQ(RasSetEntryPropertiesA(pbk.Path(), kEntry, &e, sizeof e, nullptr, 0),
        static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(FileText(pbk.Path()).empty());

    EXPECT_EQ(WriteCredentials(pbk.Path(), kEntry, "u", "p"), ras::kErrorCannotFindPhonebookEntry);
}

// --- Dialling ---------------------------------------------------------------------------

TEST_P(RasStandInDial, GoodDialReportsEveryStateInOrderOnOneThread)
{
    LoginServer server("hd01", "口令01", 600);
    ASSERT_TRUE(server.Listening());
    TempPhonebook pbk;
    ASSERT_EQ(WriteEntry(pbk.Path(), kEntry, server.Address()), 0u);

    Dial dial = Dial::Start<0>(pbk.Path(), kEntry, "hd01", "口令01");
    ASSERT_EQ(dial.result, 0u);
    ASSERT_NE(dial.handle, nullptr);
    // It returns at once; the server has not even answered yet.
    EXPECT_LT(dial.returnedAfterMs, 300u);
    ASSERT_TRUE(noteLogs[0].WaitForState(ras::RASCS_Connected, 10000));

    EXPECT_EQ(noteLogs[0].States(), kGoodDial);
    // As an APC on the dialling thread, or all on the dial's own thread.
    const DWORD notifying = Apc() ? ::GetCurrentThreadId() : noteLogs[0].Notes().front().thread;
    EXPECT_NE(notifying == ::GetCurrentThreadId(), !Apc());
    for (const Note& n : noteLogs[0].Notes()) {
        EXPECT_EQ(n.message, ras::kWmRasDialEvent);
        EXPECT_EQ(n.error, 0u);
        EXPECT_EQ(n.thread, notifying);
    }
    // The credentials travel in GBK, as the line servers take them.
    ASSERT_EQ(server.Logins().size(), 1u);
    EXPECT_EQ(server.Logins()[0], "LOGIN\thd01\t口令01");
    EXPECT_EQ(server.Logins()[0].find("\xbf\xda\xc1\xee"), 11u); // 口令 in GBK

    const std::vector<ras::RASCONNA> live = Enumerate();
    ASSERT_EQ(live.size(), 1u);
    EXPECT_EQ(live[0].hrasconn, dial.handle);

    // Hang-up closes the session and nothing is reported afterwards.
    EXPECT_EQ(dial.HangUp(), 0u);
    EXPECT_TRUE(WaitUntil([&] { return server.ClosedByClient() == 1; }, 3000));
    Idle(200);
    EXPECT_EQ(noteLogs[0].States(), kGoodDial);
    EXPECT_TRUE(Enumerate().empty());
}

TEST_P(RasStandInDial, WrongCredentialsStopAtAuthenticateWith691)
{
    LoginServer server("hk04", "right");
    ASSERT_TRUE(server.Listening());
    TempPhonebook pbk;
    ASSERT_EQ(WriteEntry(pbk.Path(), kEntry, server.Address()), 0u);

    Dial dial = Dial::Start<0>(pbk.Path(), kEntry, "hk04", "wrong");
    ASSERT_EQ(dial.result, 0u);
    ASSERT_TRUE(noteLogs[0].WaitForError(10000));
    Idle(200);
    // 0 to 5 as in a good dial, then state 5 again with the error, and nothing after it.
    std::vector<int> expected(kGoodDial.begin(), kGoodDial.begin() + 6);
    expected.push_back(ras::RASCS_Authenticate);
    EXPECT_EQ(noteLogs[0].States(), expected);
    const std::vector<Note> notes = noteLogs[0].Notes();
    ASSERT_FALSE(notes.empty());
    EXPECT_EQ(notes.back().error, ras::kErrorAuthenticationFailure);
    for (size_t i = 0; i + 1 < notes.size(); ++i) {
        EXPECT_EQ(notes[i].error, 0u);
    }
    // A failed dial is no longer a live connection, but its handle stays valid until hung up.
    EXPECT_TRUE(Enumerate().empty());
    DWORD result = 1;
    const ras::RASCONNSTATUSA status = Status(dial.handle, &result);
    EXPECT_EQ(result, 0u);
    EXPECT_EQ(status.rasconnstate, ras::RASCS_Authenticate);
    EXPECT_EQ(status.dwError, ras::kErrorAuthenticationFailure);
    EXPECT_EQ(dial.HangUp(), 0u);
}

TEST_P(RasStandInDial, UnreachableServerFailsAtConnectDevice)
{
    std::string address;
    {
        LoginServer gone("u", "p");
        ASSERT_TRUE(gone.Listening());
        address = gone.Address();
    }
    TempPhonebook pbk;
    ASSERT_EQ(WriteEntry(pbk.Path(), kEntry, address), 0u);

    Dial dial = Dial::Start<0>(pbk.Path(), kEntry, "u", "p");
    ASSERT_EQ(dial.result, 0u);
    ASSERT_TRUE(noteLogs[0].WaitForError(6000));
    Idle(200);
    const std::vector<Note> notes = noteLogs[0].Notes();
    std::vector<int> expected(kGoodDial.begin(), kGoodDial.begin() + 3);
    expected.push_back(ras::RASCS_ConnectDevice);
    EXPECT_EQ(noteLogs[0].States(), expected);
    EXPECT_EQ(notes.back().error, ras::kErrorAutomaticVpnFailed);
}

TEST_P(RasStandInDial, SilentServerFailsAtConnectDeviceWithTheTimeoutError)
{
    // A listener that never accepts, its queue already full: further connects get no answer.
    std::string address;
    {
        LoginServer probe("u", "p");
        ASSERT_TRUE(probe.Listening());
        address = probe.Address();
    }
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = ::htons(1723);
    ::inet_pton(AF_INET, address.c_str(), &at.sin_addr);
    OwnedSocket listener(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    ASSERT_EQ(::bind(listener.Get(), reinterpret_cast<const sockaddr*>(&at), sizeof at), 0);
    ASSERT_EQ(::listen(listener.Get(), 1), 0);
    std::vector<OwnedSocket> queued;
    for (int i = 0; i < 4; ++i) {
        queued.emplace_back(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
        u_long nonBlocking = 1;
        ::ioctlsocket(queued.back().Get(), FIONBIO, &nonBlocking);
        ::connect(queued.back().Get(), reinterpret_cast<const sockaddr*>(&at), sizeof at);
    }
    Idle(200);

    TempPhonebook pbk;
    ASSERT_EQ(WriteEntry(pbk.Path(), kEntry, address), 0u);
    const ULONGLONG start = ::GetTickCount64();
    Dial dial = Dial::Start<0>(pbk.Path(), kEntry, "u", "p");
    ASSERT_EQ(dial.result, 0u);
    ASSERT_TRUE(noteLogs[0].WaitForError(8000));
    const ULONGLONG took = ::GetTickCount64() - start;
    EXPECT_GE(took, 2500u);
    EXPECT_LT(took, 5000u);
    const std::vector<Note> notes = noteLogs[0].Notes();
    EXPECT_EQ(notes.back().state, ras::RASCS_ConnectDevice);
    EXPECT_EQ(notes.back().error, ras::kErrorVpnTimeout);
}

TEST_P(RasStandInDial, DialledNumberOverridesTheEntrysAddress)
{
    LoginServer server("u", "p");
    ASSERT_TRUE(server.Listening());
    TempPhonebook pbk;
    ASSERT_EQ(WriteEntry(pbk.Path(), kEntry, "no.such.host.invalid"), 0u);

    Dial dial = Dial::Start<0>(pbk.Path(), kEntry, "u", "p", server.Address());
    ASSERT_EQ(dial.result, 0u);
    EXPECT_TRUE(noteLogs[0].WaitForState(ras::RASCS_Connected, 10000));
    EXPECT_EQ(server.Logins().size(), 1u);
}

TEST_P(RasStandInDial, MissingEntryIsReportedWith623)
{
    TempPhonebook pbk;
    ASSERT_EQ(WriteEntry(pbk.Path(), kOtherEntry, "10.0.0.6"), 0u);
    // With a type 1 notifier, which is also told the connection.
    Dial dial = Dial::Start<0, ras::kNotifierType1>(pbk.Path(), kEntry, "u", "p");
    ASSERT_EQ(dial.result, 0u);
    ASSERT_NE(dial.handle, nullptr);
    ASSERT_TRUE(noteLogs[0].WaitForError(3000));
    Idle(100);
    const std::vector<Note> notes = noteLogs[0].Notes();
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].error, ras::kErrorCannotFindPhonebookEntry);
    EXPECT_EQ(notes[0].connection, dial.handle);
}

TEST_P(RasStandInDial, ADropIsAnnouncedToTheRegisteredEventsNotToTheNotifier)
{
    LoginServer server("u", "p");
    ASSERT_TRUE(server.Listening());
    TempPhonebook pbk;
    ASSERT_EQ(WriteEntry(pbk.Path(), kEntry, server.Address()), 0u);

    Dial dial = Dial::Start<0>(pbk.Path(), kEntry, "u", "p");
    ASSERT_TRUE(noteLogs[0].WaitForState(ras::RASCS_Connected, 10000));
    ASSERT_EQ(Enumerate().size(), 1u);
    platform::UniqueHandle own(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    platform::UniqueHandle any(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_EQ(RasConnectionNotificationA(dial.handle, own.Get(), ras::RASCN_Disconnection), 0u);
    ASSERT_EQ(RasConnectionNotificationA(
                  reinterpret_cast<ras::HRASCONN>(INVALID_HANDLE_VALUE), any.Get(), ras::RASCN_Disconnection),
        0u);
    EXPECT_EQ(RasConnectionNotificationA(reinterpret_cast<ras::HRASCONN>(0x12345), own.Get(), ras::RASCN_Disconnection),
        static_cast<DWORD>(ERROR_INVALID_HANDLE));
    DWORD result = 1;
    EXPECT_EQ(Status(dial.handle, &result).rasconnstate, ras::RASCS_Connected);

    server.DropAll();
    EXPECT_EQ(::WaitForSingleObject(own.Get(), 5000), WAIT_OBJECT_0);
    EXPECT_EQ(::WaitForSingleObject(any.Get(), 1000), WAIT_OBJECT_0);
    Idle(200);
    EXPECT_EQ(noteLogs[0].States(), kGoodDial);
    EXPECT_TRUE(Enumerate().empty());
    const ras::RASCONNSTATUSA status = Status(dial.handle, &result);
    EXPECT_EQ(result, 0u);
    EXPECT_EQ(status.rasconnstate, ras::RASCS_Disconnected);
    EXPECT_EQ(status.dwError, ras::kErrorRemoteDisconnection);
}

TEST_P(RasStandInDial, HangUpWhileAuthenticatingEndsTheReports)
{
    LoginServer server("u", "p", 1500);
    ASSERT_TRUE(server.Listening());
    TempPhonebook pbk;
    ASSERT_EQ(WriteEntry(pbk.Path(), kEntry, server.Address()), 0u);

    Dial dial = Dial::Start<0>(pbk.Path(), kEntry, "u", "p");
    ASSERT_TRUE(noteLogs[0].WaitForState(ras::RASCS_Authenticate, 5000));
    ASSERT_TRUE(WaitUntil([&] { return server.Logins().size() == 1; }, 3000));
    EXPECT_EQ(dial.HangUp(), 0u);
    EXPECT_TRUE(WaitUntil([&] { return server.ClosedByClient() == 1; }, 3000));
    ::Sleep(1800); // past the moment the server would have said OK
    EXPECT_EQ(noteLogs[0].States(), std::vector<int>(kGoodDial.begin(), kGoodDial.begin() + 6));
}

TEST_P(RasStandInDial, BadParametersAreRefusedAtOnce)
{
    TempPhonebook pbk;
    ras::RASDIALPARAMSA params{};
    params.dwSize = 1000;
    std::strcpy(params.szEntryName, kEntry);
    ras::HRASCONN handle = nullptr;
    EXPECT_EQ(
        RasDialA(nullptr, pbk.Path(), &params, 0, ras::AsNotifier(&RecordNote<0>), &handle), ras::kErrorInvalidSize);
    EXPECT_EQ(handle, nullptr);
    params.dwSize = ras::kRasDialParamsSize;
    EXPECT_EQ(RasDialA(nullptr, pbk.Path(), &params, 2, ras::AsNotifier(&RecordNote<0>), &handle),
        static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(handle, nullptr);
    EXPECT_EQ(RasDialA(nullptr, pbk.Path(), &params, 0, ras::AsNotifier(&RecordNote<0>), nullptr),
        static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    ASSERT_EQ(ledger::Take().size(), 1u) << "the wrong dwSize";
}

SORVIK_IN_BOTH_NOTIFY_MODES(RasStandInDial);

// --- After a hang-up, and the misuse ledger ---------------------------------------------------

TEST(RasStandInRelease, TheEntryCanBeDialledAgainOnlyOnceThePortIsReleased)
{
    LoginServer server("u", "p");
    ASSERT_TRUE(server.Listening());
    TempPhonebook pbk;
    ASSERT_EQ(WriteEntry(pbk.Path(), kEntry, server.Address()), 0u);
    Dial first = Dial::Start<0>(pbk.Path(), kEntry, "u", "p");
    ASSERT_TRUE(noteLogs[0].WaitForState(ras::RASCS_Connected, 10000));
    platform::UniqueHandle ended(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_EQ(RasConnectionNotificationA(first.handle, ended.Get(), ras::RASCN_Disconnection), 0u);

    const ras::HRASCONN handle = first.handle;
    const ULONGLONG hungUpAt = ::GetTickCount64();
    ASSERT_EQ(first.HangUp(), 0u);
    EXPECT_EQ(::WaitForSingleObject(ended.Get(), 0), WAIT_OBJECT_0);
    DWORD result = 1;
    EXPECT_EQ(Status(handle, &result).rasconnstate, ras::RASCS_Disconnected);
    EXPECT_EQ(result, 0u);
    Dial early = Dial::Start<1>(pbk.Path(), kEntry, "u", "p");
    EXPECT_EQ(early.result, ras::kErrorPortNotAvailable);
    EXPECT_EQ(early.handle, nullptr);

    ASSERT_TRUE(WaitUntil([&] { return Status(handle, &result), result == ERROR_INVALID_HANDLE; }, 3000));
    EXPECT_GE(::GetTickCount64() - hungUpAt, 800u);
    Dial again = Dial::Start<1>(pbk.Path(), kEntry, "u", "p");
    EXPECT_EQ(again.result, 0u);
    EXPECT_TRUE(noteLogs[1].WaitForState(ras::RASCS_Connected, 10000));
    EXPECT_TRUE(ledger::Lines().empty());
}

TEST(RasStandInLedger, EachMisuseIsOneLine)
{
    LoginServer server("u", "p");
    ASSERT_TRUE(server.Listening());
    TempPhonebook pbk;
    ASSERT_EQ(WriteEntry(pbk.Path(), kEntry, server.Address()), 0u);
    ASSERT_TRUE(ledger::Take().empty());

    EXPECT_EQ(RasHangUpA(reinterpret_cast<ras::HRASCONN>(0x12345)), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(ledger::Take().size(), 1u) << "a hang-up of an unknown handle";

    Dial live = Dial::Start<0>(pbk.Path(), kEntry, "u", "p");
    ASSERT_TRUE(noteLogs[0].WaitForState(ras::RASCS_Connected, 10000));
    Dial twice = Dial::Start<1>(pbk.Path(), kEntry, "u", "p");
    EXPECT_EQ(twice.result, ras::kErrorPortAlreadyOpen);
    EXPECT_EQ(ledger::Take().size(), 1u) << "a dial while the entry's connection is live";

    // A dropped handle holds the port until it is hung up.
    server.DropAll();
    ASSERT_TRUE(WaitUntil([] { return Enumerate().empty(); }, 5000));
    Dial afterDrop = Dial::Start<1>(pbk.Path(), kEntry, "u", "p");
    EXPECT_EQ(afterDrop.result, ras::kErrorPortNotAvailable);
    EXPECT_EQ(ledger::Take().size(), 1u) << "a dial while a dropped handle is not hung up";
    const ras::HRASCONN dropped = live.handle;
    EXPECT_EQ(live.HangUp(), 0u);
    EXPECT_EQ(RasHangUpA(dropped), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(ledger::Take().size(), 1u) << "a second hang-up";

    // A dialling thread that ends before its dial's outcome hears nothing more and is recorded.
    LoginServer slow("u", "p", 800);
    ASSERT_TRUE(slow.Listening());
    TempPhonebook other;
    ASSERT_EQ(WriteEntry(other.Path(), kEntry, slow.Address()), 0u);
    ras::HRASCONN orphan = nullptr;
    platform::UniqueHandle caller = platform::StartThread([&] {
        Dial dial = Dial::Start<1>(other.Path(), kEntry, "u", "p");
        orphan = std::exchange(dial.handle, nullptr);
    });
    ASSERT_EQ(::WaitForSingleObject(caller.Get(), 5000), WAIT_OBJECT_0);
    ASSERT_TRUE(WaitUntil([] { return !ledger::Lines().empty(); }, 5000));
    EXPECT_EQ(ledger::Take().size(), 1u) << "a dialling thread that ended too early";
    Idle(1500);
    EXPECT_FALSE(noteLogs[1].WaitForState(ras::RASCS_Connected, 0));
    EXPECT_EQ(RasHangUpA(orphan), 0u);
}

// --- Enumeration and hang-up ------------------------------------------------------------

TEST(RasStandInConnections, EnumerationListsBothAndHangingUpOneLeavesTheOther)
{
    LoginServer first("a", "1");
    LoginServer second("b", "2");
    ASSERT_TRUE(first.Listening());
    ASSERT_TRUE(second.Listening());
    TempPhonebook pbk;
    ASSERT_EQ(WriteEntry(pbk.Path(), kEntry, first.Address()), 0u);
    ASSERT_EQ(WriteEntry(pbk.Path(), kOtherEntry, second.Address()), 0u);

    Dial own = Dial::Start<0>(pbk.Path(), kEntry, "a", "1");
    Dial other = Dial::Start<1>(pbk.Path(), kOtherEntry, "b", "2");
    ASSERT_TRUE(noteLogs[0].WaitForState(ras::RASCS_Connected, 10000));
    ASSERT_TRUE(noteLogs[1].WaitForState(ras::RASCS_Connected, 10000));

    DWORD result = 1;
    std::vector<ras::RASCONNA> live = Enumerate(&result);
    EXPECT_EQ(result, 0u);
    ASSERT_EQ(live.size(), 2u);
    EXPECT_EQ(live[0].hrasconn, own.handle);
    EXPECT_STREQ(live[0].szEntryName, kEntry);
    EXPECT_EQ(live[1].hrasconn, other.handle);
    EXPECT_STREQ(live[1].szEntryName, kOtherEntry);
    for (const ras::RASCONNA& r : live) {
        EXPECT_EQ(r.dwSize, ras::kRasConnSize);
        EXPECT_STREQ(r.szDeviceType, "vpn");
        EXPECT_STREQ(r.szDeviceName, kDeviceName);
    }

    // Room for one record: the size needed comes back and no record is counted.
    ras::RASCONNA one[1] = {};
    one[0].dwSize = ras::kRasConnSize;
    DWORD size = sizeof one;
    DWORD count = 99;
    EXPECT_EQ(RasEnumConnectionsA(one, &size, &count), ras::kErrorBufferTooSmall);
    EXPECT_EQ(size, 2 * ras::kRasConnSize);
    EXPECT_EQ(count, 0u);
    one[0].dwSize = 1000;
    size = sizeof one;
    EXPECT_EQ(RasEnumConnectionsA(one, &size, &count), ras::kErrorInvalidSize);
    EXPECT_EQ(ledger::Take().size(), 1u) << "the wrong dwSize";

    EXPECT_EQ(RasHangUpA(own.handle), 0u);
    live = Enumerate();
    ASSERT_EQ(live.size(), 1u);
    EXPECT_EQ(live[0].hrasconn, other.handle);
    EXPECT_TRUE(WaitUntil([&] { return first.ClosedByClient() == 1; }, 3000));
    Idle(200);
    EXPECT_EQ(second.OpenSessions(), 1);
    EXPECT_EQ(second.ClosedByClient(), 0);
    EXPECT_EQ(noteLogs[1].States(), kGoodDial);
    EXPECT_EQ(noteLogs[0].States(), kGoodDial);

    own.handle = nullptr;
}

TEST(RasStandInConnections, StatisticsTakeOneSizeAndCountOnlyWhileConnected)
{
    LoginServer server("u", "p", 300);
    ASSERT_TRUE(server.Listening());
    TempPhonebook pbk;
    ASSERT_EQ(WriteEntry(pbk.Path(), kEntry, server.Address()), 0u);
    constexpr DWORD kInvalidArgument = 0x80070057; // E_INVALIDARG
    ras::RAS_STATS stats{};
    stats.dwSize = ras::kRasStatsSize;
    EXPECT_EQ(RasGetConnectionStatistics(nullptr, &stats), kInvalidArgument);

    Dial dial = Dial::Start<0>(pbk.Path(), kEntry, "u", "p");
    ASSERT_TRUE(noteLogs[0].WaitForState(ras::RASCS_Authenticate, 5000));
    EXPECT_EQ(RasGetConnectionStatistics(dial.handle, &stats), ras::kErrorNoConnection) << "still dialling";
    ASSERT_TRUE(noteLogs[0].WaitForState(ras::RASCS_Connected, 10000));
    EXPECT_EQ(RasGetConnectionStatistics(dial.handle, nullptr), kInvalidArgument);
    stats.dwSize = ras::kRasStatsSize + 4;
    EXPECT_EQ(RasGetConnectionStatistics(dial.handle, &stats), kInvalidArgument);
    EXPECT_EQ(ledger::Take().size(), 1u) << "the wrong dwSize";

    stats.dwSize = ras::kRasStatsSize;
    ASSERT_EQ(RasGetConnectionStatistics(dial.handle, &stats), 0u);
    const ras::RAS_STATS first = stats;
    Idle(1100);
    ASSERT_EQ(RasGetConnectionStatistics(dial.handle, &stats), 0u);
    EXPECT_EQ(stats.dwSize, ras::kRasStatsSize);
    EXPECT_GT(stats.dwBytesXmited, first.dwBytesXmited);
    EXPECT_GT(stats.dwBytesRcved, first.dwBytesRcved);
    EXPECT_GT(stats.dwFramesRcved, first.dwFramesRcved);
    EXPECT_GE(stats.dwConnectDuration, first.dwConnectDuration + 1000);

    const ras::HRASCONN handle = dial.handle;
    EXPECT_EQ(dial.HangUp(), 0u);
    EXPECT_EQ(RasGetConnectionStatistics(handle, &stats), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_TRUE(ledger::Lines().empty());
}

TEST(RasStandInConnections, NothingToListIsZeroRecords)
{
    DWORD result = 1;
    EXPECT_TRUE(Enumerate(&result).empty());
    EXPECT_EQ(result, 0u);
}

// --- Error texts ------------------------------------------------------------------------

std::wstring FromGbk(const std::string& bytes)
{
    const int n
        = ::MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) {
        ::MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
    }
    return wide;
}

std::string ErrorText(UINT code)
{
    char buffer[100];
    std::memset(buffer, ' ', sizeof buffer);
    if (RasGetErrorStringA(code, buffer, sizeof buffer) != 0) {
        return "<failed>";
    }
    return std::string(buffer, strnlen(buffer, sizeof buffer));
}

TEST(RasStandInErrorText, ChineseTextsInGbkThatFitTheProgramsBuffer)
{
    const std::wstring wrongPassword = FromGbk(ErrorText(691));
    EXPECT_NE(wrongPassword.find(L"用户名"), std::wstring::npos);
    EXPECT_NE(wrongPassword.find(L"密码"), std::wstring::npos);

    const std::string generic = ErrorText(12345);
    EXPECT_NE(FromGbk(generic).find(L"12345"), std::wstring::npos);
    std::vector<std::string> seen;
    for (UINT code : {6u, 603u, 621u, 623u, 632u, 678u, 691u, 800u, 868u}) {
        SCOPED_TRACE(code);
        const std::string text = ErrorText(code);
        ASSERT_NE(text, "<failed>");
        const std::wstring wide = FromGbk(text);
        ASSERT_FALSE(wide.empty()) << "not valid GBK";
        EXPECT_TRUE(std::any_of(wide.begin(), wide.end(), [](wchar_t c) { return c >= 0x4E00 && c <= 0x9FFF; }));
        EXPECT_NE(text, generic);
        for (const std::string& other : seen) {
            EXPECT_NE(text, other);
        }
        seen.push_back(text);
    }
}

TEST(RasStandInErrorText, SomeTextsAreLongerThanAHundredBytesAndASmallBufferGetsNothing)
{
    char buffer[512];
    std::memset(buffer, 'Z', sizeof buffer);
    EXPECT_EQ(RasGetErrorStringA(ras::kErrorVpnTimeout, buffer, 100), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::string(buffer, 100), std::string(100, 'Z'));
    ASSERT_EQ(RasGetErrorStringA(ras::kErrorVpnTimeout, buffer, 256), 0u);
    EXPECT_GT(std::strlen(buffer), 100u);
    EXPECT_NE(FromGbk(buffer).find(L"VPN"), std::wstring::npos);
}

TEST(RasStandInErrorText, NeverWritesPastTheGivenSize)
{
    const std::string full = ErrorText(691);
    ASSERT_NE(full, "<failed>");

    char buffer[200];
    std::memset(buffer, 'Z', sizeof buffer);
    EXPECT_NE(RasGetErrorStringA(691, buffer, 10), 0u);
    EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(sizeof buffer, 'Z'));

    // Exactly the text and its zero: fits, and the byte after stays.
    const DWORD exact = static_cast<DWORD>(full.size() + 1);
    EXPECT_NE(RasGetErrorStringA(691, buffer, exact - 1), 0u);
    EXPECT_EQ(RasGetErrorStringA(691, buffer, exact), 0u);
    EXPECT_EQ(std::string(buffer), full);
    EXPECT_EQ(buffer[exact], 'Z');

    EXPECT_EQ(RasGetErrorStringA(691, nullptr, 100), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

} // namespace
