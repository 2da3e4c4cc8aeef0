#include "app/vpn/reports.h"

#include "platform/win.h"

#include <mutex>
#include <optional>
#include <string>

#include "app/shell/app.h"
#include "app/vpn/connect.h"
#include "app/vpn/hello_url.h"
#include "app/vpn/http_request.h"
#include "app/vpn/keepalive_clock.h"
#include "platform/ras_api.h"
#include "platform/thread.h"
#include "service_config.h"

namespace {

constexpr std::uint32_t kTestPeriodMs = 1000;

// The current line's address, read under listLock; nothing when currentLine names no line.
std::optional<std::string> CurrentLineAddress()
{
    App& a = app();
    std::lock_guard<platform::CriticalSection> hold(a.listLock);
    const Line* line = FindLine(a.currentLine.load());
    if (!line) {
        return std::nullopt;
    }
    return line->address;
}

// A GET whose answer stays in the request for the caller to read.
void SendReport(HttpRequest& request, const std::string& url)
{
    request.Open("GET", url);
    request.Send();
}

bool Connected() { return app().CurrentConnection.load() != nullptr; }

} // namespace

ReportClock SystemClock()
{
    return {[] { return static_cast<std::uint32_t>(::GetTickCount()); }, [](std::uint32_t ms) { ::Sleep(ms); }};
}

void HangUp()
{
    // Taking the handle and clearing it is one step: two callers cannot both report.
    const ras::HRASCONN handle = app().CurrentConnection.exchange(nullptr);
    if (!handle) {
        return;
    }
    RasHangUpA(handle);
    platform::StartDetachedThread(ReportDisconnect);
}

void ReportDisconnect()
{
    HttpRequest request;
    if (const std::optional<std::string> address = CurrentLineAddress()) {
        SendReport(request, DisconnectUrl(build_config::kServiceHost, *address));
    }
}

void ReportKeepAlive() { RunKeepAlive(SystemClock()); }

void RunKeepAlive(const ReportClock& clock)
{
    HttpRequest request;
    std::string myIp;
    if (const std::optional<std::string> address = CurrentLineAddress()) {
        SendReport(request, HelloUrl(build_config::kServiceHost, *address));
        myIp = request.ResponseText();
    }
    std::uint32_t last = clock.tickCount();
    while (Connected()) {
        if (IntervalElapsed(last, clock.tickCount(), kKeepAliveIntervalMs)) {
            if (const std::optional<std::string> address = CurrentLineAddress()) {
                SendReport(request, KeepAliveUrl(build_config::kServiceHost, *address, myIp));
            }
            last = clock.tickCount();
        }
        clock.sleep(kTestPeriodMs);
    }
}
