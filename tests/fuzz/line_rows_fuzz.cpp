// The line list as it arrives: enciphered bytes, deciphered, converted, split and parsed.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "app/lines/latency_text.h"
#include "app/lines/line_rows.h"
#include "app/lines/ranking.h"
#include "app/lines/rc4.h"
#include "platform/charset.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::uint8_t kKey[] = {'s', 'e', 'e', 'd', 'k', 'e', 'y'};
    const std::span<const std::uint8_t> input(data, size);

    // Plain text straight into the parser, and the same bytes through the whole fetch path.
    for (const bool decipher : {false, true}) {
        std::string_view text(reinterpret_cast<const char*>(data), size);
        std::vector<std::uint8_t> plain;
        std::string gbk;
        if (decipher) {
            plain = DecipherResponse(input, kKey);
            if (plain.size() != size) {
                __builtin_trap();
            }
            gbk = platform::Utf8ToGbk(std::string_view(reinterpret_cast<const char*>(plain.data()), plain.size()));
            text = gbk;
        }
        LineList lines;
        for (const std::string& row : SplitRows(text)) {
            if (row.find("\r\n") != std::string::npos) {
                __builtin_trap();
            }
            if (auto line = LineFromRow(row)) {
                if (!line->latency.empty() || ParseLineRow(row).size() < 5) {
                    __builtin_trap();
                }
                (void)LoadIconIndex(line->load);
                line->latency = LatencyText(LeadingNumber(line->probePort) % 10000);
                lines.push_back(std::move(*line));
            }
        }
        const int chosen = PickFastest(lines);
        if (chosen != -1 && (chosen < 1 || static_cast<std::size_t>(chosen) > lines.size())) {
            __builtin_trap();
        }
    }
    return 0;
}
