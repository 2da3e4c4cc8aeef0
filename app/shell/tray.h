// The notification-area icon and its menu.
#pragma once

#include <string>

enum TrayCommand {
    kTrayOpen = 1,
    kTrayOneClick = 2,
    kTrayCustom = 3,
    kTrayStop = 4,
    kTrayWebsite = 5,
    kTrayForum = 6,
    kTrayExit = 7,
    kTrayAutoReconnect = 8,
    kTrayStartWithWindows = 9,
};

void SetUpTray();
void OnTrayEvent(int code);
// Greys or enables one menu command.
void SetTrayItemEnabled(int commandId, bool enabled);
// Ticks or clears one of the menu's switches, keeping whether it is greyed.
void SetTrayItemChecked(int commandId, bool checked);
bool TrayItemChecked(int commandId);
// The icon's tooltip (GBK); empty gives back the program's name. UI thread.
void SetTrayTip(const std::string& text);
