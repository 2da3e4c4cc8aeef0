// Test helper run inside the same Wine prefix as Sorvik.exe: reports the
// windows of the desktop as JSON lines and pokes them, so end-to-end tests can
// check geometry and state from outside the program.
//   wininspect windows                 one JSON object per visible or hidden top-level window
//   wininspect close TITLE             post WM_CLOSE to the first top-level window with that title
//   wininspect tray                    the notification-area icons' tooltips, if the shell exposes them
#include "platform/win.h"

#include <cstdio>
#include <string>

namespace {

std::string Utf8(const std::wstring& text)
{
    if (text.empty()) {
        return {};
    }
    const int n
        = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::string JsonText(const std::wstring& text)
{
    std::string out = "\"";
    for (char c : Utf8(text)) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof(buf), "\\u%04x", c);
            out += buf;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

void Emit(const std::string& line)
{
    DWORD written = 0;
    std::string withEnd = line + "\n";
    ::WriteFile(
        ::GetStdHandle(STD_OUTPUT_HANDLE), withEnd.data(), static_cast<DWORD>(withEnd.size()), &written, nullptr);
}

std::wstring WindowText(HWND hwnd)
{
    wchar_t buf[512] = {};
    ::GetWindowTextW(hwnd, buf, 512);
    return buf;
}

std::wstring ClassName(HWND hwnd)
{
    wchar_t buf[256] = {};
    ::GetClassNameW(hwnd, buf, 256);
    return buf;
}

BOOL CALLBACK ReportWindow(HWND hwnd, LPARAM)
{
    RECT rc{};
    ::GetWindowRect(hwnd, &rc);
    RECT client{};
    ::GetClientRect(hwnd, &client);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    char buf[512];
    std::snprintf(buf, sizeof(buf),
        "\"hwnd\": %lu, \"pid\": %lu, \"x\": %ld, \"y\": %ld, \"width\": %ld, \"height\": %ld, "
        "\"client_width\": %ld, \"client_height\": %ld, \"style\": %lu, \"exstyle\": %lu, "
        "\"visible\": %s, \"enabled\": %s, \"owner\": %lu",
        static_cast<unsigned long>(reinterpret_cast<uintptr_t>(hwnd)), static_cast<unsigned long>(pid), rc.left, rc.top,
        rc.right - rc.left, rc.bottom - rc.top, client.right, client.bottom,
        static_cast<unsigned long>(::GetWindowLongW(hwnd, GWL_STYLE)),
        static_cast<unsigned long>(::GetWindowLongW(hwnd, GWL_EXSTYLE)), ::IsWindowVisible(hwnd) ? "true" : "false",
        ::IsWindowEnabled(hwnd) ? "true" : "false",
        static_cast<unsigned long>(reinterpret_cast<uintptr_t>(::GetWindow(hwnd, GW_OWNER))));
    Emit("{\"title\": " + JsonText(WindowText(hwnd)) + ", \"class\": " + JsonText(ClassName(hwnd)) + ", " + buf + "}");
    return TRUE;
}

struct FindByTitle {
    std::wstring title;
    HWND found = nullptr;
};

BOOL CALLBACK MatchTitle(HWND hwnd, LPARAM param)
{
    auto* find = reinterpret_cast<FindByTitle*>(param);
    if (WindowText(hwnd) == find->title) {
        find->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"windows") {
        ::EnumWindows(ReportWindow, 0);
        return 0;
    }
    if (command == L"close" && argc > 2) {
        FindByTitle find{argv[2]};
        ::EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&find));
        if (!find.found) {
            return 1;
        }
        ::PostMessageW(find.found, WM_CLOSE, 0, 0);
        return 0;
    }
    std::fputs("usage: wininspect windows | close TITLE\n", stderr);
    return 2;
}
