// The window toolkit's own message numbers; the application's are in app/shell/messages.h.
#pragma once

#include "platform/win.h"

namespace msg {

// Sent once to a new top-level window after creation.
inline constexpr UINT kCreated = 0x0401;
// Callback message of the notification-area icon.
inline constexpr UINT kTrayCallback = 0x3019;

} // namespace msg
