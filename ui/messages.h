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
// Application: posted to `notifyLabel` so that only the UI thread writes the list view
// (a worker holding listLock must never wait for the UI thread). wParam = lineIndex.
inline constexpr UINT MsgLineRowAdded = 0x2002;
inline constexpr UINT MsgLineLatency = 0x2003;
// Application: a connect that could not even start dialling; shown like a failed dial.
inline constexpr UINT MsgVpnDialFailed = 0x2004;

// Application: sent by the notice check to the pop-up's browser window to load the notice page.
inline constexpr UINT MsgLoadNoticePage = 1025;

} // namespace msg
