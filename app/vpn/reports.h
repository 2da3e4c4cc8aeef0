// Telling the service about a connection, and hanging it up.
#pragma once

#include "platform/win.h"

#include <cstdint>
#include <functional>

struct VpnSession;

// Ends the current session: its handle is hung up (if it has one), CurrentConnection cleared, and
// its report stream sends the disconnect report. Any thread; of racing callers only one hangs up.
void HangUp();

// The keep-alive's sense of time, so that tests can pass 15 minutes at once.
struct ReportClock {
    std::function<std::uint32_t()> tickCount; // milliseconds, wrapping like GetTickCount
    // Waits up to `ms` for one of the handles: its index, or -1 when the time ran out.
    std::function<int(const HANDLE* handles, DWORD count, std::uint32_t ms)> wait;
};
ReportClock SystemClock();

// The connected session's one report stream, on the connect thread: the first hello, a keep-alive
// every 900000 ms, and the disconnect report once the program ends the session. A drop (seen through
// RasConnectionNotificationW) is shown as a failure with the system's text instead, and the
// dropped handle is hung up without a report.
void RunReports(VpnSession& session, const ReportClock& clock);

// How many report streams are running now.
int RunningReportStreams();
