// The main window: its creation handler and the handlers that only touch the interface.
#pragma once

#include "platform/win.h"

void OnMainWindowCreated(HWND hwnd);
