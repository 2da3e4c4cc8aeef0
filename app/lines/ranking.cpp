#include "app/lines/ranking.h"

#include "app/lines/latency_text.h"
#include "app/lines/line_rows.h"

int PickFastest(const LineList& lines)
{
    int best = kNoLatency;
    int chosen = -1;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& latency = lines[i].latency;
        if (latency.empty() || latency == kLatencyTimeoutText) {
            continue;
        }
        const int value = LeadingNumber(latency);
        if (value < best) {
            best = value;
            chosen = static_cast<int>(i) + 1;
        }
    }
    return chosen;
}
