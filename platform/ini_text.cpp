#include "platform/ini_text.h"

namespace platform {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\v' || c == L'\f'; }

std::wstring_view Trim(std::wstring_view text)
{
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

wchar_t FoldAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool SameName(std::wstring_view a, std::wstring_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) {
            return false;
        }
    }
    return true;
}

std::wstring_view Unquote(std::wstring_view value)
{
    if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') && value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

} // namespace

std::optional<std::wstring> FindIniValue(std::wstring_view text, std::wstring_view section, std::wstring_view key)
{
    bool inside = false;
    bool seen = false;
    while (!text.empty()) {
        const size_t end = text.find(L'\n');
        const std::wstring_view line = Trim(text.substr(0, end));
        text.remove_prefix(end == std::wstring_view::npos ? text.size() : end + 1);
        const size_t close = line.rfind(L']');
        if (!line.empty() && line.front() == L'[' && close != std::wstring_view::npos) {
            // Only the first section of a name counts.
            if (seen) {
                return std::nullopt;
            }
            inside = SameName(Trim(line.substr(1, close - 1)), section);
            seen = inside;
            continue;
        }
        if (!inside || line.empty()) {
            continue;
        }
        const size_t eq = line.find(L'=');
        if (SameName(Trim(line.substr(0, eq)), key)) {
            return eq == std::wstring_view::npos ? std::wstring() : std::wstring(Unquote(Trim(line.substr(eq + 1))));
        }
    }
    return std::nullopt;
}

} // namespace platform
