// WTButton: a drawn button with a fill colour, a picture and a caption per state.
#pragma once

#include <string>
#include <vector>

#include "ui/element.h"
#include "ui/image.h"

class WTButton : public WTElement {
public:
    enum class State { Usual, Light, Down };

    WTButton();

    // Reset, caption, geometry without redraw, and the button defaults.
    void Initialise(const std::string& caption, int left, int top, int width, int height);

    std::string Caption() const; // GBK
    void Caption(const std::string& caption, bool redraw = true);
    int HorizontalAlignment() const { return horizontalAlignment_; } // 0 near, 1 centre, 2 far
    void HorizontalAlignment(int alignment, bool redraw = true);
    int VerticalAlignment() const { return verticalAlignment_; }
    void VerticalAlignment(int alignment, bool redraw = true);
    Gdiplus::ARGB UsualColor() const { return usualColor_; }
    void UsualColor(Gdiplus::ARGB color, bool redraw = true);
    Gdiplus::ARGB LightColor() const { return lightColor_; }
    void LightColor(Gdiplus::ARGB color, bool redraw = true);
    Gdiplus::ARGB DownColor() const { return downColor_; }
    void DownColor(Gdiplus::ARGB color, bool redraw = true);
    Gdiplus::ARGB TextColor() const { return textColor_; }
    void TextColor(Gdiplus::ARGB color, bool redraw = true);
    const std::vector<unsigned char>& UsualPicture() const { return usualPicture_.Bytes(); }
    void UsualPicture(std::vector<unsigned char> bytes, bool redraw = true);
    const std::vector<unsigned char>& LightPicture() const { return lightPicture_.Bytes(); }
    void LightPicture(std::vector<unsigned char> bytes, bool redraw = true);
    const std::vector<unsigned char>& DownPicture() const { return downPicture_.Bytes(); }
    void DownPicture(std::vector<unsigned char> bytes, bool redraw = true);

    // Hovered and pressed: down; hovered: light; otherwise usual.
    State CurrentState() const;

    void Draw(HDC dc) override;
    void OnLeftDown(POINT point) override;
    void OnLeftUp(POINT point, bool inside) override;
    void OnMouseEnter() override;
    void OnMouseLeave() override;

private:
    void ApplyDefaults();

    std::wstring caption_;
    int horizontalAlignment_ = 1;
    int verticalAlignment_ = 1;
    Gdiplus::ARGB textColor_ = 0;
    Gdiplus::ARGB usualColor_ = 0;
    Gdiplus::ARGB lightColor_ = 0;
    Gdiplus::ARGB downColor_ = 0;
    WTPicture usualPicture_;
    WTPicture lightPicture_;
    WTPicture downPicture_;
};
