// WTTheme: the look of the program's windows, read once from the theme directory beside the program.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class WTTheme {
public:
    // Reads programDirectory + "/theme/theme.ini", then the chosen theme's "config.ini".
    // Anything missing leaves its value empty or 0; nothing is reported.
    void Load(const std::wstring& programDirectory);

    // Ends with "/"; program directory + "/theme/" + name + "/".
    const std::wstring& Directory() const { return directory_; }
    const std::string& DisplayName() const { return displayName_; } // GBK
    std::uint32_t BackgroundColor() const { return backgroundColor_; }
    const std::vector<unsigned char>& BackgroundPicture() const { return backgroundPicture_; }
    // The background picture's file name in the theme directory ("bgImage").
    const std::string& BackgroundFile() const { return backgroundFile_; }
    std::uint32_t ButtonUsualColor() const { return buttonUsualColor_; }
    std::uint32_t ButtonLightColor() const { return buttonLightColor_; }
    std::uint32_t ButtonDownColor() const { return buttonDownColor_; }
    std::uint32_t ButtonCheckedColor() const { return buttonCheckedColor_; }
    std::uint32_t TitleColor() const { return titleColor_; }

private:
    std::wstring directory_;
    std::string displayName_;
    std::uint32_t backgroundColor_ = 0;
    std::vector<unsigned char> backgroundPicture_;
    std::string backgroundFile_;
    std::uint32_t titleColor_ = 0;
    std::uint32_t buttonUsualColor_ = 0;
    std::uint32_t buttonLightColor_ = 0;
    std::uint32_t buttonDownColor_ = 0;
    std::uint32_t buttonCheckedColor_ = 0;
};
