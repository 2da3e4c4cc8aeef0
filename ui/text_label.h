// WTTextLabel: a drawn text on a background colour.
#pragma once

#include <string>

#include "ui/element.h"

class WTTextLabel : public WTElement {
public:
    WTTextLabel();

    // Reset, text, geometry without redraw, and the label defaults.
    void Initialise(const std::string& text, int left, int top, int width, int height);

    std::string Text() const; // GBK
    void Text(const std::string& text, bool redraw = true);
    Gdiplus::ARGB TextColor() const { return textColor_; }
    void TextColor(Gdiplus::ARGB color, bool redraw = true);
    int HorizontalAlignment() const { return horizontalAlignment_; } // 0 near, 1 centre, 2 far
    void HorizontalAlignment(int alignment, bool redraw = true);
    int VerticalAlignment() const { return verticalAlignment_; }
    void VerticalAlignment(int alignment, bool redraw = true);
    Gdiplus::ARGB BackgroundColor() const { return backgroundColor_; }
    void BackgroundColor(Gdiplus::ARGB color, bool redraw = true);

    void Draw(HDC dc) override;

private:
    void ApplyDefaults();

    std::wstring text_;
    int horizontalAlignment_ = 1;
    int verticalAlignment_ = 1;
    Gdiplus::ARGB textColor_ = 0;
    Gdiplus::ARGB backgroundColor_ = 0;
};
