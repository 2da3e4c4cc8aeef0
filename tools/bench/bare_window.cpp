// The baseline of the desktop benchmarks: the least a shown Win32 window costs in the same
// Wine. One 800 x 600 window at the centre of the screen, where Sorvik's main window sits, with
// a title and a message loop, nothing else.
//   bare_window [hidden|track]   hidden: hide the window right after it was first shown, as a
//                                program minimised to the notification area would be;
//                                track: ask for mouse-leave notices, as Sorvik's windows do
#include "platform/win.h"

#include <cwchar>

namespace {

constexpr wchar_t kTitle[] = L"Bare window";
constexpr int kWidth = 800;
constexpr int kHeight = 600;

bool trackLeave = false;
bool tracking = false;

LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_MOUSEMOVE:
        if (trackLeave && !tracking) {
            TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, hwnd, 0};
            tracking = ::TrackMouseEvent(&track) != FALSE;
        }
        return 0;
    case WM_MOUSELEAVE:
        tracking = false;
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int)
{
    const bool hidden = commandLine && std::wcsstr(commandLine, L"hidden");
    trackLeave = commandLine && std::wcsstr(commandLine, L"track");
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"BareWindow";
    if (!::RegisterClassW(&windowClass)) {
        return 1;
    }
    const int left = (::GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
    const int top = (::GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
    HWND hwnd = ::CreateWindowExW(0, windowClass.lpszClassName, kTitle, WS_OVERLAPPEDWINDOW, left, top, kWidth, kHeight,
        nullptr, nullptr, instance, nullptr);
    if (!hwnd) {
        return 1;
    }
    ::ShowWindow(hwnd, SW_SHOW);
    ::UpdateWindow(hwnd);
    if (hidden) {
        ::ShowWindow(hwnd, SW_HIDE);
    }
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}
