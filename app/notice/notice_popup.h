// The notice pop-up: rises from the taskbar after start, and shows the exit notice.
#pragma once

// Creates the hidden pop-up window (main window creation).
void CreateNoticePopup();
// Centres the pop-up with the exit page and starts its 120-second countdown (exit).
void ShowExitNotice();
// Stops the pop-up's three timers.
void StopNoticeTimers();
