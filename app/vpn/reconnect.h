// A connection's life after it came up: its reports and, when the line drops it while the tray's
// switch "断线自动重连" is on, the redials of the same line (reconnect_policy.h).
#pragma once

#include <memory>

struct VpnSession;

// On the connect thread, until the program ends the connection or it is lost for good: each
// connected session's reports; after a drop, its disconnect report and the redials, each a new
// session with its own hello once connected. The last failed try shows the failure panel with
// its text; with the switch off a drop shows it at once.
void StayConnected(std::shared_ptr<VpnSession> session);
