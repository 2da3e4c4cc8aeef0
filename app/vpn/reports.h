// Telling the service about the connection, and hanging it up.
#pragma once

#include <cstdint>
#include <functional>

// Hangs up CurrentConnection if there is one, clears it and starts the disconnect report. Any thread.
// Of two callers racing for the same handle only one hangs up and reports.
void HangUp();

// Thread bodies. A report whose currentLine names no line of LineList is skipped.
void ReportKeepAlive();
void ReportDisconnect();

// The keep-alive's sense of time, so that tests can pass 15 minutes at once.
struct ReportClock {
    std::function<std::uint32_t()> tickCount; // milliseconds, wrapping like GetTickCount
    std::function<void(std::uint32_t ms)> sleep;
};
ReportClock SystemClock();

// ReportKeepAlive with the given clock: the first hello, then one every 900000 ms while connected.
void RunKeepAlive(const ReportClock& clock);
