#include "ui/tray_icon.h"

#include "ui/messages.h"

namespace {

constexpr UINT kRecordSize = 936; // the version-2 layout, understood by every shell since 2000
constexpr UINT kFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;

template <size_t N> void CopyCut(wchar_t (&field)[N], const std::wstring& text)
{
    const size_t n = text.size() < N - 1 ? text.size() : N - 1;
    text.copy(field, n);
    field[n] = L'\0';
}

} // namespace

int WTTrayIcon::EventCode(UINT mouseMessage)
{
    switch (mouseMessage) {
    case WM_LBUTTONDOWN:
        return 1;
    case WM_RBUTTONDOWN:
        return 2;
    case WM_MBUTTONDOWN:
        return 3;
    case WM_LBUTTONDBLCLK:
        return 4;
    case WM_RBUTTONDBLCLK:
        return 5;
    case WM_MBUTTONDBLCLK:
        return 6;
    case WM_MOUSEMOVE:
        return 7;
    case NIN_BALLOONSHOW:
        return 8;
    case NIN_BALLOONTIMEOUT:
        return 9;
    case NIN_BALLOONUSERCLICK:
        return 10;
    default:
        return 0;
    }
}

bool WTTrayIcon::Add(HWND owner, HICON icon, const std::wstring& tip)
{
    if (!taskbarCreated_) {
        taskbarCreated_ = ::RegisterWindowMessageW(L"TaskbarCreated");
    }
    record_ = std::make_unique<NOTIFYICONDATAW>();
    NOTIFYICONDATAW& record = *record_;
    record.cbSize = kRecordSize;
    record.hWnd = owner;
    record.uID = 1;
    record.uFlags = kFlags;
    record.uCallbackMessage = msg::kTrayCallback;
    record.hIcon = icon;
    CopyCut(record.szTip, tip);
    return ::Shell_NotifyIconW(NIM_ADD, &record) != FALSE;
}

bool WTTrayIcon::Modify(UINT flags)
{
    record_->uFlags = flags;
    return ::Shell_NotifyIconW(NIM_MODIFY, record_.get()) != FALSE;
}

bool WTTrayIcon::SetTip(const std::wstring& tip)
{
    if (!record_) {
        return false;
    }
    CopyCut(record_->szTip, tip);
    return Modify(kFlags);
}

bool WTTrayIcon::SetIcon(HICON icon)
{
    if (!record_) {
        return false;
    }
    record_->hIcon = icon;
    return Modify(kFlags);
}

bool WTTrayIcon::ShowBalloon(const std::wstring& text, const std::wstring& title, DWORD iconType, UINT timeoutMs)
{
    if (!record_) {
        return false;
    }
    CopyCut(record_->szInfo, text);
    CopyCut(record_->szInfoTitle, title);
    record_->uTimeout = timeoutMs;
    record_->dwInfoFlags = iconType;
    return Modify(NIF_MESSAGE | NIF_ICON | NIF_STATE | NIF_TIP | NIF_INFO);
}

bool WTTrayIcon::Remove()
{
    if (!record_) {
        return false;
    }
    const bool removed = ::Shell_NotifyIconW(NIM_DELETE, record_.get()) != FALSE;
    record_.reset();
    return removed;
}

void WTTrayIcon::AddAgain()
{
    if (!record_) {
        return;
    }
    ::Shell_NotifyIconW(NIM_DELETE, record_.get());
    record_->uFlags = kFlags;
    ::Shell_NotifyIconW(NIM_ADD, record_.get());
}
