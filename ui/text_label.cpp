#include "ui/text_label.h"

#include "platform/text.h"

WTTextLabel::WTTextLabel() { ApplyDefaults(); }

void WTTextLabel::ApplyDefaults()
{
    horizontalAlignment_ = 1;
    verticalAlignment_ = 1;
    textColor_ = 0xFF000000;
    backgroundColor_ = 0x00FFFFFF;
}

void WTTextLabel::Initialise(const std::string& text, int left, int top, int width, int height)
{
    Reset();
    Text(text, false);
    Position(left, top, false);
    Size(width, height, false);
    ApplyDefaults();
}

std::string WTTextLabel::Text() const { return platform::Narrow(text_); }

void WTTextLabel::Text(const std::string& text, bool redraw) { SetProperty(text_, platform::Widen(text), redraw); }

void WTTextLabel::TextColor(Gdiplus::ARGB color, bool redraw) { SetProperty(textColor_, color, redraw); }

void WTTextLabel::HorizontalAlignment(int alignment, bool redraw)
{
    SetProperty(horizontalAlignment_, alignment, redraw);
}

void WTTextLabel::VerticalAlignment(int alignment, bool redraw) { SetProperty(verticalAlignment_, alignment, redraw); }

void WTTextLabel::BackgroundColor(Gdiplus::ARGB color, bool redraw) { SetProperty(backgroundColor_, color, redraw); }

void WTTextLabel::Draw(HDC dc)
{
    Gdiplus::Graphics graphics(dc);
    ApplyDrawQuality(graphics);
    FillArea(graphics, backgroundColor_);
    DrawTextIn(graphics, text_, textColor_, horizontalAlignment_, verticalAlignment_);
}
