// The DPI Windows gives a window, on every Windows from 7 on.
#pragma once

#include "platform/win.h"

#include "ui/dpi_scale.h"

namespace dpi {

// The system DPI: what a window on the primary monitor gets at start.
unsigned System();
// The window's own DPI (its monitor's, for a per-monitor aware program); the system DPI where
// Windows cannot tell it (before Windows 10 1607).
unsigned ForWindow(HWND hwnd);
// The small icon size Windows asks for at `dpi` (the notification area's).
SIZE SmallIconSize(unsigned dpi);

} // namespace dpi
