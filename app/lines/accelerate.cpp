#include "app/lines/accelerate.h"

#include <mutex>

#include "app/lines/speed_test.h"
#include "app/shell/app.h"
#include "app/shell/connection_panel.h"
#include "app/shell/notify_messages.h"
#include "app/shell/reconnect_notice.h"
#include "app/shell/theme_pictures.h"
#include "ui/dpi_scale.h"
#include "app/shell/tray.h"
#include "app/vpn/connect.h"
#include "app/vpn/reports.h"
#include "app/vpn/vpn_session.h"
#include "platform/thread.h"
#include "app/shell/messages.h"

namespace {

constexpr int kResultTop = 170;

void ProcessPendingMessages()
{
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

void ShowFailure(const std::string& text)
{
    App& a = app();
    a.backButton.Visible(true);
    ShowResultPicture("fail.png");
    a.resultText.Text(text);
    a.resultText.Visible(true);
    a.disconnectButton.Visible(false);
    StopConnectionPanel();
    ProcessPendingMessages();
    a.mainWindow.Invalidate();
    ProcessPendingMessages();
}

std::string LastStatus()
{
    App& a = app();
    std::lock_guard<std::mutex> lock(a.statusLock);
    return a.LastStatusText;
}

} // namespace

void SetHomeButtonsVisible(bool visible)
{
    app().oneClickButton.Visible(visible);
    app().customButton.Visible(visible);
}

void SetCustomPanelVisible(bool visible)
{
    App& a = app();
    a.lineListView.Visible(visible);
    for (WTElement* element : {static_cast<WTElement*>(&a.returnButton), static_cast<WTElement*>(&a.statusText),
             static_cast<WTElement*>(&a.selectionText), static_cast<WTElement*>(&a.accelerateButton),
             static_cast<WTElement*>(&a.refreshListButton), static_cast<WTElement*>(&a.refreshSpeedButton)}) {
        element->Visible(visible);
    }
}

void HideResultPanel()
{
    EndReconnectNotice();
    App& a = app();
    a.resultImage.Visible(false);
    a.resultText.Visible(false);
    a.disconnectButton.Visible(false);
    a.backButton.Visible(false);
    StopConnectionPanel();
}

void ShowResultPicture(const char* file)
{
    EndReconnectNotice(); // a redial's notice lasts until the panel changes
    WTImageBox& image = app().resultImage;
    // Placed by the 96-DPI picture's size, drawn from the picture made for the window's DPI.
    const SIZE size = PictureSize(LoadThemePicture(file));
    ScaledPicture picture = LoadThemePicture(file, dpi::PicturePercent(app().mainSkin.Dpi()));
    image.Picture(std::move(picture.bytes));
    image.Size(size.cx, size.cy);
    image.Position(static_cast<int>((800.0 - size.cx) / 2.0), kResultTop);
    image.Visible(true);
}

void OneClickAccelerate()
{
    SetHomeButtonsVisible(false);
    const int chosen = PickFastestLine();
    if (chosen == -1) {
        SetHomeButtonsVisible(true);
        return;
    }
    AccelerateLine(chosen);
}

void ShowCustomPanel()
{
    SetHomeButtonsVisible(false);
    SetCustomPanelVisible(true);
}

void LeaveCustomPanel()
{
    SetCustomPanelVisible(false);
    SetHomeButtonsVisible(true);
}

void OnLineSelected(int row)
{
    App& a = app();
    std::lock_guard<platform::CriticalSection> lock(a.listLock);
    if (row >= 0) {
        a.selectionText.Text("当前选择：" + a.lineListView.CellText(row, 1));
        a.accelerateButton.Enabled(true);
    } else {
        a.selectionText.Text("当前选择：无");
        a.accelerateButton.Enabled(false);
    }
}

void AccelerateSelected()
{
    App& a = app();
    int lineIndex = -1;
    {
        std::lock_guard<platform::CriticalSection> lock(a.listLock);
        const int mark = a.lineListView.SelectionMark();
        if (mark >= 0) {
            lineIndex = static_cast<int>(a.lineListView.ItemData(mark));
        }
    }
    // With no selection mark (the list was refreshed) there is nothing to connect: stay on the list.
    if (lineIndex < 1) {
        return;
    }
    SetCustomPanelVisible(false);
    AccelerateLine(lineIndex);
}

void AccelerateLine(int lineIndex)
{
    App& a = app();
    a.currentLine = lineIndex;
    SetTrayItemEnabled(kTrayOneClick, false);
    SetTrayItemEnabled(kTrayCustom, false);
    ShowResultPicture("connecting.png");
    a.disconnectButton.Visible(true);
    // The session is current from here: a stop or exit before the dial ends it all the same.
    std::shared_ptr<VpnSession> session = BeginSession();
    a.connectThread = platform::StartThread([lineIndex, session] { ConnectLine(lineIndex, session); });
}

void StopAcceleration()
{
    App& a = app();
    a.disconnectButton.Enabled(false);
    // HangUp ends the current session whatever its stage: one not yet dialled never dials.
    platform::StartDetachedThread([] {
        HangUp();
        ::SendMessageW(app().notifyLabel.Handle(), msg::MsgAccelStopped, 0, 0);
        PostToUiThread([] {
            app().disconnectButton.Enabled(true);
            SetTrayItemEnabled(kTrayOneClick, true);
            SetTrayItemEnabled(kTrayCustom, true);
            SetTrayItemEnabled(kTrayStop, false);
        });
    });
}

void BackFromResult()
{
    HideResultPanel();
    SetCustomPanelVisible(true);
    SetTrayItemEnabled(kTrayOneClick, true);
    SetTrayItemEnabled(kTrayCustom, true);
}

void OnAccelStopped()
{
    HideResultPanel();
    SetCustomPanelVisible(true);
}

void ShowUpdateRequired()
{
    App& a = app();
    HangUp();
    SetHomeButtonsVisible(false);
    SetCustomPanelVisible(false);
    a.downloadButton.Visible(true);
    a.newVersionImage.Visible(true);
    SetTrayItemEnabled(kTrayOneClick, false);
    SetTrayItemEnabled(kTrayCustom, false);
}

namespace {

// A message about a connection the program has already let go (stopped, exiting, replaced) is
// not news to the user. 0 names the current one.
bool IsCurrentConnection(ras::HRASCONN handle)
{
    const ras::HRASCONN current = app().CurrentConnection.load();
    return current != nullptr && (handle == nullptr || handle == current);
}

} // namespace

void OnVpnConnected(ras::HRASCONN handle)
{
    if (!IsCurrentConnection(handle)) {
        return;
    }
    App& a = app();
    ShowResultPicture("success.png");
    a.disconnectButton.Visible(true);
    StartConnectionPanel();
    a.mainWindow.Invalidate();
    SetTrayItemEnabled(kTrayStop, true);
    ProcessPendingMessages();
}

void OnVpnDisconnected(ras::HRASCONN handle)
{
    if (!IsCurrentConnection(handle)) {
        return;
    }
    ShowFailure(LastStatus());
}

void OnVpnDialFailed() { ShowFailure(LastStatus()); }
