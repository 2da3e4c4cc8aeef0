// Helpers shared by the Windows tests of the UI framework's controls.
#pragma once

#include "platform/win.h"

#include <functional>

#include "ui/window.h"

namespace uitest {

// Runs this thread's message loop until done() holds or the time is up; returns done().
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 3000)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        if (done()) {
            return true;
        }
        const DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= timeoutMs) {
            return done();
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
    }
}

// Runs the message loop for the given time.
inline void PumpFor(DWORD ms)
{
    PumpUntil([] { return false; }, ms);
}

// A top-level framework window to put controls on.
inline HWND CreateHost(WTWindow& window, int width = 400, int height = 300, bool visible = true)
{
    WTWindow::CreateOptions options;
    options.title = L"test host";
    options.left = 40;
    options.top = 40;
    options.width = width;
    options.height = height;
    options.visible = visible;
    return window.CreateAndRun(options);
}

} // namespace uitest
