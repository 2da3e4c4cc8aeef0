// The connect sequence for one line, and the program's local connection files.
#pragma once

#include <string>

#include "app/lines/line.h"

inline constexpr char kEntryName[] = "Sorvik加速器";

// Shown when a connect cannot start its dial.
inline constexpr char kLineGoneText[] = "线路已失效，请刷新线路列表后重试";
inline constexpr char kLineTooLongText[] = "线路信息过长，无法连接";

// Program directory + "/vpn.dat".
std::string PhonebookPath();

// Thread body: hang up old connections, rewrite the log, write the entry, start the dial.
// When no dial can start (the line is gone, a field does not fit, RAS refuses at once) the
// reason goes to LastStatusText and the log, and MsgVpnDialFailed to notifyLabel.
void ConnectLine(int lineIndex);

// Hangs up every active connection of the entry "Sorvik加速器"; others are left alone.
void HangUpOwnConnections();

// The line of that 1-based index, or null when LineList has none. Hold listLock while using it.
const Line* FindLine(int lineIndex);
