#include "app/shell/startup.h"

#include <objbase.h>
#include <ole2.h>

#include <cstdlib>

#include "app/shell/app.h"
#include "app/shell/failures.h"
#include "app/shell/main_window.h"
#include "app/shell/window_placement.h"
#include "platform/files.h"
#include "platform/thread.h"
#include "ui/atl_host.h"
#include "ui/dpi.h"
#include "ui/gdiplus_session.h"
#include "ui/thread_check.h"

bool TakeSingleInstance()
{
    if (HANDLE other = ::OpenEventW(EVENT_ALL_ACCESS, FALSE, kInstanceEventName)) {
        ::CloseHandle(other);
        return false;
    }
    // Without the event the program still runs, just unprotected against a second copy.
    app().instanceEvent.Reset(::CreateEventW(nullptr, FALSE, FALSE, kInstanceEventName));
    return true;
}

void RunMessageLoop(HWND window)
{
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!::IsDialogMessageW(window, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        if (!::IsWindow(window)) {
            break;
        }
    }
}

WTWindow::CreateOptions MainWindowOptions()
{
    WTWindow::CreateOptions options;
    options.title = kMainWindowTitle;
    options.onCreated = OnMainWindowCreated;
    // Sized for the primary monitor; its creation handler refits it if it opens on another.
    const unsigned dpi = dpi::System();
    options.width = dpi::Scale(kMainWindowWidth, dpi);
    options.height = dpi::Scale(kMainWindowHeight, dpi);
    options.left = CentredOffset(::GetSystemMetrics(SM_CXSCREEN), options.width);
    options.top = CentredOffset(::GetSystemMetrics(SM_CYSCREEN), options.height);
    options.visible = false;
    options.className = kMainWindowClass;
    return options;
}

int RunSorvik()
{
    InstallFailureHandlers();
#ifdef SORVIK_TEST_BUILD
    // The end-to-end tests expect this file never to appear.
    ui_thread::SetViolationLog(platform::ProgramDirectory() + L"/thread-violations.log");
#endif
    CreateApp();
    (void)std::atexit(ReleaseApp); // cannot fail: the C library guarantees 32 registrations

    // The pop-up hosts the browser control: OLE on the UI thread before any window.
    ::OleInitialize(nullptr);
    WTWindow::SetModuleInstance(::GetModuleHandleW(nullptr));
    WTWindow::ResetControlIds(500);
    AtlHostInit();
    StartGdiplus();

    if (!TakeSingleInstance()) {
        return 0;
    }

    platform::StartDetachedThread([] { app().lineListKey.Store(EmbeddedLineListKey()); });
    app().theme.Load(platform::ProgramDirectory());

    ::WSAStartup(0x0002, &app().wsaData);

    HWND window = app().mainWindow.CreateAndRun(MainWindowOptions());
#ifdef SORVIK_TEST_BUILD
    ProvokeTestFault();
#endif
    if (window) {
        RunMessageLoop(window);
    }
    return 0;
}
