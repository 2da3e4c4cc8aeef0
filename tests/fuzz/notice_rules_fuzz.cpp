// The notice file's values: version list, re-show time and addresses.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/notice/notice_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)VersionIsCurrent(text);
    if (NoticeIntervalMs(text) < 0) {
        __builtin_trap();
    }
    std::string head(text.substr(0, 8));
    for (char& c : head) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    const bool web = head.starts_with("http://") || head.starts_with("https://");
    if (IsWebAddress(text) != web) {
        __builtin_trap();
    }
    if (size >= 4) {
        int seconds = 0;
        for (int i = 0; i < 4; ++i) {
            seconds = static_cast<int>(static_cast<unsigned>(seconds) << 8 | data[i]);
        }
        (void)CountdownText(seconds);
    }
    return 0;
}
