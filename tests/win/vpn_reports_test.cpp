// The hello reports to the demo service: the first hello and the keep-alives on a clock the test
// drives (fifteen minutes pass in milliseconds), and the one disconnect report per hang-up.
#include "platform/win.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/vpn/connect.h"
#include "app/vpn/reports.h"
#include "platform/thread.h"
#include "tests/win/service_control.h"
#include "tests/win/vpn_test_support.h"

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

// A tick counter that moves only when the keep-alive sleeps. Once `stopAfter` ms have passed
// since the start, `atStop` runs (by default it clears CurrentConnection, as a hang-up does).
class FakeClock {
public:
    FakeClock(std::uint32_t start, std::uint32_t stopAfter)
        : start_(start)
        , now_(start)
        , stopAfter_(stopAfter)
    {
    }

    std::function<void()> atStop = [] { app().CurrentConnection = nullptr; };

    ReportClock Clock()
    {
        return {[this] { return now_; },
            [this](std::uint32_t ms) {
                now_ += ms;
                ++sleeps_;
                if (!stopped_ && static_cast<std::uint32_t>(now_ - start_) >= stopAfter_) {
                    stopped_ = true;
                    atStop();
                }
            }};
    }

    int Sleeps() const { return sleeps_; }

private:
    std::uint32_t start_;
    std::uint32_t now_;
    std::uint32_t stopAfter_;
    bool stopped_ = false;
    int sleeps_ = 0;
};

class VpnReports : public vpntest::VpnAppFixture {
protected:
    void SetUp() override
    {
        VpnAppFixture::SetUp();
        ASSERT_TRUE(service_control::RestoreDemoConfig());
        ASSERT_TRUE(service_control::ResetRecords());
        SetLines({vpntest::UnreachableLine(), vpntest::AcceptingLine()});
        app().currentLine = 2;
    }

    void TearDown() override
    {
        WaitForWorkers();
        VpnAppFixture::TearDown();
    }

    // Runs the keep-alive to its end on its own thread, as the program does.
    static bool KeepAlive(FakeClock& clock)
    {
        app().CurrentConnection = FakeHandle(0x5000);
        const ReportClock reportClock = clock.Clock();
        return RunOnWorker([&reportClock] { RunKeepAlive(reportClock); }, 60000);
    }

    // The report threads HangUp started have all ended.
    static bool WaitForWorkers()
    {
        return vpntest::PumpUntil([] { return platform::LiveThreadCount() == 0; }, 15000);
    }
};

// ---------------------------------------------------------------------------------------------
// Keep-alive.

TEST_F(VpnReports, FirstHelloThenOneKeepAliveEveryFifteenMinutesWithTheFirstAnswer)
{
    FakeClock clock(5000, 2 * 900000 + 1000);
    ASSERT_TRUE(KeepAlive(clock));
    // The service answers a hello with the caller's address.
    const std::string keepAlive = "?ip=127.0.0.11&myip=127.0.0.1";
    EXPECT_EQ(HelloQueries(), (std::vector<std::string>{"?ip=127.0.0.11", keepAlive, keepAlive}));
    // Tested once a second.
    EXPECT_EQ(clock.Sleeps(), (2 * 900000 + 1000) / 1000);
}

TEST_F(VpnReports, AnEmptyFirstAnswerGivesAnEmptyMyIp)
{
    ASSERT_TRUE(service_control::QueueFaults(R"({"/jsq/line/hello.php": [{"status": 200, "body": ""}]})"));
    FakeClock clock(5000, 900000 + 1000);
    ASSERT_TRUE(KeepAlive(clock));
    EXPECT_EQ(HelloQueries(), (std::vector<std::string>{"?ip=127.0.0.11", "?ip=127.0.0.11&myip="}));
}

TEST_F(VpnReports, NoKeepAliveGoesOutBeforeFifteenMinutes)
{
    FakeClock clock(5000, 900000);
    ASSERT_TRUE(KeepAlive(clock));
    EXPECT_EQ(HelloQueries(), std::vector<std::string>{"?ip=127.0.0.11"});
}

TEST_F(VpnReports, TheIntervalHoldsAcrossAWrapOfTheTickCounter)
{
    // The counter wraps 400 s after the first hello.
    const std::uint32_t start = 0xFFFFFFFFu - 400000u + 1u;
    FakeClock justBefore(start, 900000);
    ASSERT_TRUE(KeepAlive(justBefore));
    EXPECT_EQ(HelloQueries(), std::vector<std::string>{"?ip=127.0.0.11"});

    ASSERT_TRUE(service_control::ResetRecords());
    FakeClock justAfter(start, 900000 + 1000);
    ASSERT_TRUE(KeepAlive(justAfter));
    EXPECT_EQ(HelloQueries(), (std::vector<std::string>{"?ip=127.0.0.11", "?ip=127.0.0.11&myip=127.0.0.1"}));
}

TEST_F(VpnReports, AConnectionHungUpAfterTenMinutesReportsHelloAndRemoveOnly)
{
    FakeClock clock(5000, 600000);
    clock.atStop = [] { HangUp(); };
    ASSERT_TRUE(KeepAlive(clock));
    ASSERT_TRUE(WaitForWorkers());
    EXPECT_EQ(HelloQueries(), (std::vector<std::string>{"?ip=127.0.0.11", "?ip=127.0.0.11&remove=1"}));
}

TEST_F(VpnReports, TheFirstHelloGoesOutEvenWhenAlreadyHungUp)
{
    FakeClock clock(5000, 0xFFFFFFFFu);
    const ReportClock reportClock = clock.Clock();
    app().CurrentConnection = nullptr;
    ASSERT_TRUE(RunOnWorker([&reportClock] { RunKeepAlive(reportClock); }));
    EXPECT_EQ(HelloQueries(), std::vector<std::string>{"?ip=127.0.0.11"});
    EXPECT_EQ(clock.Sleeps(), 0);
}

TEST_F(VpnReports, KeepAlivesFollowTheCurrentLineAndSkipALineThatIsGone)
{
    FakeClock clock(5000, 2 * 900000 + 1000);
    int sleeps = 0;
    // After the first keep-alive the list is refreshed without that line.
    const ReportClock inner = clock.Clock();
    const ReportClock reportClock{inner.tickCount, [&](std::uint32_t ms) {
                                      if (++sleeps == 901) {
                                          SetLines({vpntest::UnreachableLine()});
                                      }
                                      inner.sleep(ms);
                                  }};
    app().CurrentConnection = FakeHandle(0x5000);
    ASSERT_TRUE(RunOnWorker([&reportClock] { RunKeepAlive(reportClock); }, 60000));
    EXPECT_EQ(HelloQueries(), (std::vector<std::string>{"?ip=127.0.0.11", "?ip=127.0.0.11&myip=127.0.0.1"}));
}

TEST_F(VpnReports, NoHelloWhenTheCurrentLineIsGone)
{
    app().currentLine = 3;
    FakeClock clock(5000, 900000 + 1000);
    ASSERT_TRUE(KeepAlive(clock));
    EXPECT_TRUE(HelloQueries().empty());
}

// ---------------------------------------------------------------------------------------------
// Hang-up and the disconnect report.

TEST_F(VpnReports, HangingUpALiveConnectionReportsItOnce)
{
    seen_.clear();
    ASSERT_TRUE(RunOnWorker([] { ConnectLine(2); }) && WaitForOutcome());
    ASSERT_EQ(Messages(), std::vector<UINT>{msg::MsgVpnConnected});
    const ras::HRASCONN handle = app().CurrentConnection.load();
    ASSERT_EQ(vpntest::LiveConnections().size(), 1u);
    ASSERT_TRUE(service_control::ResetRecords());

    HangUp();
    EXPECT_EQ(app().CurrentConnection.load(), nullptr);
    EXPECT_TRUE(vpntest::LiveConnections().empty());
    ASSERT_TRUE(WaitForWorkers());
    HangUp();
    ASSERT_TRUE(WaitForWorkers());
    EXPECT_EQ(HelloQueries(), std::vector<std::string>{"?ip=127.0.0.11&remove=1"});
    // RAS forgot the handle: hanging it up again is refused.
    EXPECT_NE(RasHangUpA(handle), 0u);
}

TEST_F(VpnReports, HangUpsRacingForOneHandleReportOnce)
{
    app().CurrentConnection = FakeHandle(0x6000);
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
    EXPECT_EQ(HelloQueries(), std::vector<std::string>{"?ip=127.0.0.11&remove=1"});
}

TEST_F(VpnReports, HangUpWithoutAConnectionDoesNothing)
{
    app().CurrentConnection = nullptr;
    HangUp();
    EXPECT_EQ(platform::LiveThreadCount(), 0);
    ASSERT_TRUE(WaitForWorkers());
    EXPECT_TRUE(HelloQueries().empty());
}

TEST_F(VpnReports, TheDisconnectReportIsSkippedWhenTheLineIsGone)
{
    for (int lineIndex : {0, 3, -2}) {
        app().currentLine = lineIndex;
        app().CurrentConnection = FakeHandle(0x6000);
        HangUp();
        EXPECT_EQ(app().CurrentConnection.load(), nullptr);
        ASSERT_TRUE(WaitForWorkers());
    }
    EXPECT_TRUE(HelloQueries().empty());
}

} // namespace
