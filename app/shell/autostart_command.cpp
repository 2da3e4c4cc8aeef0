#include "app/shell/autostart_command.h"

#include <algorithm>

std::wstring RunCommandFor(std::wstring_view exePath) { return L"\"" + std::wstring(exePath) + L"\" /tray"; }

std::wstring ProgramOfRunCommand(std::wstring_view command)
{
    if (command.starts_with(L'"')) {
        const size_t end = command.find(L'"', 1);
        // An unclosed quote runs to the end, as Windows reads it.
        return std::wstring(command.substr(1, end == std::wstring_view::npos ? std::wstring_view::npos : end - 1));
    }
    return std::wstring(command.substr(0, command.find(L' ')));
}

bool AsksToStartInTray(const std::vector<std::wstring>& arguments)
{
    // The switch is ASCII: folding A-Z is all the case-insensitivity it needs, in any locale.
    const auto isTray = [](const std::wstring& argument) {
        if (argument.size() != 5 || (argument[0] != L'/' && argument[0] != L'-')) {
            return false;
        }
        return std::equal(argument.begin() + 1, argument.end(), L"tray", [](wchar_t a, wchar_t b) {
            return (a >= L'A' && a <= L'Z' ? static_cast<wchar_t>(a - L'A' + L'a') : a) == b;
        });
    };
    return std::any_of(arguments.begin(), arguments.end(), isTray);
}
