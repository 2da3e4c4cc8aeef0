#include "app/shell/reconnect_switch.h"

#include <string_view>
#include <vector>

#include "app/shell/app.h"
#include "app/shell/tray.h"
#include "platform/files.h"

namespace {

constexpr char kSection[] = "Sorvik";
constexpr char kKey[] = "AutoReconnect";

// Through a temporary file, like the line cache: a write cut short never leaves a torn file.
bool SaveAutoReconnect(bool on)
{
    const std::string_view text = on ? "[Sorvik]\r\nAutoReconnect=1\r\n" : "[Sorvik]\r\nAutoReconnect=0\r\n";
    return platform::ReplaceWholeFile(SettingsPath(), std::vector<unsigned char>(text.begin(), text.end()));
}

} // namespace

std::wstring SettingsPath() { return platform::ProgramDirectory() + L"/settings.ini"; }

bool LoadAutoReconnect()
{
    const bool on = platform::ReadIniText(SettingsPath(), kSection, kKey) != "0";
    app().autoReconnect = on;
    return on;
}

void ToggleAutoReconnect()
{
    App& a = app();
    const bool on = !a.autoReconnect.load();
    a.autoReconnect = on;
    SetTrayItemChecked(kTrayAutoReconnect, on);
    // A folder the program cannot write keeps the choice for this run only.
    static_cast<void>(SaveAutoReconnect(on));
}
