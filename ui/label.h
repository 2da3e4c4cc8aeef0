// WTLabel: a system "Static" text control whose colours the parent's
// WM_CTLCOLORSTATIC (reflected to the label) applies.
#pragma once

#include "platform/win.h"

#include <string>

#include "platform/handles.h"
#include "ui/window.h"

class WTLabel : public WTWindow {
public:
    // Background "colour" that lets the parent's pixels show through.
    static constexpr COLORREF kTransparent = 0xFFFFFFFF;

    // text is GBK. The background starts as the system's button face.
    bool Create(HWND parent, const std::string& text = "标签", DWORD style = SS_CENTERIMAGE, int x = 0, int y = 0,
        int width = 80, int height = 24, DWORD exStyle = 0);

    using WTWindow::Text;
    void Text(const std::string& text) const;

    COLORREF TextColor() const { return textColor_; }
    void TextColor(COLORREF color, bool redraw = true);
    COLORREF BackColor() const { return backColor_; }
    // A colour, or kTransparent.
    void BackColor(COLORREF color, bool redraw = true);
    // The brush answered to the colour request (the stock null brush when transparent).
    HBRUSH BackBrush() const;

protected:
    LRESULT OnReflectedColor(HWND child, HDC dc) override;
    void ReleaseResources() override;

private:
    void CopyParentPixels(HDC dc) const;

    COLORREF textColor_ = 0;
    COLORREF backColor_ = 0;
    platform::UniqueBrush backBrush_;
};
