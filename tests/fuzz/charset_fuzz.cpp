// UTF-8 to GBK over arbitrary bytes: all or nothing, never longer than the input.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/charset.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view utf8(reinterpret_cast<const char*>(data), size);
    const std::string gbk = platform::Utf8ToGbk(utf8);
    if (gbk.size() > utf8.size()) {
        __builtin_trap();
    }
    if (!gbk.empty()) {
        // All or nothing: one invalid byte at the end spoils the whole text.
        std::string bad(utf8);
        bad += '\xFF';
        if (!platform::Utf8ToGbk(bad).empty()) {
            __builtin_trap();
        }
    }
    return 0;
}
