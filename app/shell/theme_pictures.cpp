#include "app/shell/theme_pictures.h"

#include "app/shell/app.h"
#include "platform/files.h"
#include "platform/text.h"
#include "ui/button.h"

std::vector<unsigned char> LoadThemePicture(const std::string& file)
{
    return platform::ReadWholeFile(app().theme.Directory() + platform::Widen(file));
}

std::string ScaledPictureName(const std::string& file, int percent)
{
    if (percent == 100) {
        return file;
    }
    const std::string suffix = percent == 150 ? "@1.5x" : "@" + std::to_string(percent / 100) + "x";
    const std::string::size_type dot = file.rfind('.');
    return dot == std::string::npos ? file + suffix : file.substr(0, dot) + suffix + file.substr(dot);
}

ScaledPicture LoadThemePicture(const std::string& file, int percent)
{
    if (percent != 100) {
        std::vector<unsigned char> scaled = LoadThemePicture(ScaledPictureName(file, percent));
        if (!scaled.empty()) {
            return ScaledPicture{std::move(scaled), percent};
        }
    }
    // A theme drawn at one size only is enlarged: blurred, but in its place.
    return ScaledPicture{LoadThemePicture(file), 100};
}

SIZE PictureSize(const std::vector<unsigned char>& bytes)
{
    WTImage image;
    if (bytes.empty() || !image.LoadFromBytes(bytes)) {
        return SIZE{0, 0};
    }
    return SIZE{image.Width(), image.Height()};
}

StatePictures LoadStatePictures(const std::string& file, PictureLayout layout, int percent)
{
    StatePictures pictures;
    ScaledPicture loaded = LoadThemePicture(file, percent);
    pictures.percent = loaded.percent;
    const std::vector<unsigned char> strip = std::move(loaded.bytes);
    if (layout == PictureLayout::Whole) {
        const SIZE whole = PictureSize(strip);
        pictures.stateWidth = whole.cx;
        pictures.stateHeight = whole.cy;
        pictures.usual = pictures.light = pictures.down = strip;
        return pictures;
    }
    // Decoded once for its size and all three cuts.
    WTImage source;
    if (strip.empty() || !source.LoadFromBytes(strip)) {
        return pictures;
    }
    pictures.stateWidth = layout == PictureLayout::Strip3H ? source.Width() / 3 : source.Width();
    pictures.stateHeight = layout == PictureLayout::Strip3V ? source.Height() / 3 : source.Height();
    pictures.usual = CutDecodedStatePicture(source, layout, PictureState::Usual);
    pictures.light = CutDecodedStatePicture(source, layout, PictureState::Light);
    pictures.down = CutDecodedStatePicture(source, layout, PictureState::Down);
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

void SetStatePictures(WTButton& button, const StatePictures& pictures)
{
    button.UsualPicture(pictures.usual, false);
    button.LightPicture(pictures.light, false);
    button.DownPicture(pictures.down, false);
    button.PicturePercent(pictures.percent);
}

void UseThemeFills(WTButton& button)
{
    const WTTheme& theme = app().theme;
    button.UsualColor(theme.ButtonUsualColor(), false);
    button.LightColor(theme.ButtonLightColor(), false);
    button.DownColor(theme.ButtonDownColor(), false);
}
