#include "platform/files.h"

#include "platform/win.h"

#include "platform/handles.h"
#include "platform/ini_text.h"
#include "platform/text.h"

namespace platform {

std::wstring ProgramPath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) {
            return {};
        }
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring ProgramDirectory()
{
    const std::wstring path = ProgramPath();
    const size_t cut = path.find_last_of(L'\\');
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut);
}

std::vector<unsigned char> ReadWholeFile(const std::wstring& path)
{
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return {};
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart > 0x7fffffff) {
        return {};
    }
    std::vector<unsigned char> bytes(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (!bytes.empty() && !::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr)) {
        return {};
    }
    bytes.resize(got);
    return bytes;
}

namespace {

bool WriteBytes(const std::wstring& path, const std::vector<unsigned char>& bytes, bool flush)
{
    UniqueFile file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    DWORD written = 0;
    const bool whole = bytes.empty()
        || (::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)
            && written == bytes.size());
    return whole && (!flush || ::FlushFileBuffers(file.Get()));
}

} // namespace

bool WriteWholeFile(const std::wstring& path, const std::vector<unsigned char>& bytes)
{
    return WriteBytes(path, bytes, false);
}

bool ReplaceWholeFile(const std::wstring& path, const std::vector<unsigned char>& bytes)
{
    const std::wstring temporary = path + L".tmp";
    // On disk before the rename: otherwise the rename may outlive a crash that the bytes do not.
    if (WriteBytes(temporary, bytes, true)
        && ::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    ::DeleteFileW(temporary.c_str());
    return false;
}

std::string ReadIniText(const std::wstring& path, const std::string& section, const std::string& key)
{
    // Read whole and parsed here: the profile functions would decode the file with the system's
    // code page, and grew their buffer by a constant step for a long value.
    const std::vector<unsigned char> bytes = ReadWholeFile(path);
    const std::wstring text = Widen(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    return Narrow(FindIniValue(text, Widen(section), Widen(key)).value_or(std::wstring()));
}

} // namespace platform
