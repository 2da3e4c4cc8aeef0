#include "ui/image_box.h"

WTImageBox::WTImageBox() = default;

void WTImageBox::Initialise(const std::string&, int left, int top, int width, int height)
{
    Reset();
    Position(left, top, false);
    Size(width, height, false);
    backgroundColor_ = 0x00FFFFFF;
}

void WTImageBox::Picture(std::vector<unsigned char> bytes, bool redraw)
{
    SetPicture(picture_, std::move(bytes), redraw);
}

void WTImageBox::BackgroundColor(Gdiplus::ARGB color, bool redraw) { SetProperty(backgroundColor_, color, redraw); }

int WTImageBox::Message(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_LBUTTONDOWN) {
        return 1;
    }
    return WTElement::Message(message, wParam, lParam);
}

void WTImageBox::Draw(HDC dc)
{
    Gdiplus::Graphics graphics(dc);
    ApplyDrawQuality(graphics);
    FillArea(graphics, backgroundColor_);
    const WTImage& image = picture_.Image();
    const RECT area = DeviceRect();
    if (image.IsLoaded() && area.right > area.left && area.bottom > area.top) {
        // Mirrored edges keep a scaled picture from fading into transparency at its border.
        Gdiplus::ImageAttributes attributes;
        attributes.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
        WTRecordStatus(graphics.DrawImage(image.Native(),
            Gdiplus::Rect(area.left, area.top, area.right - area.left, area.bottom - area.top), 0, 0, image.Width(),
            image.Height(), Gdiplus::UnitPixel, &attributes));
    }
}
