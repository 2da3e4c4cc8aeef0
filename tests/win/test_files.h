// Files for the Windows tests: a temporary folder, and a file read whole as text.
#pragma once

#include "platform/win.h"

#include <atomic>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/ini_text.h"
#include "platform/text.h"

// A fresh folder under the temporary directory, removed with the files in it.
class TempDir {
public:
    explicit TempDir(const std::string& prefix = "sorvik-test-")
    {
        static std::atomic<int> serial{0};
        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        dir_ = std::string(temp) + prefix + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(serial++);
        ::CreateDirectoryA(dir_.c_str(), nullptr);
    }
    ~TempDir()
    {
        WIN32_FIND_DATAA found;
        const HANDLE find = ::FindFirstFileA((dir_ + "\\*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                ::DeleteFileA((dir_ + "\\" + found.cFileName).c_str());
            } while (::FindNextFileA(find, &found));
            ::FindClose(find);
        }
        ::RemoveDirectoryA(dir_.c_str());
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string Path(const std::string& name) const { return dir_ + "\\" + name; }

private:
    std::string dir_;
};

// The whole file as text; empty when it cannot be read.
inline std::string FileText(const std::wstring& path)
{
    const std::vector<unsigned char> bytes = platform::ReadWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
}

inline std::string FileText(const std::string& path) { return FileText(platform::Widen(path)); }

// The RAS stand-in keeps its phonebook in UTF-8: one value of an entry, names and value in GBK;
// "<missing>" when the entry or key is not there.
inline std::string PhonebookValue(const std::wstring& phonebook, const std::string& entry, const std::string& key)
{
    const std::optional<std::wstring> value = platform::FindIniValue(
        platform::WidenUtf8(FileText(phonebook)), platform::Widen(entry), platform::Widen(key));
    return value ? platform::Narrow(*value) : "<missing>";
}

inline std::string PhonebookValue(const std::string& phonebook, const std::string& entry, const std::string& key)
{
    return PhonebookValue(platform::Widen(phonebook), entry, key);
}

// A GBK text as the stand-in writes it.
inline std::string Utf8Of(const std::string& gbk) { return platform::NarrowUtf8(platform::Widen(gbk)); }
