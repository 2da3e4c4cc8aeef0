#include "app/lines/connection_texts.h"

#include <cstdio>
#include <iterator>

#include "app/lines/latency_text.h"

namespace {

std::string TwoDigits(std::uint64_t value) { return (value < 10 ? "0" : "") + std::to_string(value); }

std::string LatencyValue(int latencyMs)
{
    return latencyMs < 0 ? std::string(kLatencyTimeoutText) : std::to_string(latencyMs) + " 毫秒";
}

} // namespace

std::string DurationText(std::uint64_t seconds)
{
    const std::uint64_t hours = seconds / 3600;
    const std::string minutesAndSeconds = TwoDigits(seconds / 60 % 60) + ":" + TwoDigits(seconds % 60);
    return hours == 0 ? minutesAndSeconds : std::to_string(hours) + ":" + minutesAndSeconds;
}

std::string ByteCountText(std::uint64_t bytes)
{
    static constexpr const char* kUnits[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
    if (bytes < 1000) {
        return std::to_string(bytes) + " B";
    }
    std::uint64_t unit = 1024;
    size_t index = 0;
    while (bytes / unit >= 1000 && index + 1 < std::size(kUnits)) {
        unit *= 1024;
        ++index;
    }
    const std::uint64_t whole = bytes / unit;
    // Hundredths of the unit, cut; bytes % unit < 2^60, so times 100 stays in 64 bits.
    const std::uint64_t hundredths = bytes % unit / (unit / 1024) * 100 / 1024;
    char text[32]; // holds the longest figure, so the lengths snprintf returns need no check
    if (whole < 10) {
        (void)std::snprintf(text, sizeof text, "%u.%02u %s", static_cast<unsigned>(whole),
            static_cast<unsigned>(hundredths), kUnits[index]);
    } else if (whole < 100) {
        (void)std::snprintf(text, sizeof text, "%u.%u %s", static_cast<unsigned>(whole),
            static_cast<unsigned>(hundredths / 10), kUnits[index]);
    } else {
        (void)std::snprintf(text, sizeof text, "%u %s", static_cast<unsigned>(whole), kUnits[index]);
    }
    return text;
}

std::string ConnectedText(std::uint64_t seconds) { return "已连接 " + DurationText(seconds); }

std::string TrafficText(std::uint64_t sent, std::uint64_t received)
{
    return "发送 " + ByteCountText(sent) + "　接收 " + ByteCountText(received);
}

std::string LatencyNowText(bool measured, int latencyMs)
{
    return "当前延时 " + (measured ? LatencyValue(latencyMs) : std::string("测量中…"));
}

std::string LatencySummaryText(const LatencySummary& summary)
{
    if (summary.probes == 0) {
        return {};
    }
    const std::string failed = "失败 " + std::to_string(summary.failedPercent) + "%";
    if (summary.lowest < 0) {
        return "近一分钟 无一次连通，" + failed;
    }
    return "近一分钟 最低 " + std::to_string(summary.lowest) + " / 平均 " + std::to_string(summary.average) + " / 最高 "
        + std::to_string(summary.highest) + " 毫秒，" + failed;
}

std::string LineTipText(const std::string& lineName, bool measured, int latencyMs)
{
    return measured ? lineName + " 延时 " + LatencyValue(latencyMs) : lineName;
}
