#include "ui/theme.h"

#include "platform/files.h"
#include "ui/theme_color.h"

void WTTheme::Load(const std::string& programDirectory)
{
    *this = WTTheme{};
    const std::string name = platform::ReadIniText(programDirectory + "/theme/theme.ini", "theme", "name");
    directory_ = programDirectory + "/theme/" + name + "/";
    const std::string config = directory_ + "config.ini";
    displayName_ = platform::ReadIniText(config, "theme", "name");
    backgroundFile_ = platform::ReadIniText(config, "theme", "bgImage");
    backgroundPicture_ = backgroundFile_.empty() ? std::vector<unsigned char>()
                                                 : platform::ReadWholeFile(directory_ + backgroundFile_);
    const struct {
        const char* key;
        std::uint32_t* color;
    } colors[] = {
        {"titleColor", &titleColor_},
        {"bgColor", &backgroundColor_},
        {"btnUsual", &buttonUsualColor_},
        {"btnLight", &buttonLightColor_},
        {"btnDown", &buttonDownColor_},
        {"btnChecked", &buttonCheckedColor_},
    };
    for (const auto& entry : colors) {
        if (auto color = ParseThemeColor(platform::ReadIniText(config, "theme", entry.key))) {
            *entry.color = *color;
        }
    }
}
