// Measuring one line: three timed connects, the best one kept.
#pragma once

inline constexpr int kProbeAttempts = 3;
inline constexpr int kProbeTimeoutMs = 2000;

// Runs on a pool worker; writes the line's latency and asks the UI thread to show it.
void ProbeLine(int lineIndex);
