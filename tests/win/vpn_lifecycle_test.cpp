// A connection's life as the player sees it in the real main window: the connected panel's
// figures while it is up, and a drop after Connected, announced only through RAS's disconnection
// event, reaching the failure panel.
#include "tests/win/main_window_fixture.h"

#include "app/lines/accelerate.h"
#include "app/lines/connection_texts.h"
#include "app/lines/speed_test.h"
#include "app/shell/tray.h"
#include "app/vpn/reports.h"
#include "platform/text.h"
#include "platform/ras_api.h"
#include "tests/win/ras_ledger.h"
#include "tests/win/vpn_test_support.h"
#include "tests/win/notify_modes.h"

namespace {

class VpnLifecycle : public MainWindowFixture, public notify_modes::InBothModes {
protected:
    void SetUp() override
    {
        UseMode();
        MainWindowFixture::SetUp();
        ASSERT_TRUE(uitest::PollUntil(SpeedTestDone, 20000));
    }

    void TearDown() override
    {
        HangUp();
        uitest::PollUntil([] { return platform::LiveThreadCount() == 0; }, 15000);
        MainWindowFixture::TearDown();
        EXPECT_EQ(ledger::Take(), std::vector<std::string>{}) << "RAS misused";
    }

    static bool Connected() { return (app().trayMenu.ItemState(kTrayStop) & MFS_GRAYED) == 0; }

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

    static std::string TrayTip() { return platform::Narrow(app().mainWindow.Tray().Record()->szTip); }
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

TEST_P(VpnLifecycle, ADropAfterConnectedShowsTheFailureWithTheSystemsText)
{
    AccelerateLine(1);
    ASSERT_TRUE(uitest::PollUntil(Connected, 15000));
    ASSERT_TRUE(uitest::PollUntil([] { return RunningReportStreams() == 1; }, 5000));
    std::string address;
    {
        std::lock_guard<platform::CriticalSection> lock(app().listLock);
        address = app().lineList.at(0).address;
    }
    ASSERT_EQ(service_control::Exchange("POST", "/_control/drop?address=" + address).status, 200);
    ASSERT_TRUE(uitest::PollUntil([] { return app().backButton.Visible(); }, 10000));
    EXPECT_EQ(app().resultText.Text(), vpntest::SystemErrorText(ras::kErrorRemoteDisconnection));
    EXPECT_FALSE(app().disconnectButton.Visible());
    EXPECT_TRUE(uitest::PollUntil([] { return RunningReportStreams() == 0; }, 5000)) << "the keep-alive ends";
    EXPECT_EQ(app().CurrentConnection.load(), nullptr);
}

SORVIK_IN_BOTH_NOTIFY_MODES(VpnLifecycle);

} // namespace
