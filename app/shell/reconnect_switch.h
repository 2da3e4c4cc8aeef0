// The tray's switch "断线自动重连" and where it is kept: settings.ini beside the program,
//   [Sorvik]
//   AutoReconnect=1
// A missing or unreadable file, or any value but 0, means on.
#pragma once

#include <string>

// Program directory + "/settings.ini".
std::wstring SettingsPath();

// Reads the switch from the file into the App and returns it. UI thread.
bool LoadAutoReconnect();

// Flips the switch, its tick in the tray menu and the file. UI thread.
void ToggleAutoReconnect();
