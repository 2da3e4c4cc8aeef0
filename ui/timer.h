// WTTimer: a periodic callback on the thread that starts it, built on thread
// timers (no window), so it fires from any message loop of that thread.
#pragma once

#include "platform/win.h"

#include <functional>

class WTTimer {
public:
    WTTimer() = default;
    ~WTTimer();
    WTTimer(const WTTimer&) = delete;
    WTTimer& operator=(const WTTimer&) = delete;

    // Keeps the callback either way; false (and no timer) when already running
    // or when the interval is not positive.
    bool Start(int intervalMs, std::function<void()> callback);
    // Kills the timer; the callback stays for a later SetInterval.
    bool Stop();
    bool Running() const { return id_ != 0; }
    int Interval() const { return interval_; }
    // Positive: re-arms the running timer or starts one with the kept callback.
    // Zero or negative: stops.
    bool SetInterval(int intervalMs);

private:
    static void CALLBACK Fire(HWND hwnd, UINT message, UINT_PTR id, DWORD tick);
    bool Arm(int intervalMs);

    UINT_PTR id_ = 0;
    int interval_ = 0;
    std::function<void()> callback_;
};
