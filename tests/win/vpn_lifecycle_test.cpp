// A connection's life as the player sees it in the real main window: the connected panel's
// figures while it is up, and a drop announced only through RAS's disconnection event: with the
// tray's switch "断线自动重连" on, the line is dialled again (a line that refuses gets four tries,
// then the failure panel; a stop ends the tries); with it off, the failure panel at once.
#include "tests/win/main_window_fixture.h"

#include <string>
#include <vector>

#include "app/lines/accelerate.h"
#include "app/lines/connection_texts.h"
#include "app/lines/speed_test.h"
#include "app/shell/reconnect_switch.h"
#include "app/shell/tray.h"
#include "app/vpn/reconnect_policy.h"
#include "app/vpn/reports.h"
#include "platform/ras_api.h"
#include "platform/text.h"
#include "tests/win/notify_modes.h"
#include "tests/win/ras_ledger.h"
#include "tests/win/test_files.h"
#include "tests/win/vpn_test_support.h"

namespace {

class VpnLifecycle : public MainWindowFixture, public notify_modes::InBothModes {
protected:
    void SetUp() override
    {
        UseMode();
        ::DeleteFileW(SettingsPath().c_str());
        MainWindowFixture::SetUp();
        ASSERT_TRUE(uitest::PollUntil(SpeedTestDone, 20000));
    }

    void TearDown() override
    {
        HangUp();
        uitest::PollUntil([] { return platform::LiveThreadCount() == 0; }, 15000);
        MainWindowFixture::TearDown();
        ::DeleteFileW(SettingsPath().c_str());
        EXPECT_EQ(ledger::Take(), std::vector<std::string>{}) << "RAS misused";
    }

    static bool Connected() { return (app().trayMenu.ItemState(kTrayStop) & MFS_GRAYED) == 0; }

    // Connects to the first line and gives its address once the connection's reports run.
    static std::string ConnectFirstLine()
    {
        AccelerateLine(1);
        if (!uitest::PollUntil(Connected, 15000)
            || !uitest::PollUntil([] { return RunningReportStreams() == 1; }, 5000)) {
            return {};
        }
        std::lock_guard<platform::CriticalSection> lock(app().listLock);
        return app().lineList.at(0).address;
    }

    static bool Drop(const std::string& address, int refuse = 0)
    {
        return service_control::Exchange(
                   "POST", "/_control/drop?address=" + address + "&refuse=" + std::to_string(refuse))
                   .status
            == 200;
    }

    static std::string LineAddress(size_t index)
    {
        std::lock_guard<platform::CriticalSection> lock(app().listLock);
        return app().lineList.at(index).address;
    }

    static std::string LineName(size_t index)
    {
        std::lock_guard<platform::CriticalSection> lock(app().listLock);
        return app().lineList.at(index).name;
    }

    static std::string TrayTip()
    {
        const NOTIFYICONDATAW* record = app().mainWindow.Tray().Record();
        return record ? platform::Narrow(record->szTip) : std::string();
    }
};

TEST_P(VpnLifecycle, TheConnectedPanelCountsTimeAndTrafficOnlyWhileShownAndStopsWithTheConnection)
{
    ConnectionPanel& panel = app().connectionPanel;
    EXPECT_FALSE(panel.connectedText.Visible());
    AccelerateLine(1);
    ASSERT_TRUE(uitest::PollUntil(Connected, 15000));
    ASSERT_TRUE(uitest::PollUntil([&] { return panel.connectedText.Text() == "已连接 00:01"; }, 3000));
    EXPECT_TRUE(panel.connectedText.Visible());
    const std::string traffic = panel.trafficText.Text();
    EXPECT_EQ(traffic.rfind("发送 ", 0), 0u) << traffic;
    ASSERT_TRUE(uitest::PollUntil([&] { return panel.connectedText.Text() == "已连接 00:02"; }, 2000));
    EXPECT_NE(panel.trafficText.Text(), traffic) << "the counters grow with the connection";

    // Hidden, nothing ticks and nothing is written; shown again, the figures are current at once.
    app().mainWindow.Visible(false);
    EXPECT_FALSE(panel.secondTimer.Running());
    uitest::PollUntil([] { return false; }, 1500);
    EXPECT_EQ(panel.connectedText.Text(), "已连接 00:02");
    app().mainWindow.Visible(true);
    EXPECT_NE(panel.connectedText.Text(), "已连接 00:02");
    EXPECT_TRUE(panel.secondTimer.Running());

    StopAcceleration();
    ASSERT_TRUE(uitest::PollUntil([] { return app().lineListView.Visible(); }, 10000));
    EXPECT_FALSE(panel.connectedText.Visible());
    EXPECT_FALSE(panel.latencySummaryText.Visible());
    EXPECT_FALSE(panel.secondTimer.Running());
    EXPECT_EQ(TrayTip(), "Sorvik加速器");
}

TEST_P(VpnLifecycle, TheLatencyFollowsALineWhoseProbeAnswersLater)
{
    ConnectionPanel& panel = app().connectionPanel;
    AccelerateLine(1);
    ASSERT_TRUE(uitest::PollUntil(Connected, 15000));
    ASSERT_TRUE(uitest::PollUntil([&] { return panel.measured; }, 5000));
    EXPECT_GE(panel.lastLatencyMs, 0);
    EXPECT_LT(panel.lastLatencyMs, 500);
    EXPECT_EQ(panel.latencyText.Text(), "当前延时 " + std::to_string(panel.lastLatencyMs) + " 毫秒");
    EXPECT_EQ(TrayTip(), LineName(0) + " 延时 " + std::to_string(panel.lastLatencyMs) + " 毫秒");

    // The line's server now drops each first SYN: a connect takes the client's retransmission.
    ASSERT_EQ(
        service_control::Exchange("POST", "/_control/probe_delay?address=" + LineAddress(0) + "&ms=300").status, 200);
    ASSERT_TRUE(uitest::PollUntil([&] { return panel.lastLatencyMs >= 900; }, 12000)) << panel.lastLatencyMs;
    EXPECT_EQ(panel.latencyText.Text(), "当前延时 " + std::to_string(panel.lastLatencyMs) + " 毫秒");
    EXPECT_EQ(TrayTip(), LineName(0) + " 延时 " + std::to_string(panel.lastLatencyMs) + " 毫秒");
    const LatencySummary minute = panel.latencies.Summarise(::GetTickCount64());
    EXPECT_GE(minute.probes, 2);
    EXPECT_EQ(minute.highest, panel.lastLatencyMs);
    EXPECT_LT(minute.lowest, 500);
    EXPECT_EQ(panel.latencySummaryText.Text(), LatencySummaryText(minute));
}

TEST_P(VpnLifecycle, TheSwitchIsOnByDefaultAndKeptInSettingsIni)
{
    EXPECT_TRUE(TrayItemChecked(kTrayAutoReconnect));
    ToggleAutoReconnect();
    EXPECT_FALSE(TrayItemChecked(kTrayAutoReconnect));
    EXPECT_FALSE(app().autoReconnect.load());
    EXPECT_EQ(FileText(SettingsPath()), "[Sorvik]\r\nAutoReconnect=0\r\n");
    EXPECT_FALSE(LoadAutoReconnect()) << "the next start reads it";
    ASSERT_TRUE(platform::WriteWholeFile(SettingsPath(), {'[', 'S', 'o', 'r', 'v', 'i', 'k', ']', '\n', 'x'}));
    EXPECT_TRUE(LoadAutoReconnect()) << "a garbled file means on";
}

TEST_P(VpnLifecycle, WithTheSwitchOffADropShowsTheFailureWithTheSystemsTextAtOnce)
{
    ToggleAutoReconnect();
    const std::string address = ConnectFirstLine();
    ASSERT_FALSE(address.empty());
    ASSERT_TRUE(Drop(address));
    ASSERT_TRUE(uitest::PollUntil([] { return app().backButton.Visible(); }, 10000));
    EXPECT_EQ(app().resultText.Text(), vpntest::SystemErrorText(ras::kErrorRemoteDisconnection));
    EXPECT_FALSE(app().disconnectButton.Visible());
    EXPECT_TRUE(uitest::PollUntil([] { return RunningReportStreams() == 0; }, 5000)) << "the keep-alive ends";
    EXPECT_EQ(app().CurrentConnection.load(), nullptr);
    uitest::PumpFor(1500); // a redial would have reached the line by now
    EXPECT_EQ(vpntest::PptpResults(address), (std::vector<std::string>{"ok", "dropped"}));
}

TEST_P(VpnLifecycle, ALineThatRefusesItsRedialsGetsFourTriesThenTheFailureWithTheLastError)
{
    const std::string address = ConnectFirstLine();
    ASSERT_FALSE(address.empty());
    const DWORD start = ::GetTickCount();
    ASSERT_TRUE(Drop(address, 4));
    // Each try's text on the panel, and whether the tray's tooltip said the same.
    std::vector<std::string> tries;
    bool tipFollowed = true;
    ASSERT_TRUE(uitest::PollUntil(
        [&] {
            const std::string text = app().resultText.Text();
            if (app().resultText.Visible() && !app().backButton.Visible() && (tries.empty() || tries.back() != text)) {
                tries.push_back(text);
                tipFollowed = tipFollowed && TrayTip() == text;
            }
            return app().backButton.Visible();
        },
        40000));
    const DWORD elapsed = ::GetTickCount() - start;
    EXPECT_EQ(tries,
        (std::vector<std::string>{ReconnectTryText(1), ReconnectTryText(2), ReconnectTryText(3), ReconnectTryText(4)}));
    EXPECT_TRUE(tipFollowed);
    EXPECT_GE(elapsed, 14000u) << "waits of 2, 4 and 8 s";
    EXPECT_EQ(app().resultText.Text(), vpntest::SystemErrorText(ras::kErrorAuthenticationFailure));
    EXPECT_EQ(TrayTip(), "Sorvik加速器");
    EXPECT_EQ(vpntest::PptpResults(address), (std::vector<std::string>{"ok", "dropped", "691", "691", "691", "691"}));
    EXPECT_TRUE(uitest::PollUntil([] { return platform::LiveThreadCount() == 0; }, 5000));
    EXPECT_TRUE(vpntest::LiveConnections().empty());
}

TEST_P(VpnLifecycle, AStopDuringTheBackOffEndsTheRedialsWithNoDialAfterIt)
{
    const std::string address = ConnectFirstLine();
    ASSERT_FALSE(address.empty());
    ASSERT_TRUE(Drop(address, 4));
    // The second try is announced as its 2 s wait begins.
    ASSERT_TRUE(uitest::PollUntil([] { return app().resultText.Text() == ReconnectTryText(2); }, 15000));
    StopAcceleration();
    EXPECT_TRUE(
        uitest::PollUntil([] { return platform::LiveThreadCount() == 0 && app().lineListView.Visible(); }, 1500))
        << "the wait ends at once";
    uitest::PumpFor(3000); // the second try would have reached the line by now
    EXPECT_EQ(vpntest::PptpResults(address), (std::vector<std::string>{"ok", "dropped", "691"}));
    EXPECT_TRUE(vpntest::LiveConnections().empty());
    EXPECT_EQ(TrayTip(), "Sorvik加速器");
}

SORVIK_IN_BOTH_NOTIFY_MODES(VpnLifecycle);

} // namespace
