#include "ui/element.h"

#include <windowsx.h>

#include <algorithm>

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

void WTElement::Redraw()
{
    if (host_) {
        const RECT now = Rect();
        ::InvalidateRect(host_, &now, FALSE);
        for (const RECT& old : pendingInvalidate_) {
            ::InvalidateRect(host_, &old, FALSE);
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
    return left_ <= x && x - (static_cast<double>(left_) + width_) <= kSlack && top_ <= y
        && y - (static_cast<double>(top_) + height_) <= kSlack;
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
        fontObject_ = CreateGdiplusFont(font_);
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
    if ((color >> 24) == 0 || width_ <= 0 || height_ <= 0) {
        return; // fully transparent: nothing to blend
    }
    Gdiplus::SolidBrush brush{Gdiplus::Color(color)};
    WTRecordStatus(graphics.FillRectangle(&brush, left_, top_, width_, height_));
}

void WTElement::DrawCentred(Gdiplus::Graphics& graphics, const WTImage& picture) const
{
    if (!picture.IsLoaded()) {
        return;
    }
    const int w = picture.Width();
    const int h = picture.Height();
    // Whole pixels keep the picture sharp.
    const Gdiplus::Rect target(left_ + (width_ - w) / 2, top_ + (height_ - h) / 2, w, h);
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
    const Gdiplus::RectF area(static_cast<Gdiplus::REAL>(left_), static_cast<Gdiplus::REAL>(top_),
        static_cast<Gdiplus::REAL>(width_), static_cast<Gdiplus::REAL>(height_));
    WTRecordStatus(graphics.DrawString(text.c_str(), static_cast<INT>(text.size()), font, area, &format, &brush));
}
