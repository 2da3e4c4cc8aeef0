#include "app/shell/tray.h"

#include "app/lines/accelerate.h"
#include "app/shell/app.h"
#include "app/shell/autostart.h"
#include "app/shell/main_window.h"
#include "app/shell/reconnect_switch.h"
#include "platform/text.h"
#include "ui/dpi.h"

namespace {

constexpr wchar_t kTrayName[] = L"Sorvik加速器";

void ShowMainWindow()
{
    app().mainWindow.Visible(true);
    app().mainWindow.WindowState(0);
}

// Menu commands 2 to 4 run only while the button they stand for is enabled.
void RunIfEnabled(const WTButton& button, void (*command)())
{
    if (!button.Enabled()) {
        return;
    }
    ShowMainWindow();
    command();
}

void RunMenuCommand(int command)
{
    App& a = app();
    switch (command) {
    case kTrayOpen:
        ShowMainWindow();
        break;
    case kTrayOneClick:
        RunIfEnabled(a.oneClickButton, OneClickAccelerate);
        break;
    case kTrayCustom:
        RunIfEnabled(a.customButton, ShowCustomPanel);
        break;
    case kTrayStop:
        RunIfEnabled(a.disconnectButton, StopAcceleration);
        break;
    case kTrayStartWithWindows:
        ToggleStartWithWindows();
        break;
    case kTrayWebsite:
        OpenWebsite();
        break;
    case kTrayForum:
        OpenForum();
        break;
    case kTrayAutoReconnect:
        ToggleAutoReconnect();
        break;
    case kTrayExit:
        a.mainWindow.Send(WM_CLOSE);
        break;
    default:
        break; // dismissed
    }
}

} // namespace

void SetUpTray()
{
    App& a = app();
    // The notification area draws small icons at the system DPI: load the size it asks for, so
    // the icon file's nearest picture is used rather than a 32-pixel one shrunk by the shell.
    const SIZE size = dpi::SmallIconSize(dpi::System());
    auto* icon = static_cast<HICON>(
        ::LoadImageW(WTWindow::ModuleInstance(), MAKEINTRESOURCEW(250), IMAGE_ICON, size.cx, size.cy, 0));
    a.mainWindow.AddTrayIcon(icon, kTrayName);
    a.trayMenu.CreatePopup();
    a.trayMenu.AppendItem("打开Sorvik加速器", kTrayOpen);
    a.trayMenu.AppendSeparator();
    a.trayMenu.AppendItem("一键加速", kTrayOneClick);
    a.trayMenu.AppendItem("自定义加速", kTrayCustom);
    a.trayMenu.AppendItem("停止加速", kTrayStop);
    SetTrayItemEnabled(kTrayStop, false);
    a.trayMenu.AppendSeparator();
    a.trayMenu.AppendItem("断线自动重连", kTrayAutoReconnect);
    SetTrayItemChecked(kTrayAutoReconnect, LoadAutoReconnect());
    a.trayMenu.AppendItem("开机启动", kTrayStartWithWindows);
    ShowStartWithWindowsTick();
    a.trayMenu.AppendSeparator();
    a.trayMenu.AppendItem("官方网站", kTrayWebsite);
    a.trayMenu.AppendItem("反馈交流", kTrayForum);
    a.trayMenu.AppendSeparator();
    a.trayMenu.AppendItem("退出", kTrayExit);
    a.mainWindow.onTrayEvent = OnTrayEvent;
}

void OnTrayEvent(int code)
{
    if (code == 1) {
        ShowMainWindow();
        return;
    }
    if (code != 2) {
        return;
    }
    POINT cursor{};
    if (!::GetCursorPos(&cursor)) {
        cursor = POINT{0, 0};
    }
    // The value may have been changed since by another copy, the installer or a start-up manager.
    ShowStartWithWindowsTick();
    RunMenuCommand(app().trayMenu.TrackPopup(cursor.x, cursor.y, app().mainWindow.Handle(), TPM_RETURNCMD));
}

void SetTrayItemEnabled(int commandId, bool enabled)
{
    app().trayMenu.SetItemState(static_cast<UINT>(commandId), enabled ? MFS_ENABLED : MFS_GRAYED);
}

void SetTrayItemChecked(int commandId, bool checked)
{
    const WTMenu& menu = app().trayMenu;
    UINT state = menu.ItemState(static_cast<UINT>(commandId));
    if (state == static_cast<UINT>(-1)) {
        return; // no such item
    }
    state &= ~static_cast<UINT>(MFS_CHECKED);
    menu.SetItemState(static_cast<UINT>(commandId), checked ? state | MFS_CHECKED : state);
}

bool TrayItemChecked(int commandId)
{
    const UINT state = app().trayMenu.ItemState(static_cast<UINT>(commandId));
    return state != static_cast<UINT>(-1) && (state & MFS_CHECKED) != 0;
}

void SetTrayTip(const std::string& text)
{
    app().mainWindow.Tray().SetTip(text.empty() ? std::wstring(kTrayName) : platform::Widen(text));
}
