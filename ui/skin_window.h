// WTSkinWindow: gives a framework window a drawn surface (background colour and
// picture, title strip, thin border) and the windowless elements drawn on it.
#pragma once

#include "platform/win.h"
#include <gdiplus.h>

#include <memory>
#include <vector>

#include "ui/image.h"
#include "ui/memory_canvas.h"
#include "ui/window.h"

class WTElement;

class WTSkinWindow {
public:
    WTSkinWindow();
    ~WTSkinWindow();
    WTSkinWindow(const WTSkinWindow&) = delete;
    WTSkinWindow& operator=(const WTSkinWindow&) = delete;

    // Takes over the window's messages through its message hook; false when hwnd is no window.
    bool Attach(HWND hwnd);
    // Removes the hook, lets go of the window and frees the back buffer.
    void Detach();
    HWND Handle() const { return hwnd_; }

    int TitleHeight() const { return titleHeight_; }
    void TitleHeight(int height);
    Gdiplus::ARGB BackgroundColor() const { return backgroundColor_; }
    void BackgroundColor(Gdiplus::ARGB color);
    const std::vector<unsigned char>& BackgroundPicture() const { return backgroundPicture_; }
    // `percent`: the scale the picture was drawn for; it is shown at the window's DPI.
    void BackgroundPicture(std::vector<unsigned char> bytes, int percent = 100);
    // The window's DPI (taken at attach): the title strip and every element are scaled from 96 DPI to it.
    unsigned Dpi() const { return dpi_; }
    void Dpi(unsigned value);
    Gdiplus::ARGB TitleColor() const { return titleColor_; }
    void TitleColor(Gdiplus::ARGB color);
    bool Border() const { return border_; }
    void Border(bool on);
    bool Capture() const { return capture_; }
    void Capture(bool on);
    HCURSOR Cursor() const;
    void Cursor(HCURSOR cursor);

    // The element is hosted by this window from now on. The first element added is on top
    // and is asked first. The element must outlive its use here or be removed.
    void AddElement(WTElement& element);
    std::size_t ElementCount() const { return elements_.size(); }

    // Runs before the window's own handlers; always lets them run afterwards.
    LRESULT MessageHook(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Draws the background, then every element, and copies the update area to dc.
    void Paint(HDC dc, const RECT& update);
    // Redraws the background into the back buffer at the client size. Paint calls it when a
    // background property has changed since, so a series of changes is drawn once.
    void DrawBackground();
    // Whether the drawn background is held; it is let go while the window is hidden.
    bool HoldsBackground() const { return backBuffer_.IsCreated(); }

private:
    struct Entry {
        WTElement* element;
        std::weak_ptr<void> lifetime;
    };

    WTWindow* Host() const;
    void BackgroundChanged();
    bool WalkElements(UINT message, WPARAM wParam, LPARAM lParam);
    void LeaveAllElements();
    SIZE ClientSize() const;

    HWND hwnd_ = nullptr;
    // Used when the window has no framework object of its own.
    std::unique_ptr<WTWindow> ownHost_;
    std::vector<Entry> elements_;
    int titleHeight_ = 30;
    Gdiplus::ARGB backgroundColor_ = 0xFF000000;
    Gdiplus::ARGB titleColor_ = 0x00FFFFFF;
    // Only the encoded bytes stay: the back buffer holds the drawn background, and the picture is
    // decoded again only when the background is redrawn.
    std::vector<unsigned char> backgroundPicture_;
    int picturePercent_ = 100;
    unsigned dpi_ = 96;
    bool backgroundStale_ = true;
    bool border_ = false;
    bool rearmHover_ = false;
    bool capture_ = false;
    WTMemoryCanvas backBuffer_;
};
