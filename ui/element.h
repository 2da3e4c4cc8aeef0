// WTElement: a windowless element drawn by a skinned window into its off-screen
// picture and fed with the host window's mouse messages.
#pragma once

#include "platform/win.h"
#include <gdiplus.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ui/drawing.h"
#include "ui/image.h"
#include "ui/thread_check.h"

class WTElement {
public:
    // A binding's handler gets the message's wParam and lParam; any result but 1 consumes the message.
    using Handler = std::function<int(WPARAM, LPARAM)>;

    // Element events (besides the raw mouse messages 0x0200, 0x0201, 0x0202, 0x0204).
    static constexpr UINT kClick = 0x0401;
    static constexpr UINT kMouseEnter = 0x0402;
    static constexpr UINT kMouseLeave = 0x0403;
    static constexpr UINT kPaint = WM_PAINT; // wParam: the HDC to draw into

    WTElement();
    virtual ~WTElement();
    WTElement(const WTElement&) = delete;
    WTElement& operator=(const WTElement&) = delete;

    // Visible, enabled and alive again, with the default font.
    virtual void Reset();
    bool IsHovered() const { return hovered_; }
    bool IsPressed() const { return pressed_; }
    bool IsRightPressed() const { return rightPressed_; }
    // Built from the font record when first needed.
    Gdiplus::Font* FontObject() const { return EnsureFont(); }
    void FontObject(std::unique_ptr<Gdiplus::Font> font, bool redraw = true);
    // Marks the element dead; its skin forgets it at the next paint.
    void Remove();

    // The skin's entry: 1 = not consumed, 0 = consumed (stops the skin's walk).
    virtual int Message(UINT message, WPARAM wParam, LPARAM lParam);

    void Size(int width, int height, bool redraw = true);
    int Width() const { return width_; }
    void Width(int width, bool redraw = true);
    int Height() const { return height_; }
    void Height(int height, bool redraw = true);
    void Position(int left, int top, bool redraw = true);
    int Left() const { return left_; }
    void Left(int left, bool redraw = true);
    int Top() const { return top_; }
    void Top(int top, bool redraw = true);
    RECT Rect() const { return RECT{left_, top_, left_ + width_, top_ + height_}; }
    // Geometry is kept in 96-DPI pixels; the element is drawn and hit at its host's DPI.
    unsigned Dpi() const { return dpi_; }
    void Dpi(unsigned value, bool redraw = true);
    // Where the element is on its host, in the host's pixels; also what it is hit by.
    RECT DeviceRect() const;
    // The scale its pictures were drawn for (100, 150, 200 %): they are shown shrunk or enlarged to the DPI.
    int PicturePercent() const { return picturePercent_; }
    void PicturePercent(int percent, bool redraw = true);
    HWND HostWindow() const { return host_; }
    void HostWindow(HWND host, bool redraw = true);
    bool Visible() const { return visible_; }
    void Visible(bool visible, bool redraw = true);
    bool Enabled() const { return enabled_; }
    void Enabled(bool enabled, bool redraw = true);
    const WTFontRecord& Font() const { return font_; }
    void Font(const WTFontRecord& font, bool redraw = true);
    bool Alive() const { return alive_; }
    intptr_t UserValue() const { return userValue_; }
    void UserValue(intptr_t value) { userValue_ = value; }

    // Invalidates the element's area on its host, and every area it left since the last redraw.
    void Redraw();
    virtual void Draw(HDC dc);

    virtual void OnMouseMove(POINT point);
    virtual void OnLeftDown(POINT point);
    virtual void OnLeftUp(POINT point, bool inside);
    virtual void OnRightDown(POINT point);
    virtual void OnRightUp(POINT point, bool inside);
    virtual void OnMouseEnter();
    virtual void OnMouseLeave();
    // Both edges count as inside.
    bool HitTest(POINT point) const;

    // Returns an id for RemoveEventBinding.
    int AddEventBinding(UINT code, Handler handler);
    bool RemoveEventBinding(UINT code, int id);
    // Removes the first binding of the code.
    bool RemoveEventBinding(UINT code);
    // Calls the first binding of the code; 1 when there is none.
    int DispatchToBindings(UINT code, WPARAM wParam, LPARAM lParam);

    // Lets a skin notice that the element object is gone.
    std::weak_ptr<void> LifetimeToken() const { return lifetime_; }

protected:
    // Stores a property and redraws when asked to.
    template <typename T> void SetProperty(T& field, T value, bool redraw)
    {
        ui_thread::CheckWindow(host_, "element property");
        field = std::move(value);
        if (redraw) {
            Redraw();
        }
    }
    // Stores new picture bytes (decoding them once) and redraws when asked to.
    void SetPicture(WTPicture& picture, std::vector<unsigned char> bytes, bool redraw);
    // Fills the element's area with an ARGB colour.
    void FillArea(Gdiplus::Graphics& graphics, Gdiplus::ARGB color) const;
    // Draws a picture at its natural size, centred in the element's rectangle.
    void DrawCentred(Gdiplus::Graphics& graphics, const WTImage& picture) const;
    // Draws a text in the element's area with its font.
    void DrawTextIn(Gdiplus::Graphics& graphics, const std::wstring& text, Gdiplus::ARGB color, int horizontalAlignment,
        int verticalAlignment) const;

private:
    void Moved(const RECT& old, bool redraw);
    RECT ToDevice(const RECT& rect) const;
    Gdiplus::Font* EnsureFont() const;

    struct Binding {
        UINT code;
        int id;
        Handler handler;
    };

    // Built at the first use after the font record changes, never per paint.
    mutable std::unique_ptr<Gdiplus::Font> fontObject_;
    WTFontRecord font_;
    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
    HWND host_ = nullptr;
    bool visible_ = true;
    bool enabled_ = true;
    bool alive_ = true;
    intptr_t userValue_ = 0;
    std::vector<Binding> bindings_;
    int lastBindingId_ = 0;
    bool hovered_ = false;
    bool pressed_ = false;
    bool rightPressed_ = false;
    std::vector<RECT> pendingInvalidate_; // 96-DPI rectangles
    unsigned dpi_ = 96;
    int picturePercent_ = 100;
    std::shared_ptr<int> lifetime_ = std::make_shared<int>(0);
};
