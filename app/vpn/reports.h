// Telling the service about a connection, and hanging it up.
#pragma once

#include "platform/win.h"

#include <cstdint>
#include <functional>
#include <string>

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

// How a report stream ended: the program ended the session (its disconnect report has gone out),
// or the connection dropped (seen through RasConnectionNotificationW) with RAS's error.
struct ReportsEnd {
    bool dropped = false;
    DWORD error = 0;
};

// The connected session's one report stream, on the connect thread: the first hello, a keep-alive
// every 900000 ms, and the disconnect report once the program ends the session. After a drop it
// has sent nothing more: the caller hangs up, then sends the disconnect report.
ReportsEnd RunReports(VpnSession& session, const ReportClock& clock);

// The disconnect report ("&remove=1") of a connection to that address.
void ReportDisconnect(const std::string& address);

// How many report streams are running now.
int RunningReportStreams();
