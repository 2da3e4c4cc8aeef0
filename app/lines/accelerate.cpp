#include "app/lines/accelerate.h"

#include <mutex>

#include "app/lines/speed_test.h"
#include "app/shell/app.h"
#include "app/shell/notify_messages.h"
#include "app/shell/theme_pictures.h"
#include "app/shell/tray.h"
#include "app/vpn/connect.h"
#include "app/vpn/reports.h"
#include "platform/thread.h"
#include "app/shell/messages.h"

namespace {

constexpr int kResultTop = 170;
// The connect thread only hangs up old connections, writes two files and starts the dial.
constexpr DWORD kConnectStartWaitMs = 10000;

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
    App& a = app();
    a.resultImage.Visible(false);
    a.resultText.Visible(false);
    a.disconnectButton.Visible(false);
    a.backButton.Visible(false);
}

void ShowResultPicture(const char* file)
{
    WTImageBox& image = app().resultImage;
    std::vector<unsigned char> picture = LoadThemePicture(file);
    const SIZE size = PictureSize(picture);
    image.Picture(std::move(picture));
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
    a.connectThread = platform::StartThread([lineIndex] { ConnectLine(lineIndex); });
}

void StopAcceleration()
{
    App& a = app();
    a.disconnectButton.Enabled(false);
    // A stop pressed before the connect thread has dialled would find nothing to hang up
    // and the line would come up behind the list: the stop worker waits for that thread first.
    HANDLE pending = nullptr;
    if (a.connectThread) {
        ::DuplicateHandle(
            ::GetCurrentProcess(), a.connectThread.Get(), ::GetCurrentProcess(), &pending, SYNCHRONIZE, FALSE, 0);
    }
    platform::StartDetachedThread([pending] {
        if (pending) {
            platform::UniqueHandle connect(pending);
            ::WaitForSingleObject(connect.Get(), kConnectStartWaitMs);
        }
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

void OnVpnConnected()
{
    App& a = app();
    ShowResultPicture("success.png");
    a.disconnectButton.Visible(true);
    a.mainWindow.Invalidate();
    SetTrayItemEnabled(kTrayStop, true);
    ProcessPendingMessages();
    platform::StartDetachedThread(ReportKeepAlive);
}

void OnVpnDisconnected()
{
    // A drop after the program's own hang-up is not news to the user.
    if (app().CurrentConnection.load() == nullptr) {
        return;
    }
    ShowFailure(LastStatus());
}

void OnVpnDialFailed() { ShowFailure(LastStatus()); }
