#include "app/shell/failures.h"

#include <dbghelp.h>

#include <cstdio>
#include <cwchar>
#include <iterator>
#include <exception>
#include <new>
#include <string>

#include "platform/files.h"
#include "platform/out_of_memory.h"
#include "platform/system_dll.h"
#include "platform/thread.h"

namespace {

using MiniDumpWriteDumpFunction = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE, PMINIDUMP_EXCEPTION_INFORMATION,
    PMINIDUMP_USER_STREAM_INFORMATION, PMINIDUMP_CALLBACK_INFORMATION);

// Prepared at start-up: a crashing process should not have to allocate or load anything.
MiniDumpWriteDumpFunction writeDump = nullptr;
wchar_t programDirectory[MAX_PATH * 3] = {};

void WriteDump(EXCEPTION_POINTERS* exception)
{
    if (!writeDump) {
        return;
    }
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    wchar_t path[std::size(programDirectory) + 40] = {};
    const int length = std::swprintf(path, std::size(path), L"%ls/Sorvik-%04u%02u%02u-%02u%02u%02u.dmp",
        programDirectory, now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
    if (length < 0 || length >= static_cast<int>(std::size(path))) {
        return;
    }
    HANDLE file = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    MINIDUMP_EXCEPTION_INFORMATION information{::GetCurrentThreadId(), exception, FALSE};
    writeDump(::GetCurrentProcess(), ::GetCurrentProcessId(), file, MiniDumpNormal, exception ? &information : nullptr,
        nullptr, nullptr);
    ::CloseHandle(file);
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* exception)
{
    WriteDump(exception);
    ::TerminateProcess(::GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

void OnTerminate()
{
    WriteDump(nullptr);
    ::TerminateProcess(::GetCurrentProcess(), 3);
}

void OnOutOfMemory()
{
    ::MessageBoxW(nullptr, L"内存不足", L"error", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
    ::TerminateProcess(::GetCurrentProcess(), 1);
}

} // namespace

void InstallFailureHandlers()
{
    const std::wstring directory = platform::ProgramDirectory();
    if (directory.size() < std::size(programDirectory)) {
        directory.copy(programDirectory, directory.size());
    }
    // From System32 only: dbghelp.dll is no KnownDLL.
    if (HMODULE dbghelp = platform::LoadSystemDll(L"dbghelp.dll")) {
        writeDump = reinterpret_cast<MiniDumpWriteDumpFunction>(
            reinterpret_cast<void*>(::GetProcAddress(dbghelp, "MiniDumpWriteDump")));
    }
    ::SetUnhandledExceptionFilter(OnUnhandledException);
    std::set_terminate(OnTerminate);
    platform::SetOutOfMemoryHandler(OnOutOfMemory);
}

#ifdef SORVIK_TEST_BUILD
void ProvokeTestFault()
{
    char fault[16] = {};
    const DWORD length = ::GetEnvironmentVariableA("SORVIK_TEST_FAULT", fault, sizeof(fault));
    if (length == 0 || length >= sizeof(fault)) {
        return;
    }
    if (std::string(fault) == "crash") {
        platform::StartDetachedThread([] { ::RaiseException(EXCEPTION_ACCESS_VIOLATION, 0, 0, nullptr); });
    } else if (std::string(fault) == "oom") {
        platform::StartDetachedThread([] { throw std::bad_alloc(); });
    }
}
#endif
