// The handler of `notifyLabel`, the hidden window through which workers reach the UI thread.
#pragma once

#include "platform/win.h"

#include <functional>

LRESULT OnNotifyMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Runs `call` on the UI thread after every call posted before it: the one way another thread
// changes a window, a drawn element or a menu. Never waits; false when notifyLabel is gone.
bool PostToUiThread(std::function<void()> call);
// Runs the oldest posted call; what notifyLabel does with MsgUiCall (UI thread).
void RunPostedUiCall();
