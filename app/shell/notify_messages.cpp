#include "app/shell/notify_messages.h"

#include "app/lines/accelerate.h"
#include "app/lines/line_list.h"
#include "app/lines/speed_test.h"
#include "ui/messages.h"

LRESULT OnNotifyMessage(HWND, UINT message, WPARAM wParam, LPARAM)
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
        OnVpnConnected();
        break;
    case msg::MsgVpnDisconnected:
        OnVpnDisconnected();
        break;
    case msg::MsgVpnDialFailed:
        OnVpnDialFailed();
        break;
    case msg::MsgLineRowAdded:
        ShowLineRow(static_cast<int>(wParam));
        break;
    case msg::MsgLineLatency:
        ShowLineLatency(static_cast<int>(wParam));
        break;
    default:
        break;
    }
    return 0;
}
