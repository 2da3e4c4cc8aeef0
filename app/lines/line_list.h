// Fetching the line list from the service and showing it; when the service gives no line, the
// last list it gave (lines.dat) while the fetch is retried.
#pragma once

inline constexpr char kCachedLinesStatus[] = "状态：服务暂不可用，使用上次的线路";

// UI thread: a fetch now, in place of any retry still waiting.
void RefreshLineList();
// UI thread: no retry after this (the program is exiting).
void StopLineListRetry();
