// The connected panel's and the tray tooltip's texts (GBK): time connected, traffic, latency.
#pragma once

#include <cstdint>
#include <string>

#include "app/lines/live_latency.h"

// "分:秒" under an hour ("07:05"), then "时:分:秒" ("1:00:00").
std::string DurationText(std::uint64_t seconds);
// Bytes in units of 1024, below 1000 of the unit and with three digits at most, cut, not rounded
// ("999 B", "1.50 KB", "12.3 MB", "512 MB", "0.97 GB").
std::string ByteCountText(std::uint64_t bytes);

std::string ConnectedText(std::uint64_t seconds); // "已连接 07:05"
std::string TrafficText(std::uint64_t sent, std::uint64_t received); // "发送 1.50 KB　接收 12.3 MB"
// The last probe: milliseconds, or -1 when it did not connect; `measured` false before the first.
std::string LatencyNowText(bool measured, int latencyMs);
// Lowest, average and highest of the last minute and the share that failed; empty without probes.
std::string LatencySummaryText(const LatencySummary& summary);
// The tray tooltip: the line's name and its last latency.
std::string LineTipText(const std::string& lineName, bool measured, int latencyMs);
