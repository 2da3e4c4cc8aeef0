// The RAS stand-in's misuse ledger ("ras-misuse.log" beside rasapi32.dll), which every test
// leaves empty; a test that misuses RAS on purpose takes its lines.
#pragma once

#include "platform/win.h"

#include <sstream>
#include <string>
#include <vector>

#include "tests/win/test_files.h"

namespace ledger {

inline std::string Path()
{
    char dll[MAX_PATH] = {};
    const DWORD n = ::GetModuleFileNameA(::GetModuleHandleW(L"rasapi32.dll"), dll, MAX_PATH);
    std::string path(dll, n);
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
