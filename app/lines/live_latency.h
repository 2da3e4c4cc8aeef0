// The connected line's latency over the last minute: one connect probe every few seconds, each
// either a time in milliseconds or a failure.
#pragma once

#include <cstdint>
#include <deque>

struct LatencySummary {
    int probes = 0; // in the span
    int failed = 0;
    // Of the probes that connected; -1 when none did.
    int lowest = -1;
    int average = -1; // rounded to the nearest millisecond
    int highest = -1;
    int failedPercent = 0; // rounded to the nearest whole percent
};

class LatencyWindow {
public:
    static constexpr std::uint64_t kSpanMs = 60000;

    // A probe that ended at `nowMs` (a steady clock): its time, or -1 when it did not connect.
    void Add(std::uint64_t nowMs, int latencyMs);
    // The probes of the last kSpanMs before `nowMs`; older ones are forgotten.
    LatencySummary Summarise(std::uint64_t nowMs);
    void Clear() { probes_.clear(); }

private:
    struct Probe {
        std::uint64_t at;
        int latencyMs;
    };
    void Forget(std::uint64_t nowMs);

    std::deque<Probe> probes_;
};
