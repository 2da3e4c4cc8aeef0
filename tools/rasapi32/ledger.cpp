#include "ledger.h"

#include "platform/win.h"

#include <string>

#include "connection_table.h"
#include "platform/critical_section.h"

namespace standin {
namespace {

platform::CriticalSection* LedgerLock()
{
    static auto* lock = new platform::CriticalSection; // kept to process end, like the table
    return lock;
}

// In the folder SORVIK_RAS_LEDGER_DIR names (each test run its own), else beside the program's
// exe: the stand-in itself lives in the shared system folder.
std::wstring LedgerPath()
{
    wchar_t dir[MAX_PATH] = {};
    const DWORD given = ::GetEnvironmentVariableW(L"SORVIK_RAS_LEDGER_DIR", dir, MAX_PATH);
    if (given > 0 && given < MAX_PATH) {
        return std::wstring(dir, given) + L"\\ras-misuse.log";
    }
    wchar_t path[MAX_PATH] = {};
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring exeDir(path, n < MAX_PATH ? n : 0);
    exeDir.resize(exeDir.find_last_of(L"\\/") + 1);
    return exeDir + L"ras-misuse.log";
}

// Appends one line; opened per line so that a test may empty the file between lines.
void AppendLine(const std::string& line)
{
    const HANDLE file = ::CreateFileW(LedgerPath().c_str(), FILE_APPEND_DATA,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    const std::string text = line + "\r\n";
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(file);
}

} // namespace

void RecordMisuse(const std::string& what)
{
    const std::string line = "pid " + std::to_string(::GetCurrentProcessId()) + ": " + what;
    platform::CriticalSection* lock = LedgerLock();
    lock->lock();
    AppendLine(line);
    lock->unlock();
}

bool SizeAccepted(const std::string& function, unsigned long size, std::initializer_list<unsigned long> accepted)
{
    std::string sizes;
    for (const unsigned long a : accepted) {
        if (a == size) {
            return true;
        }
        sizes += (sizes.empty() ? "" : " or ") + std::to_string(a);
    }
    RecordMisuse(function + ": wrong dwSize " + std::to_string(size) + " in a " + (sizeof(void*) == 8 ? "64" : "32")
        + "-bit process, which takes " + sizes);
    return false;
}

} // namespace standin

// At process end every handle the process was given must have been hung up.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_DETACH && reserved != nullptr) {
        // The other threads are gone (one may have died holding a lock): read the table as it is.
        for (const std::string& entry : standin::HandlesNeverHungUp()) {
            standin::AppendLine("pid " + std::to_string(::GetCurrentProcessId()) + ": " + entry);
        }
    }
    return TRUE;
}
