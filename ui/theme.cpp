#include "ui/theme.h"

#include "platform/files.h"
#include "platform/text.h"
#include "ui/theme_color.h"

void WTTheme::Load(const std::wstring& programDirectory)
{
    *this = WTTheme{};
    const std::string name = platform::ReadIniText(programDirectory + L"/theme/theme.ini", "theme", "name");
    directory_ = programDirectory + L"/theme/" + platform::Widen(name) + L"/";
    const std::wstring config = directory_ + L"config.ini";
    displayName_ = platform::ReadIniText(config, "theme", "name");
    backgroundFile_ = platform::ReadIniText(config, "theme", "bgImage");
    backgroundPicture_ = backgroundFile_.empty()
        ? std::vector<unsigned char>()
        : platform::ReadWholeFile(directory_ + platform::Widen(backgroundFile_));
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
