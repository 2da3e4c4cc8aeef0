#include "ui/element.h"

#include <windowsx.h>

#include <algorithm>

#include "ui/dpi_scale.h"

WTElement::WTElement() = default;

WTElement::~WTElement() = default;

void WTElement::Reset()
{
    visible_ = true;
    enabled_ = true;
    alive_ = true;
    font_ = WTFontRecord{};
    fontObject_.reset();
}

void WTElement::FontObject(std::unique_ptr<Gdiplus::Font> font, bool redraw)
{
    SetProperty(fontObject_, std::move(font), redraw);
}

void WTElement::Remove()
{
    fontObject_.reset();
    alive_ = false;
    Redraw(); // so its area is painted without it
}

int WTElement::Message(UINT message, WPARAM wParam, LPARAM lParam)
{
    int answer = 1;
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case kPaint:
        if (!visible_) {
            return 1;
        }
        Draw(reinterpret_cast<HDC>(wParam));
        break;
    case WM_MOUSEMOVE:
        if (!visible_ || !enabled_) {
            return 1;
        }
        if (HitTest(point)) {
            if (!hovered_) {
                Message(kMouseEnter, 0, 0);
            }
            OnMouseMove(point);
        } else if (hovered_) {
            Message(kMouseLeave, 0, 0);
        }
        break;
    case WM_LBUTTONDOWN:
        if (!visible_ || !enabled_ || !HitTest(point)) {
            return 1;
        }
        OnLeftDown(point);
        // Holding the mouse lets the release reach the element even outside the window.
        if (host_) {
            ::SetCapture(host_);
        }
        answer = 0;
        break;
    case WM_LBUTTONUP:
        if (!pressed_) {
            return 1;
        }
        if (host_ && ::GetCapture() == host_) {
            ::ReleaseCapture();
        }
        OnLeftUp(point, HitTest(point));
        break;
    case WM_RBUTTONDOWN:
        if (!visible_ || !enabled_ || !HitTest(point)) {
            return 1;
        }
        OnRightDown(point);
        answer = 0;
        break;
    case WM_RBUTTONUP:
        if (!rightPressed_) {
            return 1;
        }
        OnRightUp(point, HitTest(point));
        return 0;
    case kMouseEnter:
        OnMouseEnter();
        break;
    case kMouseLeave:
        OnMouseLeave();
        break;
    default:
        break;
    }
    if (DispatchToBindings(message, wParam, lParam) != 1) {
        answer = 0;
    }
    return answer;
}

void WTElement::Moved(const RECT& old, bool redraw)
{
    ui_thread::CheckWindow(host_, __func__);
    const RECT now = Rect();
    if (!::EqualRect(&old, &now) && !::IsRectEmpty(&old)
        && std::none_of(pendingInvalidate_.begin(), pendingInvalidate_.end(),
            [&](const RECT& r) { return ::EqualRect(&r, &old) != FALSE; })) {
        pendingInvalidate_.push_back(old);
    }
    if (redraw) {
        Redraw();
    }
}

void WTElement::Size(int width, int height, bool redraw)
{
    const RECT old = Rect();
    width_ = width;
    height_ = height;
    Moved(old, redraw);
}

void WTElement::Width(int width, bool redraw) { Size(width, height_, redraw); }

void WTElement::Height(int height, bool redraw) { Size(width_, height, redraw); }

void WTElement::Position(int left, int top, bool redraw)
{
    const RECT old = Rect();
    left_ = left;
    top_ = top;
    Moved(old, redraw);
}

void WTElement::Left(int left, bool redraw) { Position(left, top_, redraw); }

void WTElement::Top(int top, bool redraw) { Position(left_, top, redraw); }

void WTElement::HostWindow(HWND host, bool redraw)
{
    ui_thread::CheckWindow(host_, __func__);
    if (redraw) {
        Redraw();
    }
    host_ = host;
    if (redraw) {
        Redraw();
    }
}

void WTElement::Visible(bool visible, bool redraw) { SetProperty(visible_, visible, redraw); }

void WTElement::Enabled(bool enabled, bool redraw) { SetProperty(enabled_, enabled, redraw); }

void WTElement::Font(const WTFontRecord& font, bool redraw)
{
    ui_thread::CheckWindow(host_, __func__);
    font_ = font;
    SetProperty(fontObject_, std::unique_ptr<Gdiplus::Font>(), redraw);
}

void WTElement::Dpi(unsigned value, bool redraw)
{
    ui_thread::CheckWindow(host_, __func__);
    dpi_ = value == 0 ? dpi::kBase : value;
    // The font's pixel size follows the DPI.
    SetProperty(fontObject_, std::unique_ptr<Gdiplus::Font>(), redraw);
}

void WTElement::PicturePercent(int percent, bool redraw) { SetProperty(picturePercent_, percent, redraw); }

RECT WTElement::ToDevice(const RECT& rect) const
{
    // Edges are scaled, not sizes, so elements that touch at 96 DPI still touch.
    return RECT{dpi::Scale(rect.left, dpi_), dpi::Scale(rect.top, dpi_), dpi::Scale(rect.right, dpi_),
        dpi::Scale(rect.bottom, dpi_)};
}

RECT WTElement::DeviceRect() const { return ToDevice(Rect()); }

void WTElement::Redraw()
{
    if (host_) {
        const RECT now = DeviceRect();
        ::InvalidateRect(host_, &now, FALSE);
        for (const RECT& old : pendingInvalidate_) {
            const RECT device = ToDevice(old);
            ::InvalidateRect(host_, &device, FALSE);
        }
    }
    // Without a host the old areas mean nothing any more.
    pendingInvalidate_.clear();
}

void WTElement::Draw(HDC) { }

void WTElement::OnMouseMove(POINT) { }

void WTElement::OnLeftDown(POINT) { pressed_ = true; }

void WTElement::OnLeftUp(POINT, bool) { pressed_ = false; }

void WTElement::OnRightDown(POINT) { rightPressed_ = true; }

void WTElement::OnRightUp(POINT, bool) { rightPressed_ = false; }

void WTElement::OnMouseEnter() { hovered_ = true; }

void WTElement::OnMouseLeave() { hovered_ = false; }

bool WTElement::HitTest(POINT point) const
{
    constexpr double kSlack = 1e-7;
    const double x = point.x;
    const double y = point.y;
    const RECT area = DeviceRect();
    return area.left <= x && x - static_cast<double>(area.right) <= kSlack && area.top <= y
        && y - static_cast<double>(area.bottom) <= kSlack;
}

int WTElement::AddEventBinding(UINT code, Handler handler)
{
    bindings_.push_back(Binding{code, ++lastBindingId_, std::move(handler)});
    return lastBindingId_;
}

bool WTElement::RemoveEventBinding(UINT code, int id)
{
    auto it = std::find_if(
        bindings_.begin(), bindings_.end(), [&](const Binding& b) { return b.code == code && b.id == id; });
    if (it == bindings_.end()) {
        return false;
    }
    bindings_.erase(it);
    return true;
}

bool WTElement::RemoveEventBinding(UINT code)
{
    auto it = std::find_if(bindings_.begin(), bindings_.end(), [&](const Binding& b) { return b.code == code; });
    if (it == bindings_.end()) {
        return false;
    }
    bindings_.erase(it);
    return true;
}

int WTElement::DispatchToBindings(UINT code, WPARAM wParam, LPARAM lParam)
{
    auto it = std::find_if(bindings_.begin(), bindings_.end(), [&](const Binding& b) { return b.code == code; });
    if (it == bindings_.end() || !it->handler) {
        return 1;
    }
    // A copy: the handler may change the bindings while it runs.
    Handler handler = it->handler;
    return handler(wParam, lParam);
}

Gdiplus::Font* WTElement::EnsureFont() const
{
    if (!fontObject_ && alive_) {
        fontObject_ = CreateGdiplusFont(font_, dpi_);
    }
    return fontObject_.get();
}

void WTElement::SetPicture(WTPicture& picture, std::vector<unsigned char> bytes, bool redraw)
{
    ui_thread::CheckWindow(host_, __func__);
    picture.Set(std::move(bytes));
    if (redraw) {
        Redraw();
    }
}

void WTElement::FillArea(Gdiplus::Graphics& graphics, Gdiplus::ARGB color) const
{
    const RECT area = DeviceRect();
    if ((color >> 24) == 0 || area.right <= area.left || area.bottom <= area.top) {
        return; // fully transparent: nothing to blend
    }
    Gdiplus::SolidBrush brush{Gdiplus::Color(color)};
    WTRecordStatus(graphics.FillRectangle(&brush, static_cast<INT>(area.left), static_cast<INT>(area.top),
        static_cast<INT>(area.right - area.left), static_cast<INT>(area.bottom - area.top)));
}

void WTElement::DrawCentred(Gdiplus::Graphics& graphics, const WTImage& picture) const
{
    if (!picture.IsLoaded()) {
        return;
    }
    const int w = dpi::ShownSize(picture.Width(), picturePercent_, dpi_);
    const int h = dpi::ShownSize(picture.Height(), picturePercent_, dpi_);
    const RECT area = DeviceRect();
    // Whole pixels keep the picture sharp.
    const Gdiplus::Rect target(
        area.left + (area.right - area.left - w) / 2, area.top + (area.bottom - area.top - h) / 2, w, h);
    WTRecordStatus(graphics.DrawImage(picture.Native(), target));
}

void WTElement::DrawTextIn(Gdiplus::Graphics& graphics, const std::wstring& text, Gdiplus::ARGB color,
    int horizontalAlignment, int verticalAlignment) const
{
    Gdiplus::Font* font = EnsureFont();
    if (text.empty() || !font) {
        return;
    }
    Gdiplus::StringFormat format;
    format.SetAlignment(static_cast<Gdiplus::StringAlignment>(std::clamp(horizontalAlignment, 0, 2)));
    format.SetLineAlignment(static_cast<Gdiplus::StringAlignment>(std::clamp(verticalAlignment, 0, 2)));
    Gdiplus::SolidBrush brush{Gdiplus::Color(color)};
    const RECT device = DeviceRect();
    const Gdiplus::RectF area(static_cast<Gdiplus::REAL>(device.left), static_cast<Gdiplus::REAL>(device.top),
        static_cast<Gdiplus::REAL>(device.right - device.left), static_cast<Gdiplus::REAL>(device.bottom - device.top));
    WTRecordStatus(graphics.DrawString(text.c_str(), static_cast<INT>(text.size()), font, area, &format, &brush));
}
