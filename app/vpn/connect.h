// The connect sequence for one line, and the program's local connection files.
#pragma once

#include <string>

inline constexpr char kEntryName[] = "Sorvik加速器";

// Program directory + "/vpn.dat".
std::string PhonebookPath();

// Thread body: hang up old connections, rewrite the log, write the entry, start the dial.
void ConnectLine(int lineIndex);

// Hangs up every active connection of the entry "Sorvik加速器"; others are left alone.
void HangUpOwnConnections();
