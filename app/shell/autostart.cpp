#include "app/shell/autostart.h"

#include "platform/win.h"
#include <shellapi.h>

#include <optional>
#include <string>
#include <vector>

#include "app/shell/autostart_command.h"
#include "app/shell/tray.h"
#include "platform/files.h"
#include "platform/handles.h"

namespace {

constexpr DWORD kCharBytes = sizeof(wchar_t);

platform::UniqueRegKey OpenRunKey(bool forWriting)
{
    HKEY key = nullptr;
    // A fresh profile may have no Run key yet: writing creates it.
    const LSTATUS status = forWriting
        ? ::RegCreateKeyExW(HKEY_CURRENT_USER, kRunKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr)
        : ::RegOpenKeyExW(HKEY_CURRENT_USER, kRunKeyPath, 0, KEY_QUERY_VALUE, &key);
    return platform::UniqueRegKey(status == ERROR_SUCCESS ? key : nullptr);
}

std::wstring ReadRunValue()
{
    const platform::UniqueRegKey key = OpenRunKey(false);
    if (!key) {
        return {};
    }
    std::wstring text(MAX_PATH + 8, L'\0');
    for (;;) {
        DWORD bytes = static_cast<DWORD>(text.size()) * kCharBytes;
        const LSTATUS status
            = ::RegGetValueW(key.Get(), nullptr, kRunValueName, RRF_RT_REG_SZ, nullptr, text.data(), &bytes);
        if (status == ERROR_MORE_DATA) {
            text.resize(bytes / kCharBytes + 1);
            continue;
        }
        if (status != ERROR_SUCCESS) {
            return {};
        }
        // The size counts the terminator the call guarantees.
        text.resize(bytes / kCharBytes);
        while (!text.empty() && text.back() == L'\0') {
            text.pop_back();
        }
        return text;
    }
}

struct FileIdentity {
    DWORD volume = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;
    bool operator==(const FileIdentity&) const = default;
};

std::optional<FileIdentity> IdentityOf(const std::wstring& path)
{
    const platform::UniqueFile file(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file || !::GetFileInformationByHandle(file.Get(), &info)) {
        return std::nullopt;
    }
    return FileIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

// Volume and file index decide: case, short names and other spellings of the folder do not.
bool SameFile(const std::wstring& a, const std::wstring& b)
{
    const std::optional<FileIdentity> first = IdentityOf(a);
    return first && first == IdentityOf(b);
}

} // namespace

bool StartsWithWindows()
{
    const std::wstring command = ReadRunValue();
    return !command.empty() && SameFile(ProgramOfRunCommand(command), platform::ProgramPath());
}

bool SetStartWithWindows(bool on)
{
    const platform::UniqueRegKey key = OpenRunKey(true);
    if (!key) {
        return false;
    }
    if (!on) {
        const LSTATUS status = ::RegDeleteValueW(key.Get(), kRunValueName);
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    const std::wstring command = RunCommandFor(platform::ProgramPath());
    return ::RegSetValueExW(key.Get(), kRunValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
               (static_cast<DWORD>(command.size()) + 1) * kCharBytes)
        == ERROR_SUCCESS;
}

void ShowStartWithWindowsTick() { SetTrayItemChecked(kTrayStartWithWindows, StartsWithWindows()); }

void ToggleStartWithWindows()
{
    // A refused write changes nothing: the tick is read back from the registry either way.
    (void)SetStartWithWindows(!StartsWithWindows());
    ShowStartWithWindowsTick();
}

bool StartedInTray()
{
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    const platform::UniqueLocal owner(argv);
    if (!argv) {
        return false;
    }
    // The first is the program itself.
    std::vector<std::wstring> arguments;
    for (int i = 1; i < count; ++i) {
        arguments.emplace_back(argv[i]);
    }
    return AsksToStartInTray(arguments);
}
