// RC4 with a key taken from the input: same length out, and twice restores.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "app/lines/rc4.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    const std::size_t keyLength = data[0] % 64; // 0 .. 63, so the empty key is tried too
    const std::span<const std::uint8_t> rest(data + 1, size - 1);
    const auto key = rest.first(std::min(keyLength, rest.size()));
    const auto body = rest.subspan(key.size());
    const auto once = DecipherResponse(body, key);
    if (key.empty() || body.empty()) {
        if (!once.empty()) {
            __builtin_trap();
        }
        return 0;
    }
    if (once.size() != body.size()) {
        __builtin_trap();
    }
    const auto twice = DecipherResponse(once, key);
    if (!std::equal(twice.begin(), twice.end(), body.begin(), body.end())) {
        __builtin_trap();
    }
    return 0;
}
