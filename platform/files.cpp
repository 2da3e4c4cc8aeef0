#include "platform/files.h"

#include "platform/win.h"

#include "platform/handles.h"

namespace platform {

std::string ProgramDirectory()
{
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) {
            return {};
        }
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    const size_t cut = path.find_last_of('\\');
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

std::vector<unsigned char> ReadWholeFile(const std::string& path)
{
    UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
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

bool WriteWholeFile(const std::string& path, const std::vector<unsigned char>& bytes)
{
    UniqueFile file(
        ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    DWORD written = 0;
    return bytes.empty()
        || (::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)
            && written == bytes.size());
}

std::string ReadIniText(const std::string& path, const std::string& section, const std::string& key)
{
    // GetPrivateProfileString cuts silently; grow until the value fits.
    std::string buffer(1024, '\0');
    for (;;) {
        const DWORD n = ::GetPrivateProfileStringA(
            section.c_str(), key.c_str(), "", buffer.data(), static_cast<DWORD>(buffer.size()), path.c_str());
        if (n < buffer.size() - 1) {
            buffer.resize(n);
            return buffer;
        }
        buffer.assign(n + 1024, '\0');
    }
}

} // namespace platform
