// Probing every line on the worker pool, and ranking the results.
#pragma once

void StartSpeedTest(bool resetLatencies);
void RetestSpeed();
int PickFastestLine();

// Handlers of MsgSpeedTestStart / MsgSpeedTestDone (UI thread).
void OnSpeedTestStart();
void OnSpeedTestDone();
// Ends the running watcher without its done message (a new run or a refresh replaces it).
void CancelSpeedTestWatcher();
// UI thread: writes a line's latency into its row.
void ShowLineLatency(int lineIndex);
