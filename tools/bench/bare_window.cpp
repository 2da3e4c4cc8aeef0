// The baseline of the desktop benchmarks: the least a shown Win32 window costs in the same
// Wine. One 800 x 600 window with a title and a message loop, nothing else.
//   bare_window [hidden]   "hidden": hide the window again right after it was first shown,
//                          as a program minimised to the notification area would be
#include "platform/win.h"

#include <cwchar>

namespace {

constexpr wchar_t kTitle[] = L"Bare window";

LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int)
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"BareWindow";
    if (!::RegisterClassW(&windowClass)) {
        return 1;
    }
    HWND hwnd = ::CreateWindowExW(0, windowClass.lpszClassName, kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
        CW_USEDEFAULT, 800, 600, nullptr, nullptr, instance, nullptr);
    if (!hwnd) {
        return 1;
    }
    ::ShowWindow(hwnd, SW_SHOW);
    ::UpdateWindow(hwnd);
    if (commandLine && std::wcsstr(commandLine, L"hidden")) {
        ::ShowWindow(hwnd, SW_HIDE);
    }
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}
