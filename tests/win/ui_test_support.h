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

// Like PumpUntil, but looks at done() every few milliseconds too, for what other threads make true
// without a message. The waits are alertable: RAS notifies a dial on the thread that started it.
inline bool PollUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start >= timeoutMs) {
            return false;
        }
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        ::MsgWaitForMultipleObjectsEx(0, nullptr, 5, QS_ALLINPUT, MWMO_ALERTABLE);
    }
    return true;
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
