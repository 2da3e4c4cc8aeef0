// Conversions between UTF-16 and the program's GBK texts (code page 936 whatever the system's
// ANSI code page is: players also run English and UTF-8 Windows), and UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace platform {

std::wstring Widen(std::string_view gbk);
// Characters without a GBK form become '?'.
std::string Narrow(std::wstring_view wide);

std::wstring WidenUtf8(std::string_view utf8);
std::string NarrowUtf8(std::wstring_view wide);

} // namespace platform
