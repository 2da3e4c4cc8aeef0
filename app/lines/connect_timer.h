// How long a TCP connection to a server takes to be established.
#pragma once

#include <string>

// Milliseconds from connect() until the socket is writable, or -1 when it did
// not connect within `timeoutMs` (refused, unreachable, silent or bad address:
// a failed connect is never reported early, so every failure waits the time-out).
int MeasureConnectTime(const std::string& address, int port, int timeoutMs);
