#include "ini_sections.h"

#include "platform/win.h"

#include <mutex>

#include "platform/critical_section.h"
#include "platform/files.h"
#include "platform/text.h"

namespace standin {
namespace {

// Serialises this process's read-modify-write of the stand-in's files.
platform::CriticalSection& FileLock()
{
    static auto* fileLock = new platform::CriticalSection; // kept to process end: workers may still run
    return *fileLock;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// The profile functions drop one pair of matching quotes around a value.
std::string_view Unquote(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        if (end == std::string_view::npos) {
            break;
        }
        text.remove_prefix(end + 1);
    }
    return lines;
}

// The section a header line names, or nothing for other lines. Cut at the last ']' in
// UTF-16, as the profile functions do.
std::optional<std::string> SectionName(std::string_view line)
{
    line = Trim(line);
    if (line.empty() || line.front() != '[') {
        return std::nullopt;
    }
    std::wstring wide = platform::WidenUtf8(line.substr(1));
    const size_t close = wide.rfind(L']');
    if (close != std::wstring::npos) {
        wide.resize(close);
    }
    return std::string(Trim(platform::NarrowUtf8(wide)));
}

std::string ReadText(const std::string& path)
{
    const std::vector<unsigned char> bytes = platform::ReadWholeFile(platform::WidenUtf8(path));
    return std::string(bytes.begin(), bytes.end());
}

bool ReplaceFile(const std::string& path, const std::string& text)
{
    const std::wstring target = platform::WidenUtf8(path);
    // Windows refuses to replace a read-only file (ERROR_ACCESS_DENIED); Wine's MoveFileEx does not.
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return false;
    }
    const std::wstring temp = target + L"." + std::to_wstring(::GetCurrentProcessId()) + L".tmp";
    if (!platform::WriteWholeFile(temp, std::vector<unsigned char>(text.begin(), text.end()))) {
        return false;
    }
    // A reader in another process may hold the file for a moment.
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        ::Sleep(10);
    }
    ::DeleteFileW(temp.c_str());
    return false;
}

} // namespace

bool SameIniName(std::string_view a, std::string_view b)
{
    const std::wstring wa = platform::WidenUtf8(a);
    const std::wstring wb = platform::WidenUtf8(b);
    return ::CompareStringOrdinal(
               wa.c_str(), static_cast<int>(wa.size()), wb.c_str(), static_cast<int>(wb.size()), TRUE)
        == CSTR_EQUAL;
}

bool IsOneLineText(std::string_view text)
{
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

std::optional<IniSection> ReadIniSection(const std::string& path, const std::string& section)
{
    std::string text;
    {
        std::lock_guard<platform::CriticalSection> hold(FileLock());
        text = ReadText(path);
    }
    std::optional<IniSection> found;
    bool inside = false;
    for (std::string_view line : SplitLines(text)) {
        if (std::optional<std::string> name = SectionName(line)) {
            if (found) {
                break;
            }
            inside = SameIniName(*name, section);
            if (inside) {
                found.emplace();
            }
            continue;
        }
        line = Trim(line);
        if (!inside || line.empty()) {
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            found->push_back({std::string(line), std::string()});
        } else {
            found->push_back({std::string(Trim(line.substr(0, eq))), std::string(Unquote(Trim(line.substr(eq + 1))))});
        }
    }
    return found;
}

std::string FindIniValue(const IniSection& values, std::string_view key)
{
    for (const IniValue& v : values) {
        if (SameIniName(v.key, key)) {
            return v.value;
        }
    }
    return {};
}

bool ReplaceIniSection(const std::string& path, const std::string& section, const std::vector<std::string>& lines)
{
    std::lock_guard<platform::CriticalSection> hold(FileLock());
    const std::string old = ReadText(path);
    std::string text;
    bool dropping = false;
    for (std::string_view line : SplitLines(old)) {
        if (std::optional<std::string> name = SectionName(line)) {
            dropping = SameIniName(*name, section);
        }
        if (!dropping) {
            text.append(line).append("\r\n");
        }
    }
    // Keep one blank line between sections.
    while (text.size() >= 4 && text.compare(text.size() - 4, 4, "\r\n\r\n") == 0) {
        text.resize(text.size() - 2);
    }
    if (!text.empty()) {
        text.append("\r\n");
    }
    text.append("[").append(section).append("]\r\n");
    for (const std::string& line : lines) {
        text.append(line).append("\r\n");
    }
    return ReplaceFile(path, text);
}

std::string IniLine(std::string_view key, std::string_view value)
{
    std::string line(key);
    line += '=';
    const bool needsQuotes = !value.empty()
        && (IsBlank(value.front()) || IsBlank(value.back()) || value.front() == '"' || value.front() == '\'');
    if (needsQuotes) {
        line.append("\"").append(value).append("\"");
    } else {
        line.append(value);
    }
    return line;
}

} // namespace standin
