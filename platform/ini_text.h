// One value of an INI text, found as the private-profile functions find it. The program's INI
// files are GBK whatever the system's code page, which those functions would decode with.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The value of `key` in the first section named `section` (both matched without ASCII case),
// trimmed and without one pair of enclosing quotes; nothing when missing.
std::optional<std::wstring> FindIniValue(std::wstring_view text, std::wstring_view section, std::wstring_view key);

} // namespace platform
