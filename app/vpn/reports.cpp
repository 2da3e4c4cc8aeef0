#include "app/vpn/reports.h"

#include <atomic>
#include <string>

#include "app/vpn/hello_url.h"
#include "app/vpn/keepalive_clock.h"
#include "app/vpn/service_address.h"
#include "app/vpn/service_fetch.h"
#include "app/vpn/vpn_session.h"
#include "platform/handles.h"
#include "platform/ras_api.h"

namespace {

std::atomic<int> runningStreams{0};

// Counts one running stream for its scope.
class StreamCount {
public:
    StreamCount() { ++runningStreams; }
    ~StreamCount() { --runningStreams; }
    StreamCount(const StreamCount&) = delete;
    StreamCount& operator=(const StreamCount&) = delete;
};

// A GET whose answer text is returned; the service's status is not looked at.
std::string SendReport(const std::string& url)
{
    const Fetched answer = ServiceGet(url, {kHelloAnswerLimit});
    return std::string(answer.body.begin(), answer.body.end());
}

// RAS's error for a dropped connection; 0 when it no longer knows the handle.
DWORD DropError(ras::HRASCONN handle)
{
    ras::RASCONNSTATUSW status{};
    status.dwSize = ras::kRasConnStatusSizeOf<WCHAR>;
    return RasGetConnectStatusW(handle, &status) == 0 ? status.dwError : 0;
}

} // namespace

ReportClock SystemClock()
{
    return {[] { return static_cast<std::uint32_t>(::GetTickCount()); },
        [](const HANDLE* handles, DWORD count, std::uint32_t ms) {
            const DWORD woke = ::WaitForMultipleObjects(count, handles, FALSE, ms);
            return woke < WAIT_OBJECT_0 + count ? static_cast<int>(woke - WAIT_OBJECT_0) : -1;
        }};
}

void HangUp()
{
    if (const std::shared_ptr<VpnSession> session = CurrentSession()) {
        EndSession(*session);
    }
}

int RunningReportStreams() { return runningStreams.load(); }

void ReportDisconnect(const std::string& address) { SendReport(DisconnectUrl(ServiceBaseUrl(), address)); }

ReportsEnd RunReports(VpnSession& session, const ReportClock& clock)
{
    const StreamCount counted;
    const ras::HRASCONN handle = session.handle;
    // Watched before the first hello, so that a drop meanwhile is not missed.
    platform::UniqueHandle dropped(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const bool watching
        = handle && dropped && RasConnectionNotificationW(handle, dropped.Get(), ras::RASCN_Disconnection) == 0;

    const std::string base = ServiceBaseUrl();
    const std::string myIp = MyIpFromAnswer(SendReport(HelloUrl(base, session.address)));

    const HANDLE waits[2] = {session.endEvent.Get(), dropped.Get()};
    std::uint32_t last = clock.tickCount();
    for (;;) {
        const std::uint32_t elapsed = ElapsedMs(last, clock.tickCount());
        const std::uint32_t left = elapsed >= kKeepAliveIntervalMs ? 0 : kKeepAliveIntervalMs - elapsed;
        const int woke = clock.wait(waits, watching ? 2 : 1, left);
        // The program's own hang-up also signals the disconnection event.
        if (woke == 0 || (woke == 1 && IsEnded(session))) {
            SendReport(DisconnectUrl(base, session.address));
            return {};
        }
        if (woke == 1) {
            return {true, DropError(handle)};
        }
        if (IntervalElapsed(last, clock.tickCount(), kKeepAliveIntervalMs)) {
            SendReport(KeepAliveUrl(base, session.address, myIp));
            last = clock.tickCount();
        }
    }
}
