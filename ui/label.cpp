#include "ui/label.h"

#include "platform/text.h"
#include "ui/thread_check.h"

bool WTLabel::Create(
    HWND parent, const std::string& text, DWORD style, int x, int y, int width, int height, DWORD exStyle)
{
    if (Handle()) {
        return false;
    }
    const int id = NextControlId();
    if (!CreateChild(parent, exStyle, L"Static", platform::Widen(text).c_str(), WS_CHILD | WS_VISIBLE | style, x, y,
            width, height, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)))) {
        return false;
    }
    BackColor(::GetSysColor(COLOR_BTNFACE), false);
    return true;
}

void WTLabel::Text(const std::string& text) const { WTWindow::Text(platform::Widen(text)); }

void WTLabel::TextColor(COLORREF color, bool redraw)
{
    ui_thread::CheckWindow(Handle(), __func__);
    textColor_ = color;
    if (redraw) {
        Invalidate(true);
    }
}

void WTLabel::BackColor(COLORREF color, bool redraw)
{
    ui_thread::CheckWindow(Handle(), __func__);
    backColor_ = color;
    if (color == kTransparent) {
        backBrush_.Reset();
        AddExStyle(WS_EX_TRANSPARENT);
    } else {
        backBrush_.Reset(::CreateSolidBrush(color));
        RemoveExStyle(WS_EX_TRANSPARENT);
    }
    if (redraw) {
        Invalidate(true);
    }
}

HBRUSH WTLabel::BackBrush() const
{
    return backColor_ == kTransparent ? static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH)) : backBrush_.Get();
}

void WTLabel::CopyParentPixels(HDC dc) const
{
    HWND parent = ::GetParent(Handle());
    if (!parent) {
        return;
    }
    const RECT rc = RectInParent();
    platform::WindowDc parentDc(parent);
    if (parentDc.Get()) {
        ::BitBlt(dc, 0, 0, rc.right - rc.left, rc.bottom - rc.top, parentDc.Get(), rc.left, rc.top, SRCCOPY);
    }
}

LRESULT WTLabel::OnReflectedColor(HWND, HDC dc)
{
    ::SetTextColor(dc, textColor_);
    if (backColor_ == kTransparent) {
        ::SetBkMode(dc, TRANSPARENT);
        CopyParentPixels(dc);
    } else {
        ::SetBkColor(dc, backColor_);
    }
    return reinterpret_cast<LRESULT>(BackBrush());
}

void WTLabel::ReleaseResources()
{
    backBrush_.Reset();
    WTWindow::ReleaseResources();
}
