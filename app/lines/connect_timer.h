// How long a TCP connection to a server takes to be established.
#pragma once

#include <string>

// Milliseconds from connect() until the socket is writable, or -1 when it did
// not connect within `timeoutMs` (refused, unreachable, silent or bad address:
// a failed connect is never reported early, so every failure waits the time-out).
// Measured with the performance counter: the tick counter moves in steps of 10-16 ms on Windows,
// and lines a few milliseconds apart would tie.
int MeasureConnectTime(const std::string& address, int port, int timeoutMs);

// `counts` ticks of a counter of `frequency` ticks per second in whole milliseconds, the nearest
// (a half rounds up); 0 for a frequency of 0 or less.
constexpr long long RoundedMilliseconds(long long counts, long long frequency)
{
    if (frequency <= 0) {
        return 0;
    }
    // Whole seconds apart so that counts * 1000 cannot overflow.
    return counts / frequency * 1000 + (counts % frequency * 1000 + frequency / 2) / frequency;
}
