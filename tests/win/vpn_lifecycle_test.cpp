// A connection's life as the player sees it in the real main window: a drop after Connected,
// announced only through RAS's disconnection event, reaches the failure panel.
#include "tests/win/main_window_fixture.h"

#include "app/lines/accelerate.h"
#include "app/lines/speed_test.h"
#include "app/shell/tray.h"
#include "app/vpn/reports.h"
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
};

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
