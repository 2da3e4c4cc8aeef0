// The texts of starting with Windows: the command kept under the Run key and the switch it passes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// What Windows runs at log-on: the exe's path, quoted (it may hold spaces), and the tray switch.
std::wstring RunCommandFor(std::wstring_view exePath);

// The program a Run command starts: the quoted first part, or up to the first space unquoted.
std::wstring ProgramOfRunCommand(std::wstring_view command);

// Whether the arguments after the program's name ask to start in the notification area:
// "/tray" or "-tray", in any case.
bool AsksToStartInTray(const std::vector<std::wstring>& arguments);
