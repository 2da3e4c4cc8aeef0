#include "ui/skin_window.h"

#include <windowsx.h>

#include <algorithm>

#include "ui/dpi.h"
#include "ui/drawing.h"
#include "ui/element.h"

WTSkinWindow::WTSkinWindow() = default;

WTSkinWindow::~WTSkinWindow() { Detach(); }

WTWindow* WTSkinWindow::Host() const
{
    if (!hwnd_) {
        return nullptr;
    }
    if (ownHost_ && ownHost_->Handle() == hwnd_) {
        return ownHost_.get();
    }
    return WTWindow::FromHandle(hwnd_);
}

bool WTSkinWindow::Attach(HWND hwnd)
{
    if (!::IsWindow(hwnd)) {
        return false;
    }
    Detach();
    // A window that already has its framework object keeps it, with all its handlers;
    // only a bare window gets the skin's own object.
    if (!WTWindow::FromHandle(hwnd)) {
        auto host = std::make_unique<WTWindow>();
        if (!host->Attach(hwnd)) {
            return false;
        }
        ownHost_ = std::move(host);
    }
    hwnd_ = hwnd;
    elements_.clear();
    backgroundColor_ = 0xFF000000;
    titleColor_ = 0x00FFFFFF;
    dpi_ = dpi::ForWindow(hwnd);
    backgroundStale_ = true;
    rearmHover_ = false;
    capture_ = false;
    WTWindow::SetMessageHook(hwnd,
        [this](HWND h, UINT message, WPARAM wParam, LPARAM lParam) { return MessageHook(h, message, wParam, lParam); });
    return true;
}

void WTSkinWindow::Detach()
{
    if (hwnd_) {
        WTWindow::RemoveMessageHook(hwnd_);
    }
    // Its destruction gives the window its own procedure back.
    ownHost_.reset();
    hwnd_ = nullptr;
    backBuffer_.Release();
}

void WTSkinWindow::BackgroundChanged()
{
    backgroundStale_ = true;
    if (hwnd_) {
        ::InvalidateRect(hwnd_, nullptr, FALSE);
    }
}

void WTSkinWindow::TitleHeight(int height)
{
    titleHeight_ = height;
    // Redrawn at once: a strip of the old height would stay until the next colour change.
    BackgroundChanged();
}

void WTSkinWindow::BackgroundColor(Gdiplus::ARGB color)
{
    backgroundColor_ = color;
    BackgroundChanged();
}

void WTSkinWindow::BackgroundPicture(std::vector<unsigned char> bytes, int percent)
{
    backgroundPicture_ = std::move(bytes);
    picturePercent_ = percent;
    BackgroundChanged();
}

void WTSkinWindow::Dpi(unsigned value)
{
    dpi_ = value == 0 ? dpi::kBase : value;
    for (const Entry& entry : elements_) {
        if (!entry.lifetime.expired()) {
            entry.element->Dpi(dpi_, false);
        }
    }
    BackgroundChanged();
}

void WTSkinWindow::TitleColor(Gdiplus::ARGB color)
{
    titleColor_ = color;
    BackgroundChanged();
}

void WTSkinWindow::Border(bool on)
{
    border_ = on;
    BackgroundChanged();
}

void WTSkinWindow::Capture(bool on)
{
    if (on && hwnd_) {
        ::SetCapture(hwnd_);
        capture_ = true;
    } else if (!on) {
        if (hwnd_ && ::GetCapture() == hwnd_) {
            ::ReleaseCapture();
        }
        capture_ = false;
    }
}

HCURSOR WTSkinWindow::Cursor() const
{
    const WTWindow* host = Host();
    return host ? host->Cursor() : nullptr;
}

void WTSkinWindow::Cursor(HCURSOR cursor)
{
    if (WTWindow* host = Host()) {
        host->Cursor(cursor);
    }
}

void WTSkinWindow::AddElement(WTElement& element)
{
    element.Dpi(dpi_, false);
    element.HostWindow(hwnd_);
    elements_.push_back(Entry{&element, element.LifetimeToken()});
}

bool WTSkinWindow::WalkElements(UINT message, WPARAM wParam, LPARAM lParam)
{
    // By index: a handler may add elements while the walk runs.
    for (std::size_t i = 0; i < elements_.size(); ++i) {
        const Entry entry = elements_[i];
        if (entry.lifetime.expired() || entry.element->HostWindow() != hwnd_) {
            continue;
        }
        if (entry.element->Message(message, wParam, lParam) == 0) {
            return false;
        }
    }
    return true;
}

void WTSkinWindow::LeaveAllElements()
{
    for (std::size_t i = 0; i < elements_.size(); ++i) {
        const Entry entry = elements_[i];
        if (!entry.lifetime.expired() && entry.element->HostWindow() == hwnd_ && entry.element->IsHovered()) {
            entry.element->Message(WTElement::kMouseLeave, 0, 0);
        }
    }
}

LRESULT WTSkinWindow::MessageHook(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (hwnd != hwnd_) {
        return 0;
    }
    if (message == WM_PAINT) {
        PAINTSTRUCT ps{};
        if (HDC dc = ::BeginPaint(hwnd, &ps)) {
            Paint(dc, ps.rcPaint);
            ::EndPaint(hwnd, &ps);
        }
        return 0;
    }
    if (message == WM_SHOWWINDOW && wParam == FALSE) {
        // Hidden, in the tray say, perhaps for hours: the next paint draws the background again.
        backBuffer_.Release();
    }
    // The element event codes are the elements' own; the same numbers sent to the window are no clicks.
    const bool elementEvent
        = message == WTElement::kClick || message == WTElement::kMouseEnter || message == WTElement::kMouseLeave;
    if (!elementEvent && !WalkElements(message, wParam, lParam)) {
        return 0;
    }
    switch (message) {
    case WM_MOUSEMOVE:
        if (rearmHover_) {
            TRACKMOUSEEVENT track{sizeof(track), TME_HOVER | TME_LEAVE, hwnd, HOVER_DEFAULT};
            ::TrackMouseEvent(&track);
            rearmHover_ = false;
        }
        break;
    case WM_LBUTTONDOWN:
        if (GET_Y_LPARAM(lParam) <= dpi::Scale(titleHeight_, dpi_)) {
            POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ::ClientToScreen(hwnd, &screen);
            ::SendMessageW(hwnd, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(screen.x, screen.y));
        } else {
            Capture(true);
        }
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        Capture(false);
        break;
    case WM_MOUSELEAVE:
        // The pointer left the window: nothing under it stays lit.
        LeaveAllElements();
        rearmHover_ = true;
        break;
    default:
        break;
    }
    return 0;
}

SIZE WTSkinWindow::ClientSize() const
{
    RECT client{};
    if (hwnd_) {
        ::GetClientRect(hwnd_, &client);
    }
    return SIZE{client.right - client.left, client.bottom - client.top};
}

void WTSkinWindow::DrawBackground()
{
    const SIZE size = ClientSize();
    if (size.cx <= 0 || size.cy <= 0) {
        backBuffer_.Release();
        return;
    }
    if (backBuffer_.Width() != size.cx || backBuffer_.Height() != size.cy) {
        if (!backBuffer_.Create(size.cx, size.cy, true)) {
            return;
        }
    } else {
        backBuffer_.Clear();
    }
    Gdiplus::Graphics& graphics = *backBuffer_.Graphics();
    Gdiplus::SolidBrush background{Gdiplus::Color(backgroundColor_)};
    graphics.FillRectangle(&background, 0, 0, size.cx, size.cy);
    WTImage picture;
    if (!backgroundPicture_.empty() && picture.LoadFromBytes(backgroundPicture_)) {
        // In pixels: the picture's own resolution must not scale it, only the window's DPI.
        graphics.DrawImage(picture.Native(),
            Gdiplus::Rect(0, 0, dpi::ShownSize(picture.Width(), picturePercent_, dpi_),
                dpi::ShownSize(picture.Height(), picturePercent_, dpi_)));
    }
    Gdiplus::SolidBrush strip{Gdiplus::Color(titleColor_)};
    graphics.FillRectangle(&strip, 0, 0, size.cx, dpi::Scale(titleHeight_, dpi_));
    if (border_) {
        Gdiplus::Pen pen(Gdiplus::Color(100, 0, 0, 0), 1.0f);
        graphics.DrawRectangle(&pen, 0, 0, size.cx - 1, size.cy - 1);
    }
    graphics.Flush(Gdiplus::FlushIntentionSync);
    WTRecordStatus(graphics.GetLastStatus());
    backgroundStale_ = false;
}

void WTSkinWindow::Paint(HDC dc, const RECT& update)
{
    const SIZE size = ClientSize();
    if (backgroundStale_ || !backBuffer_.IsCreated() || backBuffer_.Width() != size.cx
        || backBuffer_.Height() != size.cy) {
        DrawBackground();
    }
    RECT area{};
    const RECT whole{0, 0, size.cx, size.cy};
    if (!backBuffer_.IsCreated() || !::IntersectRect(&area, &update, &whole)) {
        return;
    }
    // Composed for this paint only, and only as large as what is repainted: a window that
    // waits holds no second picture of itself, and a hover repaints a button's worth.
    WTMemoryCanvas canvas;
    if (!canvas.Create(area.right - area.left, area.bottom - area.top)) {
        return;
    }
    // Elements draw at their client positions; the origin puts the area's corner at the canvas's.
    ::SetViewportOrgEx(canvas.Dc(), -area.left, -area.top, nullptr);
    ::BitBlt(canvas.Dc(), area.left, area.top, area.right - area.left, area.bottom - area.top, backBuffer_.Dc(),
        area.left, area.top, SRCCOPY);
    // Last to first, so the element added first ends up on top.
    for (std::size_t i = elements_.size(); i-- > 0;) {
        const Entry entry = elements_[i];
        if (entry.lifetime.expired() || !entry.element->Alive() || entry.element->HostWindow() != hwnd_) {
            elements_.erase(elements_.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        entry.element->Message(WTElement::kPaint, reinterpret_cast<WPARAM>(canvas.Dc()), 0);
    }
    ::GdiFlush();
    WTAlphaBlend(dc, area, canvas.Dc(), area, 255, false);
}
