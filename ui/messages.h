// Every message number the program defines for itself, in one place.
#pragma once

#include "platform/win.h"

namespace msg {

// Framework: sent once to a new top-level window after creation.
inline constexpr UINT kCreated = 0x0401;
// Framework: callback message of the notification-area icon.
inline constexpr UINT kTrayCallback = 0x3019;

// Application: sent to `notifyLabel`, the hidden window whose handler runs on the UI thread.
inline constexpr UINT MsgSpeedTestStart = 1025;
inline constexpr UINT MsgSpeedTestDone = 1026;
inline constexpr UINT MsgAccelStopped = 1027;
inline constexpr UINT MsgUpdateRequired = 1028;
inline constexpr UINT MsgVpnConnected = 0x2000;
inline constexpr UINT MsgVpnDisconnected = 0x2001;
// Application: posted to `notifyLabel` to write a latency cell on the UI thread.
inline constexpr UINT MsgSetLatencyCell = 0x2002;

// Application: sent by the notice check to the pop-up's browser window to load the notice page.
inline constexpr UINT MsgLoadNoticePage = 1025;

} // namespace msg
