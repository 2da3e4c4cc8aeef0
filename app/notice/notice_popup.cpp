#include "app/notice/notice_popup.h"

#include <algorithm>

#include "app/notice/browser_features.h"
#include "app/notice/notice_check.h"
#include "app/notice/notice_rules.h"
#include "app/shell/app.h"
#include "app/notice/notice_shell.h"
#include "app/shell/window_placement.h"
#include "app/shell/messages.h"
#include "ui/dpi.h"

namespace {

constexpr int kPopupWidth = 300;
constexpr int kPopupHeight = 220;
constexpr int kExitWidth = 600;
constexpr int kExitHeight = 400;
constexpr int kLabelHeight = 20;
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr int kShowDelayMs = 10000;
constexpr int kStepPixels = 5;
constexpr int kStepMs = 10;
constexpr int kSecondMs = 1000;

// Test seams; UI thread only.
std::function<ScreenMetrics()> screenSource;

ScreenMetrics Screen() { return screenSource ? screenSource() : SystemScreenMetrics(); }

// Sizes are 96-DPI pixels, shown at the pop-up's DPI.
int Scaled(int value) { return dpi::Scale(value, dpi::ForWindow(app().popupWindow.Handle())); }

RECT PopupRect()
{
    RECT rect{};
    ::GetWindowRect(app().popupWindow.Handle(), &rect);
    return rect;
}

// Moves the pop-up vertically by `dy`, keeping its left edge and size; returns its new top.
int ShiftPopup(int dy)
{
    const RECT rect = PopupRect();
    app().popupWindow.Move(rect.left, rect.top + dy, rect.right - rect.left, rect.bottom - rect.top);
    return PopupRect().top;
}

// Addresses from the notice file are outside input: the page shows web addresses only,
// anything else (local files, other protocols) loads nothing, like an empty address.
std::string PageAddress(const std::string& url) { return IsWebAddress(url) ? url : std::string(); }

LRESULT PopupPageHook(HWND, UINT message, WPARAM, LPARAM)
{
    if (message != msg::MsgLoadNoticePage) {
        return 0;
    }
    App& a = app();
    a.popupBrowser.Navigate(PageAddress(NoticeSnapshot().noticePageUrl));
    a.showTimer.SetInterval(kShowDelayMs);
    return 1;
}

// NWMF_ flags of NewWindow3 (Microsoft's shobjidl): a click of the user, a window opened while
// the page unloads.
constexpr DWORD kNewWindowUserInitiated = 0x2;
constexpr DWORD kNewWindowUnloading = 0x1;

// Every navigation of the page and its frames, the page's own scripts and links included.
void OnPopupNavigate(IDispatch*, const std::string& url, bool& cancel)
{
    if (!IsAllowedPageAddress(url)) {
        cancel = true;
    }
}

void OnPopupLink(IDispatch**, DWORD flags, const std::string& url, bool& cancel)
{
    // The control never opens a window of its own; a link goes to the default browser.
    cancel = true;
    // A script's window.open without a click is ignored, countdown and all.
    if ((flags & kNewWindowUserInitiated) == 0 || (flags & kNewWindowUnloading) != 0) {
        return;
    }
    App& a = app();
    a.countdownTimer.SetInterval(0);
    // The shell would open any other scheme through its protocol handlers.
    if (IsWebAddress(url) && noticeShell().openWebAddress) {
        noticeShell().openWebAddress(url);
    }
    if (a.isExiting) {
        a.mainWindow.Post(WM_CLOSE);
        return;
    }
    a.popupWindow.Visible(false);
}

void LayOutPopup(int width, int height)
{
    App& a = app();
    const int labelHeight = Scaled(kLabelHeight);
    a.countdownLabel.Move(0, 0, width, labelHeight);
    a.popupBrowser.Move(0, labelHeight, width, std::max(0, height - labelHeight));
}

void OnPopupCreated(HWND hwnd)
{
    App& a = app();
    a.popupWindow.BackgroundColor(kWhite);

    // Before the control exists: it reads its feature switches once per process.
    LockDownBrowserFeatures();
    // Without a browser engine the host window still exists; the pop-up works without a page.
    a.popupBrowser.Create(hwnd);
    a.popupBrowser.Silent(true);
    a.popupBrowser.Offline(true);
    a.popupBrowser.RemoveExStyle(WS_EX_CLIENTEDGE);
    a.popupBrowser.onBeforeNavigate = OnPopupNavigate;
    a.popupBrowser.onNewWindow3 = OnPopupLink;

    a.countdownLabel.Create(hwnd, CountdownText(0));
    a.countdownLabel.BackColor(kWhite);

    WTWindow::SetMessageHook(a.popupBrowser.Handle(), PopupPageHook);

    a.showTimer.Start(0, PopupShowTick);
    a.riseTimer.Start(0, PopupRiseTick);
    a.countdownTimer.Start(0, PopupCountdownTick);

    a.popupWindow.RemoveStyle(WS_CAPTION);
    a.popupWindow.RemoveStyle(WS_MINIMIZEBOX);
    a.popupWindow.RemoveStyle(WS_THICKFRAME);

    a.popupWindow.onResized = LayOutPopup;
}

} // namespace

ScreenMetrics SystemScreenMetrics()
{
    ScreenMetrics metrics;
    metrics.cx = ::GetSystemMetrics(SM_CXSCREEN);
    metrics.cy = ::GetSystemMetrics(SM_CYSCREEN);
    RECT work{0, 0, metrics.cx, metrics.cy};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    metrics.workBottom = work.bottom;
    return metrics;
}

void SetScreenMetricsSource(std::function<ScreenMetrics()> source) { screenSource = std::move(source); }

void CreateNoticePopup()
{
    WTWindow::CreateOptions options;
    options.onCreated = OnPopupCreated;
    options.left = 0;
    options.top = 0;
    options.width = 10;
    options.height = 10;
    options.exStyle = WS_EX_TOPMOST;
    options.visible = false;
    options.showInTaskbar = false;
    app().popupWindow.CreateAndRun(options);
}

void StopNoticeTimers()
{
    App& a = app();
    a.showTimer.SetInterval(0);
    a.riseTimer.SetInterval(0);
    a.countdownTimer.SetInterval(0);
}

void PopupShowTick()
{
    App& a = app();
    if (!a.popupWindow.Visible()) {
        const ScreenMetrics screen = Screen();
        a.taskbarHeight = screen.cy - screen.workBottom;
        // A game may be running: the notice must not take its focus.
        a.popupWindow.ShowInactive();
        // Top edge on the work area's lower edge; it rises from there.
        a.popupWindow.Move(
            screen.cx - Scaled(kPopupWidth), screen.cy - a.taskbarHeight, Scaled(kPopupWidth), Scaled(kPopupHeight));
        a.riseTimer.SetInterval(kStepMs);
    }
    a.showTimer.SetInterval(NoticeSnapshot().noticeInterval);
}

void PopupRiseTick()
{
    App& a = app();
    const ScreenMetrics screen = Screen();
    const int top = ShiftPopup(-Scaled(kStepPixels));
    const RECT rect = PopupRect();
    const int height = rect.bottom - rect.top;
    const int restingTop = screen.cy - height - a.taskbarHeight;
    if (top > restingTop) {
        return;
    }
    a.popupWindow.Move(screen.cx - Scaled(kPopupWidth), restingTop, Scaled(kPopupWidth), Scaled(kPopupHeight));
    a.popupSeconds = 0;
    a.countdownTimer.SetInterval(kSecondMs);
    a.riseTimer.SetInterval(0);
}

void PopupCountdownTick()
{
    App& a = app();
    if (a.popupSeconds < kPopupSeconds) {
        ++a.popupSeconds;
        a.countdownLabel.Text(CountdownText(a.popupSeconds));
        return;
    }
    if (a.isExiting) {
        a.countdownTimer.SetInterval(0);
        a.mainWindow.Send(WM_CLOSE);
        return;
    }
    // Sinks below the screen and stays there, visible, until hidden by a link or shown again.
    if (ShiftPopup(Scaled(kStepPixels)) < Screen().cy) {
        a.countdownTimer.SetInterval(kStepMs);
    } else {
        a.countdownTimer.SetInterval(0);
    }
}

void ShowExitNotice()
{
    App& a = app();
    a.popupWindow.Visible(false);
    a.popupBrowser.Navigate(PageAddress(NoticeSnapshot().popupUrl));
    a.popupWindow.WindowState(0);
    const ScreenMetrics screen = Screen();
    const int width = Scaled(kExitWidth);
    const int height = Scaled(kExitHeight);
    a.popupWindow.Move(CentredOffset(screen.cx, width), CentredOffset(screen.cy, height), width, height);
    a.popupWindow.Visible(true);
    a.popupSeconds = 0;
    PopupCountdownTick();
    a.countdownTimer.SetInterval(kSecondMs);
}
