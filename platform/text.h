// Conversions between the program's GBK texts (system ANSI code page) and UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace platform {

std::wstring Widen(std::string_view ansi);
std::string Narrow(std::wstring_view wide);

} // namespace platform
