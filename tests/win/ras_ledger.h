// The RAS stand-in's misuse ledger ("ras-misuse.log" in the folder SORVIK_RAS_LEDGER_DIR names,
// else beside the exe), which every test leaves empty; a test that misuses RAS on purpose takes
// its lines.
#pragma once

#include "platform/win.h"

#include <sstream>
#include <string>
#include <vector>

#include "tests/win/test_files.h"

namespace ledger {

inline std::string Path()
{
    char dir[MAX_PATH] = {};
    const DWORD given = ::GetEnvironmentVariableA("SORVIK_RAS_LEDGER_DIR", dir, MAX_PATH);
    if (given > 0 && given < MAX_PATH) {
        return std::string(dir, given) + "\\ras-misuse.log";
    }
    char exe[MAX_PATH] = {};
    const DWORD n = ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string path(exe, n);
    path.resize(path.find_last_of("\\/") + 1);
    return path + "ras-misuse.log";
}

inline std::vector<std::string> Lines()
{
    std::vector<std::string> lines;
    std::istringstream text(FileText(Path()));
    for (std::string line; std::getline(text, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

// The lines so far; the ledger is empty afterwards.
inline std::vector<std::string> Take()
{
    std::vector<std::string> lines = Lines();
    ::DeleteFileA(Path().c_str());
    return lines;
}

} // namespace ledger
