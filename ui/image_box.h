// WTImageBox: a drawn picture scaled to its rectangle, on a background colour.
#pragma once

#include <string>
#include <vector>

#include "ui/element.h"
#include "ui/image.h"

class WTImageBox : public WTElement {
public:
    WTImageBox();

    // Reset, geometry without redraw, and the defaults; the text is not shown.
    void Initialise(const std::string& text, int left, int top, int width, int height);

    const std::vector<unsigned char>& Picture() const { return picture_.Bytes(); }
    void Picture(std::vector<unsigned char> bytes, bool redraw = true);
    Gdiplus::ARGB BackgroundColor() const { return backgroundColor_; }
    void BackgroundColor(Gdiplus::ARGB color, bool redraw = true);

    // A left press passes through untouched, so a picture in the title strip still drags the window.
    int Message(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Draw(HDC dc) override;

private:
    WTPicture picture_;
    Gdiplus::ARGB backgroundColor_ = 0x00FFFFFF;
};
