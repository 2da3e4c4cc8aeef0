#include "app/vpn/connection_log.h"

#include "platform/win.h"

#include "platform/files.h"
#include "platform/handles.h"

std::wstring LogPath() { return platform::ProgramDirectory() + L"/log.log"; }

void ResetLog()
{
    platform::UniqueFile file(
        ::CreateFileW(LogPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

void AppendLog(const std::string& text)
{
    // Opened per line and shared: the connect thread and the dial notifier both write here.
    platform::UniqueFile file(::CreateFileW(LogPath().c_str(), GENERIC_READ | GENERIC_WRITE,
        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return;
    }
    const std::string line = text + "\r\n";
    ::SetFilePointer(file.Get(), 0, nullptr, FILE_END);
    DWORD written = 0;
    ::WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}
