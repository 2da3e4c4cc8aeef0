#include "platform/system_dll.h"

#include <delayimp.h>

#include <string>

namespace platform {
namespace {

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);

bool HasDefaultDllDirectories()
{
    static const bool has = ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "AddDllDirectory") != nullptr;
    return has;
}

// MinGW-w64's delay-load helper asks this before its own LoadLibraryA (which would search the
// exe's folder where default directories are not available).
FARPROC WINAPI DelayLoadHook(unsigned notification, PDelayLoadInfo info)
{
    if (notification != dliNotePreLoadLibrary || !info || !info->szDll) {
        return nullptr;
    }
    std::wstring name;
    for (const char* c = info->szDll; *c; ++c) {
        name += static_cast<wchar_t>(static_cast<unsigned char>(*c)); // DLL names are ASCII
    }
    return reinterpret_cast<FARPROC>(LoadSystemDll(name.c_str()));
}

} // namespace

void LimitDllSearchToSystem32()
{
    __pfnDliNotifyHook2 = DelayLoadHook;
    const auto set = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (set) {
        set(LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
}

HMODULE LoadSystemDll(const wchar_t* name)
{
    if (HasDefaultDllDirectories()) {
        return ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    // Older systems take no search flags: a full path, whose own imports are looked for beside it.
    wchar_t directory[MAX_PATH] = {};
    const UINT n = ::GetSystemDirectoryW(directory, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) {
        return nullptr;
    }
    const std::wstring path = std::wstring(directory, n) + L"\\" + name;
    return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

} // namespace platform
