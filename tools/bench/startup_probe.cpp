// Start-up time of a window program, measured inside Wine as a user's launch would be:
// from CreateProcess until the program's first visible top-level window with the given
// title. The program is then ended. Prints the seconds, or nothing and exit code 1.
//   startup_probe TITLE PROGRAM
#include "platform/win.h"

#include <cstdio>
#include <string>

namespace {

constexpr DWORD kLimitMs = 60000;

struct Search {
    DWORD processId = 0;
    const wchar_t* title = nullptr;
    bool found = false;
};

BOOL CALLBACK CheckWindow(HWND hwnd, LPARAM param)
{
    auto* search = reinterpret_cast<Search*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hwnd, &owner);
    if (owner != search->processId || !::IsWindowVisible(hwnd)) {
        return TRUE;
    }
    wchar_t text[256] = {};
    ::GetWindowTextW(hwnd, text, 256);
    if (std::wstring(text) == search->title) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency)
{
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Reports a failure on stderr; there is nothing more to do if stderr itself is gone.
int Fail(const std::string& text, int code)
{
    (void)std::fputs((text + "\n").c_str(), stderr);
    return code;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3) {
        return Fail("usage: startup_probe TITLE PROGRAM", 2);
    }
    std::wstring program = argv[2];
    std::wstring directory = program.substr(0, program.find_last_of(L"\\/"));
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    LARGE_INTEGER frequency{};
    LARGE_INTEGER start{};
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(),
            &startup, &process)) {
        return Fail("startup_probe: CreateProcess failed (" + std::to_string(::GetLastError()) + ")", 1);
    }
    Search search{process.dwProcessId, argv[1], false};
    LARGE_INTEGER now = start;
    // A short sleep between looks: fine enough for a median, light enough not to slow the program.
    while (!search.found && Seconds(start, now, frequency) * 1000 < kLimitMs) {
        ::Sleep(2);
        ::EnumWindows(CheckWindow, reinterpret_cast<LPARAM>(&search));
        ::QueryPerformanceCounter(&now);
    }
    ::TerminateProcess(process.hProcess, 0);
    ::WaitForSingleObject(process.hProcess, 10000);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    if (!search.found) {
        return Fail("startup_probe: no visible window with that title", 1);
    }
    std::printf("%.4f\n", Seconds(start, now, frequency));
    return 0;
}
