#include "app/shell/theme_pictures.h"

#include "app/shell/app.h"
#include "platform/files.h"
#include "ui/button.h"

std::vector<unsigned char> LoadThemePicture(const std::string& file)
{
    return platform::ReadWholeFile(app().theme.Directory() + file);
}

SIZE PictureSize(const std::vector<unsigned char>& bytes)
{
    WTImage image;
    if (bytes.empty() || !image.LoadFromBytes(bytes)) {
        return SIZE{0, 0};
    }
    return SIZE{image.Width(), image.Height()};
}

StatePictures LoadStatePictures(const std::string& file, PictureLayout layout)
{
    const std::vector<unsigned char> strip = LoadThemePicture(file);
    const SIZE whole = PictureSize(strip);
    StatePictures pictures;
    pictures.stateWidth = layout == PictureLayout::Strip3H ? whole.cx / 3 : whole.cx;
    pictures.stateHeight = layout == PictureLayout::Strip3V ? whole.cy / 3 : whole.cy;
    pictures.usual = CutStatePicture(strip, layout, PictureState::Usual);
    pictures.light = CutStatePicture(strip, layout, PictureState::Light);
    pictures.down = CutStatePicture(strip, layout, PictureState::Down);
    return pictures;
}

void InitWholePictureButton(WTButton& button, const std::string& file, int left, int top, int margin)
{
    const std::vector<unsigned char> picture = LoadThemePicture(file);
    const SIZE size = PictureSize(picture);
    button.Initialise("", left, top, size.cx + margin, size.cy + margin);
    button.UsualPicture(picture, false);
    button.LightPicture(picture, false);
    button.DownPicture(picture, false);
}

void UseThemeFills(WTButton& button)
{
    const WTTheme& theme = app().theme;
    button.UsualColor(theme.ButtonUsualColor(), false);
    button.LightColor(theme.ButtonLightColor(), false);
    button.DownColor(theme.ButtonDownColor(), false);
}
