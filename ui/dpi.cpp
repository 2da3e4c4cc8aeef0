#include "ui/dpi.h"

#include "platform/handles.h"

namespace dpi {

namespace {

// Windows 7 and 8 lack these: looked up once in user32, which every GUI process has loaded.
template <typename Function> Function User32Function(const char* name)
{
    HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(user32, name))) : nullptr;
}

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using GetDpiForSystemFunction = UINT(WINAPI*)();
using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);

} // namespace

unsigned System()
{
    static const auto getDpiForSystem = User32Function<GetDpiForSystemFunction>("GetDpiForSystem");
    if (getDpiForSystem) {
        return getDpiForSystem();
    }
    platform::WindowDc screen(nullptr);
    const int logPixels = screen.Get() ? ::GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
    return logPixels > 0 ? static_cast<unsigned>(logPixels) : kBase;
}

unsigned ForWindow(HWND hwnd)
{
    static const auto getDpiForWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    if (getDpiForWindow && hwnd) {
        if (const UINT dpi = getDpiForWindow(hwnd)) {
            return dpi;
        }
    }
    return System();
}

SIZE SmallIconSize(unsigned dpi)
{
    static const auto metricsForDpi = User32Function<GetSystemMetricsForDpiFunction>("GetSystemMetricsForDpi");
    if (metricsForDpi) {
        return SIZE{metricsForDpi(SM_CXSMICON, dpi), metricsForDpi(SM_CYSMICON, dpi)};
    }
    return SIZE{::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON)};
}

} // namespace dpi
