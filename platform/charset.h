// UTF-8 to GBK, all or nothing: the line list arrives as UTF-8 and the program works in GBK.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// The GBK bytes of `utf8`; empty when the input is not valid UTF-8 (including a sequence
// cut off at the end) or holds a character without a GBK form. The Private Use Area has no
// GBK form here on either build, so both builds convert the same characters.
std::string Utf8ToGbk(std::string_view utf8);

} // namespace platform
