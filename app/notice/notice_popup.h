// The notice pop-up: rises from the taskbar after start, and shows the exit notice.
#pragma once

#include "platform/win.h"

#include <functional>

// Creates the hidden pop-up window (main window creation).
void CreateNoticePopup();
// Centres the pop-up with the exit page and starts its 120-second countdown (exit).
void ShowExitNotice();
// Stops the pop-up's three timers.
void StopNoticeTimers();

// The timer handlers, callable directly (tests drive the pop-up tick by tick).
void PopupShowTick();
void PopupRiseTick();
void PopupCountdownTick();

// The figures the pop-up's placement depends on: screen size and the work area's lower edge.
struct ScreenMetrics {
    int cx = 0;
    int cy = 0;
    int workBottom = 0;
};
// Asks the system (SM_CXSCREEN, SM_CYSCREEN, SPI_GETWORKAREA).
ScreenMetrics SystemScreenMetrics();
// Where the pop-up takes its figures from; an empty function restores SystemScreenMetrics.
void SetScreenMetricsSource(std::function<ScreenMetrics()> source);
