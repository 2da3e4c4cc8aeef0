#include "app/lines/latency_probe.h"

#include <mutex>
#include <optional>

#include "app/lines/connect_timer.h"
#include "app/lines/latency_text.h"
#include "app/lines/line_rows.h"
#include "app/shell/app.h"
#include "app/shell/messages.h"

namespace {

struct ProbeTarget {
    std::string address;
    int port = 0;
};

// The line's address and port, read under listLock; nothing when the index is gone.
std::optional<ProbeTarget> ReadTarget(int lineIndex)
{
    App& a = app();
    std::lock_guard<platform::CriticalSection> lock(a.listLock);
    if (lineIndex < 1 || lineIndex > static_cast<int>(a.lineList.size())) {
        return std::nullopt;
    }
    const Line& line = a.lineList[static_cast<size_t>(lineIndex) - 1];
    return ProbeTarget{line.address, LeadingNumber(line.probePort)};
}

} // namespace

void ProbeLine(int lineIndex)
{
    if (!ReadTarget(lineIndex)) {
        return;
    }
    int best = kNoLatency;
    for (int attempt = 0; attempt < kProbeAttempts; ++attempt) {
        const std::optional<ProbeTarget> target = ReadTarget(lineIndex);
        if (!target) {
            return;
        }
        best = KeepBest(best, MeasureConnectTime(target->address, target->port, kProbeTimeoutMs));
    }
    App& a = app();
    {
        std::lock_guard<platform::CriticalSection> lock(a.listLock);
        if (lineIndex > static_cast<int>(a.lineList.size())) {
            return;
        }
        a.lineList[static_cast<size_t>(lineIndex) - 1].latency = LatencyText(best);
    }
    // Posted, not sent: a worker never waits for the UI thread.
    a.notifyLabel.Post(msg::MsgLineLatency, static_cast<WPARAM>(lineIndex));
}
