#include "app/lines/live_latency.h"

#include <algorithm>

void LatencyWindow::Add(std::uint64_t nowMs, int latencyMs)
{
    probes_.push_back({nowMs, latencyMs < 0 ? -1 : latencyMs});
    Forget(nowMs);
}

void LatencyWindow::Forget(std::uint64_t nowMs)
{
    // A probe exactly a span old has left the last minute.
    while (!probes_.empty() && nowMs - probes_.front().at >= kSpanMs) {
        probes_.pop_front();
    }
}

LatencySummary LatencyWindow::Summarise(std::uint64_t nowMs)
{
    Forget(nowMs);
    LatencySummary s;
    long long total = 0;
    for (const Probe& p : probes_) {
        ++s.probes;
        if (p.latencyMs < 0) {
            ++s.failed;
            continue;
        }
        total += p.latencyMs;
        s.lowest = s.lowest < 0 ? p.latencyMs : std::min(s.lowest, p.latencyMs);
        s.highest = std::max(s.highest, p.latencyMs);
    }
    const int connected = s.probes - s.failed;
    if (connected > 0) {
        s.average = static_cast<int>((total + connected / 2) / connected);
    }
    if (s.probes > 0) {
        s.failedPercent = (s.failed * 100 + s.probes / 2) / s.probes;
    }
    return s;
}
