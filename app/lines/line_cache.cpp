#include "app/lines/line_cache.h"

#include <mutex>

#include "platform/files.h"

namespace {

// A refresh's fetch and a retry's may end together. Their writes share the temporary file, and
// a read holding the file open would make the replacement fail.
std::mutex fileLock;

} // namespace

std::wstring LineCachePath() { return platform::ProgramDirectory() + L"\\lines.dat"; }

bool StoreLineCache(const std::vector<std::uint8_t>& body)
{
    std::lock_guard<std::mutex> hold(fileLock);
    return platform::ReplaceWholeFile(LineCachePath(), body);
}

std::vector<std::uint8_t> LoadLineCache()
{
    std::lock_guard<std::mutex> hold(fileLock);
    return platform::ReadWholeFile(LineCachePath());
}
