#include "ui/thread_check.h"

#include <atomic>
#include <mutex>

namespace ui_thread {

namespace {

std::atomic<int> violations{0};
std::mutex logLock; // guards logPath
std::wstring logPath;

} // namespace

#ifdef SORVIK_TEST_BUILD
void CheckOwner(DWORD owner, const char* what)
{
    if (owner == 0 || owner == ::GetCurrentThreadId()) {
        return;
    }
    ++violations;
    std::lock_guard<std::mutex> lock(logLock);
    if (logPath.empty()) {
        return;
    }
    HANDLE file = ::CreateFileW(logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    const std::string line = std::string(what) + " from thread " + std::to_string(::GetCurrentThreadId()) + "\r\n";
    DWORD written = 0;
    ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    ::CloseHandle(file);
}
#endif

int TakeViolations() { return violations.exchange(0); }

void SetViolationLog(const std::wstring& path)
{
    std::lock_guard<std::mutex> lock(logLock);
    logPath = path;
}

} // namespace ui_thread
