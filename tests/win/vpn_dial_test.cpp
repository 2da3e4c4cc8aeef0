// Dialling through the RAS stand-in against the demo service's line listeners: the connect
// sequence, its log, the notifier's messages to notifyLabel, and the clean-up of old connections.
#include "platform/win.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "app/vpn/connect.h"
#include "app/vpn/connection_log.h"
#include "app/vpn/dialling.h"
#include "app/vpn/reports.h"
#include "app/vpn/ras_fields.h"
#include "app/vpn/vpn_entry.h"
#include "platform/ras_api.h"
#include "platform/thread.h"
#include "tests/win/vpn_test_support.h"
#include "tests/win/notify_modes.h"
#include "app/shell/messages.h"

namespace {

using vpntest::FakeHandle;
using vpntest::FileText;
using vpntest::Seen;
using vpntest::SystemErrorText;

// The stand-in's good dial, state by state, as the log words it.
const std::vector<std::string> kGoodDialLines = {"正在打开端口", "端口打开", "正在连接设备", "DeviceConnected",
    "所有设备已连接上", "开始认证", "认证通过", "Authenticated", "连接成功"};
const std::vector<std::string> kUntilAuthenticationLines
    = {"正在打开端口", "端口打开", "正在连接设备", "DeviceConnected", "所有设备已连接上", "开始认证"};

std::string OsLine() { return GetOsDescription() + (vpntest::SystemIs64Bit() ? " 64" : " 32"); }

std::string LogOf(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    return text;
}

std::vector<std::string> Joined(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class VpnDial : public vpntest::VpnAppFixture, public notify_modes::InBothModes {
protected:
    void SetUp() override
    {
        UseMode();
        VpnAppFixture::SetUp();
        ASSERT_TRUE(service_control::RestoreDemoConfig());
    }

    // Calls the notifier the way RAS does, from another thread, about the current connection.
    bool Notify(int state, DWORD error)
    {
        const ras::HRASCONN handle = app().CurrentConnection.load();
        return RunOnWorker(
            [=] { OnRasDialEvent(handle, ras::kWmRasDialEvent, static_cast<ras::RASCONNSTATE>(state), error, 0); });
    }
};

// ---------------------------------------------------------------------------------------------
// The notifier on its own.

TEST_P(VpnDial, EachNotificationIsOneLogLineAndAStateOutsideTheTableIsItsDigits)
{
    ResetLog();
    ASSERT_TRUE(Notify(0, 0));
    ASSERT_TRUE(Notify(30, 0));
    ASSERT_TRUE(Notify(0x1003, 0));
    ASSERT_TRUE(Notify(21, 0));
    ASSERT_TRUE(Notify(-1, 0));
    EXPECT_EQ(FileText(LogPath()), LogOf({"正在打开端口", "30", "PasswordExpired", "正在登录网络", "-1"}));
    EXPECT_TRUE(Messages().empty());
}

TEST_P(VpnDial, AnErrorStoresTheSystemTextAndReportsTheDisconnection)
{
    ResetLog();
    app().CurrentConnection = FakeHandle(0x88);
    ASSERT_TRUE(Notify(ras::RASCS_Authenticate, ras::kErrorAuthenticationFailure));
    const std::string text = SystemErrorText(ras::kErrorAuthenticationFailure);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(Messages(), std::vector<UINT>{msg::MsgVpnDisconnected});
    EXPECT_EQ(LastStatus(), text);
    ASSERT_EQ(seen_.size(), 1u);
    EXPECT_EQ(seen_[0].status, text);
    EXPECT_EQ(FileText(LogPath()), LogOf({text}));
    // The failed dial keeps its handle until a hang-up.
    EXPECT_EQ(app().CurrentConnection.load(), FakeHandle(0x88));
}

TEST_P(VpnDial, ADisconnectionWithoutErrorShowsItsStateText)
{
    ResetLog();
    SetLastStatus("older text");
    ASSERT_TRUE(Notify(ras::RASCS_Disconnected, 0));
    EXPECT_EQ(Messages(), std::vector<UINT>{msg::MsgVpnDisconnected});
    EXPECT_EQ(LastStatus(), "断开连接");
    EXPECT_EQ(FileText(LogPath()), LogOf({"断开连接"}));
}

TEST_P(VpnDial, ConnectedWithAnErrorStillCountsAsConnected)
{
    ResetLog();
    SetLastStatus("untouched");
    ASSERT_TRUE(Notify(ras::RASCS_Connected, ras::kErrorNoAnswer));
    EXPECT_EQ(Messages(), std::vector<UINT>{msg::MsgVpnConnected});
    EXPECT_EQ(LastStatus(), "untouched");
    EXPECT_EQ(FileText(LogPath()), LogOf({SystemErrorText(ras::kErrorNoAnswer)}));
}

TEST_P(VpnDial, IntermediateStatesOnlyLog)
{
    ResetLog();
    SetLastStatus("untouched");
    for (int state : {1, 2, 3, 4, 5, 12, 14}) {
        ASSERT_TRUE(Notify(state, 0));
    }
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(LastStatus(), "untouched");
    EXPECT_EQ(FileText(LogPath()),
        LogOf({"端口打开", "正在连接设备", "DeviceConnected", "所有设备已连接上", "开始认证", "认证通过",
            "Authenticated"}));
}

TEST_P(VpnDial, ALogDeletedMeanwhileLosesItsLinesQuietly)
{
    ResetLog();
    ASSERT_TRUE(::DeleteFileW(LogPath().c_str()));
    ASSERT_TRUE(Notify(ras::RASCS_OpenPort, 0));
    EXPECT_FALSE(vpntest::FileExists(LogPath()));
}

TEST_P(VpnDial, TheErrorTextIsTheSystemsWholeText)
{
    // Some system texts are longer than 100 bytes.
    const std::string timeout = SystemErrorText(ras::kErrorVpnTimeout);
    ASSERT_GT(timeout.size(), 100u);
    EXPECT_EQ(RasStateText(ras::RASCS_ConnectDevice, ras::kErrorVpnTimeout), timeout);
    // An error the stand-in has no own text for: it answers with a generic one.
    EXPECT_EQ(RasStateText(0, 742), SystemErrorText(742));
    EXPECT_EQ(RasStateText(ras::RASCS_Connected, 0), "连接成功");
    EXPECT_EQ(RasStateText(ras::RASCS_Connected, ras::kErrorDnsNameNotResolvable),
        SystemErrorText(ras::kErrorDnsNameNotResolvable));
}

// ---------------------------------------------------------------------------------------------
// DialVpn.

TEST_P(VpnDial, DialVpnRefusesTextsTooLongForTheirFields)
{
    const std::wstring phonebook = PhonebookPath();
    ASSERT_TRUE(BuildVpnEntry(kEntryName, phonebook, "hd01", "hd01pass", "127.0.0.11", 0));
    struct Case {
        const char* what;
        std::string entry = kEntryName;
        std::string phone;
        std::string callback;
        std::string user = "hd01";
        std::string password = "hd01pass";
        std::string domain;
    };
    std::vector<Case> cases(6);
    cases[0].what = "entry name";
    cases[0].entry = std::string(ras::kMaxEntryName + 1, 'e');
    cases[1].what = "phone number";
    cases[1].phone = std::string(ras::kMaxPhoneNumber + 1, '1');
    cases[2].what = "callback number";
    cases[2].callback = std::string(ras::kMaxCallbackNumber + 1, '2');
    cases[3].what = "user name";
    cases[3].user = std::string(ras::kMaxUserName + 1, 'u');
    cases[4].what = "password";
    cases[4].password = std::string(ras::kMaxPassword + 1, 'p');
    cases[5].what = "domain";
    cases[5].domain = std::string(ras::kMaxDomain + 1, 'd');
    for (const Case& c : cases) {
        app().CurrentConnection = FakeHandle(0x44);
        EXPECT_EQ(DialVpn(c.entry, phonebook, c.phone, c.callback, c.user, c.password, c.domain), nullptr) << c.what;
        EXPECT_EQ(app().CurrentConnection.load(), FakeHandle(0x44)) << c.what;
        EXPECT_TRUE(vpntest::LiveConnections().empty()) << c.what;
    }
    uitest::PumpFor(200);
    EXPECT_TRUE(Messages().empty());
}

TEST_P(VpnDial, DialVpnPublishesItsHandleBeforeAnyOutcomeIsShown)
{
    // The stand-in reports a missing entry at once: from its own thread, maybe before RasDialA
    // has returned, or on the dialling thread once it waits alertably.
    app().CurrentConnection = FakeHandle(0x44);
    ras::HRASCONN handle = nullptr;
    ASSERT_TRUE(RunOnWorker([&] {
        handle = DialVpn("无此连接", PhonebookPath(), "", "", "u", "p", "");
        ::SleepEx(1000, TRUE);
    }));
    ASSERT_TRUE(WaitForOutcome());
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(RasHangUpA(handle), 0u);
    EXPECT_EQ(app().CurrentConnection.load(), handle);
    ASSERT_EQ(seen_.size(), 1u);
    EXPECT_EQ(seen_[0].message, msg::MsgVpnDisconnected);
    EXPECT_EQ(seen_[0].connection, handle);
    EXPECT_EQ(seen_[0].status, SystemErrorText(ras::kErrorCannotFindPhonebookEntry));
    // The next case dials the entry again: only once RAS has released its port.
    ras::RASCONNSTATUSA status{};
    status.dwSize = ras::kRasConnStatusSize;
    EXPECT_TRUE(uitest::PollUntil([&] { return RasGetConnectStatusA(handle, &status) == ERROR_INVALID_HANDLE; }, 3000));
}

TEST_P(VpnDial, ADialTheServiceRefusesAtOnceIsReportedAndLeavesNoHandle)
{
    app().CurrentConnection = FakeHandle(0x44);
    ras::HRASCONN handle = FakeHandle(1);
    DialStart started;
    ASSERT_TRUE(RunOnWorker([&] { started = StartDial({kEntryName, L"", "", "", "u", "p", ""}); }));
    EXPECT_EQ(started.handle, nullptr);
    EXPECT_EQ(started.error, ras::kErrorCannotOpenPhonebook);
    ASSERT_TRUE(RunOnWorker([&] { handle = DialVpn(kEntryName, L"", "", "", "u", "p", ""); }));
    EXPECT_EQ(handle, nullptr);
}

// ---------------------------------------------------------------------------------------------
// ConnectLine against the demo lines.

TEST_P(VpnDial, AGoodLineConnectsAndTheLogHoldsTheSystemAndEveryState)
{
    SetLines({vpntest::UnreachableLine(), vpntest::AcceptingLine()});
    app().currentLine = 2;
    ASSERT_TRUE(Connect(2));
    uitest::PumpFor(200);
    ASSERT_EQ(seen_.size(), 1u);
    EXPECT_EQ(seen_[0].message, msg::MsgVpnConnected);
    EXPECT_TRUE(seen_[0].connectionSet);

    const std::string log = FileText(LogPath());
    EXPECT_EQ(log, LogOf(Joined({OsLine()}, kGoodDialLines)));
    const std::string firstLine = log.substr(0, log.find("\r\n"));
    EXPECT_TRUE(firstLine.ends_with(" 32") || firstLine.ends_with(" 64")) << firstLine;

    EXPECT_EQ(PhonebookValue(PhonebookPath(), kEntryName, "PhoneNumber"), "127.0.0.11");
    ASSERT_EQ(vpntest::LiveConnections().size(), 1u);
    EXPECT_EQ(vpntest::LiveConnections()[0].hrasconn, app().CurrentConnection.load());
}

TEST_P(VpnDial, RejectedCredentialsShowTheSystemText)
{
    SetLines({vpntest::RejectingLine()});
    ASSERT_TRUE(Connect(1));
    uitest::PumpFor(200);
    const std::string text = SystemErrorText(ras::kErrorAuthenticationFailure);
    ASSERT_EQ(seen_.size(), 1u);
    EXPECT_EQ(seen_[0].message, msg::MsgVpnDisconnected);
    EXPECT_TRUE(seen_[0].connectionSet);
    EXPECT_EQ(seen_[0].status, text);
    EXPECT_EQ(FileText(LogPath()), LogOf(Joined(Joined({OsLine()}, kUntilAuthenticationLines), {text})));
}

TEST_P(VpnDial, AnUnreachableServerShowsTheSystemText)
{
    SetLines({vpntest::UnreachableLine()});
    ASSERT_TRUE(Connect(1));
    uitest::PumpFor(200);
    ASSERT_EQ(seen_.size(), 1u);
    EXPECT_EQ(seen_[0].message, msg::MsgVpnDisconnected);
    EXPECT_TRUE(seen_[0].connectionSet);
    const std::string text = SystemErrorText(ras::kErrorAutomaticVpnFailed);
    EXPECT_EQ(seen_[0].status, text);
    EXPECT_EQ(FileText(LogPath()), LogOf({OsLine(), "正在打开端口", "端口打开", "正在连接设备", text}));
}

TEST_P(VpnDial, EachConnectStartsAFreshLogAndHangsUpTheLastOne)
{
    SetLines({vpntest::AcceptingLine(), vpntest::RejectingLine(), vpntest::SecondAcceptingLine()});
    ASSERT_TRUE(Connect(1));
    const ras::HRASCONN first = app().CurrentConnection.load();
    ASSERT_TRUE(Connect(2));
    EXPECT_EQ(Messages(), std::vector<UINT>{msg::MsgVpnDisconnected});
    ASSERT_TRUE(Connect(3));
    EXPECT_EQ(Messages(), std::vector<UINT>{msg::MsgVpnConnected});
    EXPECT_EQ(FileText(LogPath()), LogOf(Joined({OsLine()}, kGoodDialLines)));
    const std::vector<ras::RASCONNA> live = vpntest::LiveConnections();
    ASSERT_EQ(live.size(), 1u);
    EXPECT_NE(live[0].hrasconn, first);
    EXPECT_EQ(live[0].hrasconn, app().CurrentConnection.load());
}

TEST_P(VpnDial, ALineThatIsGoneIsShownAsAFailureWithoutDialling)
{
    SetLines({vpntest::AcceptingLine()});
    for (int lineIndex : {0, 2, -1}) {
        app().CurrentConnection = FakeHandle(0x44);
        ASSERT_TRUE(Connect(lineIndex)) << lineIndex;
        ASSERT_EQ(seen_.size(), 1u) << lineIndex;
        EXPECT_EQ(seen_[0].message, msg::MsgVpnDialFailed);
        EXPECT_EQ(seen_[0].status, "线路已失效，请刷新线路列表后重试");
        EXPECT_EQ(app().CurrentConnection.load(), FakeHandle(0x44));
        EXPECT_TRUE(vpntest::LiveConnections().empty());
        EXPECT_EQ(FileText(LogPath()), LogOf({OsLine(), "线路已失效，请刷新线路列表后重试"}));
    }
}

TEST_P(VpnDial, ALineTooLongForTheEntryIsShownAsAFailureAndTheOldEntryIsNotDialled)
{
    ASSERT_TRUE(BuildVpnEntry(kEntryName, PhonebookPath(), "hd01", "hd01pass", "127.0.0.11", 0));
    Line longAddress = vpntest::AcceptingLine();
    longAddress.address = std::string(ras::kMaxPhoneNumber + 1, '9');
    Line longUser = vpntest::AcceptingLine();
    longUser.userName = std::string(ras::kMaxUserName + 1, 'u');
    Line longPassword = vpntest::AcceptingLine();
    longPassword.password = std::string(ras::kMaxPassword + 1, 'p');
    SetLines({longAddress, longUser, longPassword});
    for (int lineIndex : {1, 2, 3}) {
        ASSERT_TRUE(Connect(lineIndex)) << lineIndex;
        ASSERT_EQ(seen_.size(), 1u) << lineIndex;
        EXPECT_EQ(seen_[0].message, msg::MsgVpnDialFailed);
        EXPECT_EQ(seen_[0].status, "线路信息过长，无法连接");
        EXPECT_TRUE(vpntest::LiveConnections().empty());
        EXPECT_EQ(PhonebookValue(PhonebookPath(), kEntryName, "PhoneNumber"), "127.0.0.11");
    }
}

TEST_P(VpnDial, AnEntryThatCannotBeWrittenIsAFailureAndTheOldEntryIsNotDialled)
{
    ASSERT_TRUE(BuildVpnEntry(kEntryName, PhonebookPath(), "hd01", "hd01pass", "127.0.0.11", 0));
    ASSERT_TRUE(service_control::ResetRecords());
    ASSERT_TRUE(::SetFileAttributesW(PhonebookPath().c_str(), FILE_ATTRIBUTE_READONLY));
    SetLines({vpntest::SecondAcceptingLine()});
    const bool finished = Connect(1);
    ::SetFileAttributesW(PhonebookPath().c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(finished);
    ASSERT_EQ(seen_.size(), 1u);
    EXPECT_EQ(seen_[0].message, msg::MsgVpnDialFailed);
    EXPECT_EQ(seen_[0].status, "无法写入连接配置，请检查程序目录是否可写");
    EXPECT_TRUE(vpntest::LiveConnections().empty());
    EXPECT_EQ(PhonebookValue(PhonebookPath(), kEntryName, "PhoneNumber"), "127.0.0.11");
    for (const std::string& line : service_control::HttpRequestLines()) {
        EXPECT_EQ(line.find("127.0.0.12"), std::string::npos) << line;
    }
}

TEST_P(VpnDial, AFailedDialIsHungUpSoTheEntryDialsAgain)
{
    SetLines({vpntest::RejectingLine(), vpntest::AcceptingLine()});
    ASSERT_TRUE(Connect(1));
    ASSERT_EQ(Messages(), std::vector<UINT>{msg::MsgVpnDisconnected});
    ASSERT_TRUE(Connect(2));
    EXPECT_EQ(Messages(), std::vector<UINT>{msg::MsgVpnConnected});
    EXPECT_EQ(vpntest::CountConnectionsOf(kEntryName), 1);
}

TEST_P(VpnDial, TheDiallingThreadLivesUntilTheOutcome)
{
    ASSERT_TRUE(service_control::PostConfig(R"({"lines": [{"name": "slow", "address": "127.0.0.11",
        "probe_port": 18701, "user": "hd01", "password": "hd01pass", "load": "x", "login_delay": 2}]})"));
    SetLines({vpntest::AcceptingLine()});
    platform::UniqueHandle thread = platform::StartThread([] { ConnectLine(1); });
    ASSERT_TRUE(uitest::PollUntil([] { return FileText(LogPath()).find("开始认证") != std::string::npos; }, 10000));
    EXPECT_EQ(::WaitForSingleObject(thread.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    ASSERT_TRUE(WaitForOutcome());
    EXPECT_EQ(Messages(), std::vector<UINT>{msg::MsgVpnConnected});
}

TEST_P(VpnDial, AConnectionThatComesUpAfterTheStopIsHungUpWithoutAHello)
{
    ASSERT_TRUE(service_control::ResetRecords());
    SetLines({vpntest::AcceptingLine()});
    // The stop is handled just before the connected message, as when the user is quicker.
    onMessage_ = [](UINT message) {
        if (message == msg::MsgVpnConnected) {
            HangUp();
        }
    };
    ASSERT_TRUE(Connect(1));
    ASSERT_TRUE(uitest::PollUntil([] { return platform::LiveThreadCount() == 0; }, 10000));
    EXPECT_TRUE(vpntest::LiveConnections().empty());
    EXPECT_EQ(app().CurrentConnection.load(), nullptr);
    for (const std::string& line : service_control::HttpRequestLines()) {
        EXPECT_EQ(line.find("hello.php"), std::string::npos) << line;
    }
}

// ---------------------------------------------------------------------------------------------
// HangUpOwnConnections.

std::atomic<int> connectedDials{0};

void WINAPI CountConnected(UINT, ras::RASCONNSTATE state, DWORD)
{
    if (state == ras::RASCS_Connected) {
        ++connectedDials;
    }
}

ras::HRASCONN DialDirectly(const std::string& phonebook, const char* entry)
{
    ras::RASDIALPARAMSA params{};
    params.dwSize = ras::kRasDialParamsSize;
    if (!CopyField(params.szEntryName, entry) || !CopyField(params.szUserName, "hd01")
        || !CopyField(params.szPassword, "hd01pass")) {
        return nullptr;
    }
    ras::HRASCONN handle = nullptr;
    RasDialA(nullptr, phonebook.c_str(), &params, ras::kNotifierType0, ras::AsNotifier(&CountConnected), &handle);
    return handle;
}

// Each connection of an entry needs a phonebook of its own: one entry dials once at a time.
class VpnHangUpOwn : public vpntest::VpnAppFixture {
protected:
    void SetUp() override
    {
        VpnAppFixture::SetUp();
        ASSERT_TRUE(service_control::RestoreDemoConfig());
        connectedDials = 0;
    }

    void TearDown() override
    {
        HangUp(); // the program's own connection first: it is the program's to hang up
        for (const ras::RASCONNA& c : vpntest::LiveConnections()) {
            RasHangUpA(c.hrasconn);
        }
        VpnAppFixture::TearDown();
    }

    // Dials `own` connections of the program's entry and one of another entry, from this thread
    // (it pumps alertably); true once all are up.
    bool DialConnections(int own)
    {
        for (int i = 0; i <= own; ++i) {
            const std::string phonebook = dir_.Path("vpn" + std::to_string(i) + ".dat");
            const char* entry = i < own ? kEntryName : kOther;
            if (!BuildVpnEntry(entry, platform::Widen(phonebook), "hd01", "hd01pass", "127.0.0.11", 0)) {
                return false;
            }
            const ras::HRASCONN handle = DialDirectly(phonebook, entry);
            (i < own ? own_ : other_) = handle;
        }
        return uitest::PollUntil([&] { return connectedDials.load() == own + 1; }, 20000);
    }

    static constexpr const char* kOther = "其他连接";
    vpntest::TempDir dir_;
    ras::HRASCONN own_ = nullptr;
    ras::HRASCONN other_ = nullptr;
};

TEST_F(VpnHangUpOwn, WithNoOwnConnectionAnotherEntrysIsKept)
{
    ASSERT_TRUE(DialConnections(0));
    HangUpOwnConnections();
    const std::vector<ras::RASCONNA> live = vpntest::LiveConnections();
    ASSERT_EQ(live.size(), 1u);
    EXPECT_EQ(live[0].hrasconn, other_);
}

TEST_F(VpnHangUpOwn, BothOwnConnectionsAreHungUpAndAnotherEntrysIsKept)
{
    ASSERT_TRUE(DialConnections(2));
    ASSERT_EQ(vpntest::CountConnectionsOf(kEntryName), 2);
    HangUpOwnConnections();
    const std::vector<ras::RASCONNA> live = vpntest::LiveConnections();
    ASSERT_EQ(live.size(), 1u);
    EXPECT_STREQ(live[0].szEntryName, kOther);
    EXPECT_EQ(live[0].hrasconn, other_);
}

TEST_F(VpnHangUpOwn, MoreConnectionsThanTheFirstBufferHoldsAreAllHungUp)
{
    ASSERT_TRUE(DialConnections(17));
    ASSERT_EQ(vpntest::CountConnectionsOf(kEntryName), 17);
    HangUpOwnConnections();
    const std::vector<ras::RASCONNA> live = vpntest::LiveConnections();
    ASSERT_EQ(live.size(), 1u);
    EXPECT_EQ(live[0].hrasconn, other_);
}

TEST_F(VpnHangUpOwn, AConnectKeepsAnotherEntrysConnection)
{
    SetLines({vpntest::AcceptingLine()});
    ASSERT_TRUE(DialConnections(1));
    ASSERT_TRUE(Connect(1));
    EXPECT_EQ(Messages(), std::vector<UINT>{msg::MsgVpnConnected});
    EXPECT_EQ(vpntest::CountConnectionsOf(kOther), 1);
    EXPECT_EQ(vpntest::CountConnectionsOf(kEntryName), 1);
}

SORVIK_IN_BOTH_NOTIFY_MODES(VpnDial);

} // namespace
