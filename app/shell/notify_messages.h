// The handler of `notifyLabel`, the hidden window through which workers reach the UI thread.
#pragma once

#include "platform/win.h"

LRESULT OnNotifyMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
