#include "app/shell/notify_messages.h"

#include "app/lines/accelerate.h"
#include "app/lines/speed_test.h"
#include "app/shell/app.h"
#include "app/shell/messages.h"
#include "app/shell/reconnect_notice.h"

bool PostToUiThread(std::function<void()> call)
{
    App& a = app();
    {
        std::lock_guard<std::mutex> lock(a.uiCallsLock);
        a.uiCalls.push_back(std::move(call));
    }
    // The message carries no pointer: anything on the desktop can send it, and at worst
    // it runs one of our own calls a little early.
    return a.notifyLabel.Post(msg::MsgUiCall);
}

void RunPostedUiCall()
{
    App& a = app();
    std::function<void()> call;
    {
        std::lock_guard<std::mutex> lock(a.uiCallsLock);
        if (a.uiCalls.empty()) {
            return;
        }
        call = std::move(a.uiCalls.front());
        a.uiCalls.pop_front();
    }
    call();
}

LRESULT OnNotifyMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case msg::MsgSpeedTestStart:
        OnSpeedTestStart();
        break;
    case msg::MsgSpeedTestDone:
        OnSpeedTestDone();
        break;
    case msg::MsgAccelStopped:
        OnAccelStopped();
        break;
    case msg::MsgUpdateRequired:
        ShowUpdateRequired();
        break;
    case msg::MsgVpnConnected:
        OnVpnConnected(reinterpret_cast<ras::HRASCONN>(lParam));
        break;
    case msg::MsgVpnDisconnected:
        OnVpnDisconnected(reinterpret_cast<ras::HRASCONN>(lParam));
        break;
    case msg::MsgVpnDialFailed:
        OnVpnDialFailed();
        break;
    case msg::MsgLineLatency:
        ShowLineLatency(static_cast<int>(wParam));
        break;
    case msg::MsgVpnReconnecting:
        OnVpnReconnecting(static_cast<int>(wParam), lParam);
        break;
    case msg::MsgUiCall:
        RunPostedUiCall();
        break;
    default:
        break;
    }
    return 0;
}
