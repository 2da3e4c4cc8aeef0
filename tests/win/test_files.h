// Files for the Windows tests: a temporary folder, and a file read whole as text.
#pragma once

#include "platform/win.h"

#include <atomic>
#include <string>
#include <vector>

#include "platform/files.h"

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
inline std::string FileText(const std::string& path)
{
    const std::vector<unsigned char> bytes = platform::ReadWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
}
