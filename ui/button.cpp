#include "ui/button.h"

#include "platform/text.h"

WTButton::WTButton() { ApplyDefaults(); }

void WTButton::ApplyDefaults()
{
    horizontalAlignment_ = 1;
    verticalAlignment_ = 1;
    textColor_ = 0xFF000000;
    usualColor_ = 0x20FFFFFF;
    lightColor_ = 0x40FFFFFF;
    downColor_ = 0x34000000;
    WTFontRecord font;
    font.face = "微软雅黑";
    font.size = 12.0f;
    Font(font, false);
}

void WTButton::Initialise(const std::string& caption, int left, int top, int width, int height)
{
    Reset();
    Caption(caption, false);
    Position(left, top, false);
    Size(width, height, false);
    ApplyDefaults();
}

std::string WTButton::Caption() const { return platform::Narrow(caption_); }

void WTButton::Caption(const std::string& caption, bool redraw)
{
    SetProperty(caption_, platform::Widen(caption), redraw);
}

void WTButton::HorizontalAlignment(int alignment, bool redraw) { SetProperty(horizontalAlignment_, alignment, redraw); }

void WTButton::VerticalAlignment(int alignment, bool redraw) { SetProperty(verticalAlignment_, alignment, redraw); }

void WTButton::UsualColor(Gdiplus::ARGB color, bool redraw) { SetProperty(usualColor_, color, redraw); }

void WTButton::LightColor(Gdiplus::ARGB color, bool redraw) { SetProperty(lightColor_, color, redraw); }

void WTButton::DownColor(Gdiplus::ARGB color, bool redraw) { SetProperty(downColor_, color, redraw); }

void WTButton::TextColor(Gdiplus::ARGB color, bool redraw) { SetProperty(textColor_, color, redraw); }

void WTButton::UsualPicture(std::vector<unsigned char> bytes, bool redraw)
{
    SetPicture(usualPicture_, std::move(bytes), redraw);
}

void WTButton::LightPicture(std::vector<unsigned char> bytes, bool redraw)
{
    SetPicture(lightPicture_, std::move(bytes), redraw);
}

void WTButton::DownPicture(std::vector<unsigned char> bytes, bool redraw)
{
    SetPicture(downPicture_, std::move(bytes), redraw);
}

WTButton::State WTButton::CurrentState() const
{
    if (IsHovered()) {
        return IsPressed() ? State::Down : State::Light;
    }
    return State::Usual;
}

void WTButton::Draw(HDC dc)
{
    Gdiplus::Graphics graphics(dc);
    ApplyDrawQuality(graphics);
    switch (CurrentState()) {
    case State::Down:
        FillArea(graphics, downColor_);
        DrawCentred(graphics, downPicture_.Image());
        break;
    case State::Light:
        FillArea(graphics, lightColor_);
        DrawCentred(graphics, lightPicture_.Image());
        break;
    case State::Usual:
        FillArea(graphics, usualColor_);
        DrawCentred(graphics, usualPicture_.Image());
        break;
    }
    DrawTextIn(graphics, caption_, textColor_, horizontalAlignment_, verticalAlignment_);
}

void WTButton::OnLeftDown(POINT point)
{
    WTElement::OnLeftDown(point);
    Redraw();
}

void WTButton::OnLeftUp(POINT point, bool inside)
{
    WTElement::OnLeftUp(point, inside);
    Redraw();
    // A release after the mouse has left is no click.
    if (IsHovered()) {
        Message(kClick, 0, 0);
    }
}

void WTButton::OnMouseEnter()
{
    WTElement::OnMouseEnter();
    Redraw();
}

void WTButton::OnMouseLeave()
{
    WTElement::OnMouseLeave();
    Redraw();
}
