#include "app/shell/exit.h"

#include "app/lines/line_list.h"
#include "app/notice/notice_check.h"
#include "app/notice/notice_popup.h"
#include "app/shell/app.h"
#include "app/shell/main_window.h"
#include "app/shell/theme_pictures.h"
#include "app/shell/window_placement.h"
#include "app/vpn/reports.h"
#include "platform/text.h"
#include "ui/dpi.h"

namespace {

constexpr int kConfirmWidth = 400;
constexpr int kConfirmHeight = 120;

void ConfirmButton(WTButton& button, const char* file, int left, bool confirm)
{
    InitWholePictureButton(button, file, left, 70, 10);
    UseThemeFills(button);
    // The window is built anew at every exit question; the old binding must not fire twice.
    button.RemoveEventBinding(WTElement::kClick);
    button.AddEventBinding(WTElement::kClick, [confirm](WPARAM, LPARAM) {
        app().exitConfirmed = confirm;
        app().confirmWindow.Send(WM_CLOSE);
        return 1;
    });
    app().confirmSkin.AddElement(button);
}

void OnConfirmCreated(HWND hwnd)
{
    App& a = app();
    a.confirmWindow.RemoveStyle(WS_MAXIMIZEBOX);
    a.confirmWindow.RemoveStyle(WS_THICKFRAME);
    a.confirmWindow.RemoveStyle(WS_CAPTION);
    a.confirmSkin.Attach(hwnd);
    a.confirmSkin.TitleHeight(0);
    a.confirmSkin.BackgroundColor(a.theme.BackgroundColor());
    a.confirmSkin.BackgroundPicture(a.theme.BackgroundPicture());
    a.confirmSkin.Border(true);

    a.confirmText.Initialise(platform::Narrow(a.confirmWindow.Text()), 0, 0, kConfirmWidth, kConfirmHeight / 2);
    WTFontRecord font;
    font.face = "微软雅黑";
    font.size = 12;
    a.confirmText.Font(font, false);
    a.confirmText.TextColor(0xFFFFFFFF, false);
    a.confirmSkin.AddElement(a.confirmText);

    ConfirmButton(a.confirmExitButton, "btnExit.png", 114, true);
    ConfirmButton(a.confirmCancelButton, "btnCancel.png", a.confirmExitButton.Left() + 106, false);
    const int percent = dpi::PicturePercent(a.confirmSkin.Dpi());
    if (percent != 100) {
        SetStatePictures(a.confirmExitButton, LoadStatePictures("btnExit.png", PictureLayout::Whole, percent));
        SetStatePictures(a.confirmCancelButton, LoadStatePictures("btnCancel.png", PictureLayout::Whole, percent));
    }

    a.confirmWindow.Invalidate(false);
    a.confirmWindow.Visible(true);
}

bool AskToExit()
{
    App& a = app();
    WTWindow::CreateOptions options;
    options.parent = a.mainWindow.Handle();
    options.title = a.CurrentConnection.load() ? L"是否断开加速连接并退出Sorvik加速器？" : L"是否退出Sorvik加速器？";
    options.onCreated = OnConfirmCreated;
    options.modal = true;
    // Centred on the primary monitor, so at its DPI; its skin scales what is drawn in it the same way.
    const unsigned dpi = dpi::System();
    options.width = dpi::Scale(kConfirmWidth, dpi);
    options.height = dpi::Scale(kConfirmHeight, dpi);
    options.left = CentredOffset(::GetSystemMetrics(SM_CXSCREEN), options.width);
    options.top = CentredOffset(::GetSystemMetrics(SM_CYSCREEN), options.height);
    options.visible = false;
    options.className = L"Sorvik";
    options.showInTaskbar = false;
    a.exitConfirmed = false;
    a.confirmWindow.CreateAndRun(options);
    a.confirmSkin.Detach();
    return a.exitConfirmed;
}

// What every confirmed way out does first: nothing of the program stays on screen or on the line.
void LeaveScreenAndLine()
{
    App& a = app();
    StopNoticeTimers();
    StopLineListRetry();
    a.isExiting = true;
    a.mainWindow.Visible(false);
    a.mainWindow.Tray().Remove();
    HangUp();
}

void ReleaseBeforeClose()
{
    App& a = app();
    // Stopping does not wait, and the pool and listLock stay alive until the process
    // objects are released: a probe, fetch or connect thread may still be using them.
    a.threadPool.Stop(0);
    a.popupWindow.Send(WM_CLOSE);
    a.mainSkin.Detach();
    a.instanceEvent.Reset();
}

} // namespace

bool OnMainWindowCloseQuery()
{
    App& a = app();
    if (a.isExiting) {
        ReleaseBeforeClose();
        return false;
    }
    if (a.confirmWindow.IsWindow()) {
        // Asked again (the tray's "退出") while the question is open: that one comes to
        // the front; a second one cannot be built and would undo the open one.
        ::SetForegroundWindow(a.confirmWindow.Handle());
        return true;
    }
    if (!AskToExit()) {
        return true;
    }
    LeaveScreenAndLine();
    if (a.downloadButton.Visible()) {
        a.mainWindow.Send(WM_CLOSE);
        return true;
    }
    ShowExitNotice();
    return true;
}

void DownloadAndQuit()
{
    OpenWebAddress(NoticeSnapshot().downloadUrl);
    LeaveScreenAndLine();
    app().mainWindow.Send(WM_CLOSE);
}
