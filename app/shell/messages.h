// Every message number the application defines for itself, in one place
// (the window toolkit's own are in ui/messages.h).
#pragma once

#include "platform/win.h"

namespace msg {

// Sent to `notifyLabel`, the hidden window whose handler runs on the UI thread.
inline constexpr UINT MsgSpeedTestStart = 1025;
inline constexpr UINT MsgSpeedTestDone = 1026;
inline constexpr UINT MsgAccelStopped = 1027;
inline constexpr UINT MsgUpdateRequired = 1028;
inline constexpr UINT MsgVpnConnected = 0x2000;
inline constexpr UINT MsgVpnDisconnected = 0x2001;
// Posted to `notifyLabel` so that only the UI thread writes the list view
// (a worker holding listLock must never wait for the UI thread). wParam = lineIndex.
inline constexpr UINT MsgLineLatency = 0x2003;
// A connect that could not even start dialling; shown like a failed dial.
inline constexpr UINT MsgVpnDialFailed = 0x2004;
// Posted to `notifyLabel`: run the oldest call another thread queued for the UI thread.
inline constexpr UINT MsgUiCall = 0x2005;
// Sent to `notifyLabel` before each redial of a dropped line. wParam = the try's number (from 1),
// lParam = the address of the try's session, only compared with the current one's.
inline constexpr UINT MsgVpnReconnecting = 0x2006;

// Sent by the notice check to the pop-up's browser window to load the notice page.
inline constexpr UINT MsgLoadNoticePage = 1025;

} // namespace msg
