// "/log.log" beside the program: rewritten at each connect, one line per dial notification.
#pragma once

#include <string>

std::wstring LogPath();
void ResetLog();
void AppendLog(const std::string& text);
