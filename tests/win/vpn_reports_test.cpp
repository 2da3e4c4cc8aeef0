// One report stream per connection: the first hello and the keep-alives on a clock the test drives
// (fifteen minutes pass in milliseconds), the one disconnect report per hang-up, all with the
// address that was dialled; and a drop, whose connection is reported removed once, before a redial.
#include "platform/win.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/vpn/connect.h"
#include "app/vpn/reports.h"
#include "app/vpn/vpn_session.h"
#include "platform/thread.h"
#include "tests/win/service_control.h"
#include "tests/win/vpn_test_support.h"
#include "tests/win/notify_modes.h"

namespace {

using vpntest::FakeHandle;

const std::string kHello = "GET /jsq/line/hello.php";

// The hello requests the service has seen, as their queries.
std::vector<std::string> HelloQueries()
{
    std::vector<std::string> queries;
    for (const std::string& line : service_control::HttpRequestLines()) {
        if (line.starts_with(kHello)) {
            queries.push_back(line.substr(kHello.size()));
        }
    }
    return queries;
}

// A tick counter that moves only while the reports wait. Once `stopAfter` ms have passed since the
// start, `atStop` runs (by default the program's own hang-up).
class FakeClock {
public:
    FakeClock(std::uint32_t start, std::uint32_t stopAfter)
        : start_(start)
        , now_(start)
        , stopAfter_(stopAfter)
    {
    }

    std::function<void()> atStop = [] { HangUp(); };

    ReportClock Clock()
    {
        return {[this] { return now_; },
            [this](const HANDLE* handles, DWORD count, std::uint32_t ms) {
                ++waits_;
                const std::uint32_t untilStop = stopAfter_ - static_cast<std::uint32_t>(now_ - start_);
                if (!stopped_ && ms >= untilStop) {
                    now_ += untilStop;
                    stopped_ = true;
                    atStop();
                } else {
                    now_ += ms;
                }
                const DWORD woke = ::WaitForMultipleObjects(count, handles, FALSE, 0);
                return woke < WAIT_OBJECT_0 + count ? static_cast<int>(woke - WAIT_OBJECT_0) : -1;
            }};
    }

    int Waits() const { return waits_; }

private:
    std::uint32_t start_;
    std::uint32_t now_;
    std::uint32_t stopAfter_;
    bool stopped_ = false;
    int waits_ = 0;
};

class VpnReports : public vpntest::VpnAppFixture, public notify_modes::InBothModes {
protected:
    void SetUp() override
    {
        UseMode();
        VpnAppFixture::SetUp();
        ASSERT_TRUE(service_control::RestoreDemoConfig());
        ASSERT_TRUE(service_control::ResetRecords());
        SetLines({vpntest::UnreachableLine(), vpntest::AcceptingLine(), vpntest::SecondAcceptingLine()});
        app().currentLine = 2;
    }

    // Runs a connected session's reports to their end on a thread of their own. The session has no
    // RAS handle: only the program's hang-up can end it.
    static bool Reports(FakeClock& clock)
    {
        const std::shared_ptr<VpnSession> session = BeginSession();
        session->address = "127.0.0.11";
        const ReportClock reportClock = clock.Clock();
        return RunOnWorker([&] { RunReports(*session, reportClock); }, 60000);
    }

    // The report threads have all ended.
    static bool WaitForWorkers()
    {
        return uitest::PollUntil([] { return platform::LiveThreadCount() == 0; }, 15000);
    }
};

const std::string kFirst = "?ip=127.0.0.11";
const std::string kKeepAlive = "?ip=127.0.0.11&myip=127.0.0.1"; // the service answers with the caller's address
const std::string kRemove = "?ip=127.0.0.11&remove=1";

// ---------------------------------------------------------------------------------------------
// Keep-alive.

TEST_P(VpnReports, FirstHelloThenOneKeepAliveEveryFifteenMinutesAndTheRemoveAtTheHangUp)
{
    FakeClock clock(5000, 2 * 900000 + 1000);
    ASSERT_TRUE(Reports(clock));
    EXPECT_EQ(HelloQueries(), (std::vector<std::string>{kFirst, kKeepAlive, kKeepAlive, kRemove}));
    // The stream waits out each interval (or the hang-up) at once; it does not poll.
    EXPECT_EQ(clock.Waits(), 3);
}

TEST_P(VpnReports, AnAnswerThatIsNoAddressGivesAnEmptyMyIp)
{
    for (const char* answer : {"", "<html>busy</html>"}) {
        ASSERT_TRUE(service_control::ResetRecords());
        ASSERT_TRUE(service_control::QueueFaults(
            std::string(R"({"/jsq/line/hello.php": [{"status": 200, "body": ")") + answer + "\"}]}"));
        FakeClock clock(5000, 900000 + 1000);
        ASSERT_TRUE(Reports(clock));
        EXPECT_EQ(HelloQueries(), (std::vector<std::string>{kFirst, "?ip=127.0.0.11&myip=", kRemove})) << answer;
    }
}

TEST_P(VpnReports, TheIntervalHoldsAcrossAWrapOfTheTickCounter)
{
    // The counter wraps 400 s after the first hello.
    const std::uint32_t start = 0xFFFFFFFFu - 400000u + 1u;
    FakeClock justBefore(start, 900000 - 1);
    ASSERT_TRUE(Reports(justBefore));
    EXPECT_EQ(HelloQueries(), (std::vector<std::string>{kFirst, kRemove}));

    ASSERT_TRUE(service_control::ResetRecords());
    FakeClock justAfter(start, 900000 + 1000);
    ASSERT_TRUE(Reports(justAfter));
    EXPECT_EQ(HelloQueries(), (std::vector<std::string>{kFirst, kKeepAlive, kRemove}));
}

// ---------------------------------------------------------------------------------------------
// Real connections: hang-up, reconnect and drop.

TEST_P(VpnReports, HangingUpALiveConnectionReportsItOnceAndEndsItsStream)
{
    ASSERT_TRUE(Connect(2));
    ASSERT_EQ(Messages(), std::vector<UINT>{msg::MsgVpnConnected});
    ASSERT_EQ(vpntest::LiveConnections().size(), 1u);
    ASSERT_TRUE(uitest::PollUntil([] { return HelloQueries().size() == 1; }, 10000));

    HangUp();
    EXPECT_EQ(app().CurrentConnection.load(), nullptr);
    EXPECT_TRUE(vpntest::LiveConnections().empty());
    ASSERT_TRUE(WaitForWorkers());
    HangUp();
    ASSERT_TRUE(WaitForWorkers());
    EXPECT_EQ(HelloQueries(), (std::vector<std::string>{kFirst, kRemove}));
}

TEST_P(VpnReports, AConnectionOutlivesTheDialsBoundWithItsOneHello)
{
    // The bound is for a dial without an outcome; this one has had its outcome, from whichever
    // thread RAS called the notifier on.
    SetDialBoundMs(2000);
    const bool connected = Connect(2);
    uitest::PumpFor(3500);
    SetDialBoundMs(60000);
    ASSERT_TRUE(connected);
    EXPECT_EQ(Messages(), std::vector<UINT>{msg::MsgVpnConnected});
    EXPECT_EQ(vpntest::LiveConnections().size(), 1u);
    EXPECT_EQ(HelloQueries(), std::vector<std::string>{kFirst});
}

TEST_P(VpnReports, HangUpsRacingForOneConnectionReportOnce)
{
    ASSERT_TRUE(Connect(2));
    platform::UniqueHandle go(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::vector<platform::UniqueHandle> racers;
    for (int i = 0; i < 8; ++i) {
        racers.push_back(platform::StartThread([&go] {
            ::WaitForSingleObject(go.Get(), 5000);
            HangUp();
        }));
    }
    ::SetEvent(go.Get());
    ASSERT_TRUE(WaitForWorkers());
    EXPECT_EQ(HelloQueries(), (std::vector<std::string>{kFirst, kRemove}));
}

TEST_P(VpnReports, HangUpWithoutAConnectionDoesNothing)
{
    HangUp();
    EXPECT_EQ(platform::LiveThreadCount(), 0);
    EXPECT_TRUE(HelloQueries().empty());
}

TEST_P(VpnReports, AReconnectRemovesTheReplacedConnectionAndLeavesOneStream)
{
    ASSERT_TRUE(Connect(2));
    ASSERT_TRUE(uitest::PollUntil([] { return HelloQueries().size() == 1; }, 10000));
    ASSERT_TRUE(Connect(3));
    ASSERT_EQ(Messages(), std::vector<UINT>{msg::MsgVpnConnected});
    ASSERT_TRUE(uitest::PollUntil([] { return HelloQueries().size() == 3; }, 10000));
    EXPECT_EQ(HelloQueries(), (std::vector<std::string>{kFirst, kRemove, "?ip=127.0.0.12"}));
    EXPECT_TRUE(uitest::PollUntil([] { return RunningReportStreams() == 1; }, 5000));
    EXPECT_EQ(platform::LiveThreadCount(), 1);
}

TEST_P(VpnReports, ADropWithTheSwitchOffShowsTheSystemTextAtOnceHangsUpAndReportsTheRemove)
{
    app().autoReconnect = false;
    ASSERT_TRUE(Connect(2));
    const ras::HRASCONN handle = app().CurrentConnection.load();
    ASSERT_TRUE(uitest::PollUntil([] { return HelloQueries().size() == 1; }, 10000));
    seen_.clear();
    ASSERT_EQ(service_control::Exchange("POST", "/_control/drop?address=127.0.0.11").status, 200);
    ASSERT_TRUE(WaitForOutcome(10000));
    ASSERT_EQ(Messages(), std::vector<UINT>{msg::MsgVpnDisconnected});
    EXPECT_TRUE(seen_[0].connectionSet);
    EXPECT_EQ(seen_[0].status, vpntest::SystemErrorText(ras::kErrorRemoteDisconnection));
    ASSERT_TRUE(WaitForWorkers());
    EXPECT_EQ(RunningReportStreams(), 0);
    EXPECT_EQ(app().CurrentConnection.load(), nullptr);
    // Hung up: RAS forgets the handle once the port is released.
    ras::RASCONNSTATUSA status{};
    status.dwSize = ras::kRasConnStatusSize;
    EXPECT_TRUE(uitest::PollUntil([&] { return RasGetConnectStatusA(handle, &status) == ERROR_INVALID_HANDLE; }, 3000));
    EXPECT_EQ(HelloQueries(), (std::vector<std::string>{kFirst, kRemove}));
    EXPECT_EQ(vpntest::PptpResults("127.0.0.11"), (std::vector<std::string>{"ok", "dropped"})) << "no redial";
}

TEST_P(VpnReports, ADropWithTheLineStillUpComesBackOnTheSameAddressWithinThreeSeconds)
{
    ASSERT_TRUE(Connect(2));
    const ras::HRASCONN dropped = app().CurrentConnection.load();
    ASSERT_TRUE(uitest::PollUntil([] { return HelloQueries().size() == 1; }, 10000));
    seen_.clear();
    const DWORD start = ::GetTickCount();
    ASSERT_EQ(service_control::Exchange("POST", "/_control/drop?address=127.0.0.11").status, 200);
    ASSERT_TRUE(
        uitest::PollUntil([this] { return !seen_.empty() && seen_.back().message != msg::MsgVpnReconnecting; }, 10000));
    EXPECT_LT(::GetTickCount() - start, 3000u);
    ASSERT_EQ(Messages(), (std::vector<UINT>{msg::MsgVpnReconnecting, msg::MsgVpnConnected}));
    EXPECT_EQ(seen_[0].wParam, 1u);
    EXPECT_NE(app().CurrentConnection.load(), nullptr);
    EXPECT_NE(app().CurrentConnection.load(), dropped);
    // The dropped connection's remove, then the new connection's hello.
    ASSERT_TRUE(uitest::PollUntil([] { return HelloQueries().size() == 3; }, 10000));
    EXPECT_EQ(HelloQueries(), (std::vector<std::string>{kFirst, kRemove, kFirst}));
    EXPECT_EQ(vpntest::PptpResults("127.0.0.11"), (std::vector<std::string>{"ok", "dropped", "ok"}));
    EXPECT_TRUE(uitest::PollUntil([] { return RunningReportStreams() == 1; }, 5000));
    EXPECT_EQ(vpntest::LiveConnections().size(), 1u);
}

SORVIK_IN_BOTH_NOTIFY_MODES(VpnReports);

} // namespace
