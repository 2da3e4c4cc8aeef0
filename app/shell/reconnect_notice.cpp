#include "app/shell/reconnect_notice.h"

#include <memory>
#include <string>

#include "app/lines/accelerate.h"
#include "app/shell/app.h"
#include "app/shell/connection_panel.h"
#include "app/shell/tray.h"
#include "app/vpn/reconnect_policy.h"
#include "app/vpn/vpn_session.h"

void OnVpnReconnecting(int tryNumber, LPARAM session)
{
    const std::shared_ptr<VpnSession> current = CurrentSession();
    if (!current || reinterpret_cast<LPARAM>(current.get()) != session) {
        return;
    }
    App& a = app();
    const std::string text = ReconnectTryText(tryNumber);
    ShowResultPicture("connecting.png");
    // The dropped connection's figures and its tooltip are over.
    StopConnectionPanel();
    a.backButton.Visible(false);
    a.resultText.Text(text);
    a.resultText.Visible(true);
    a.disconnectButton.Visible(true);
    SetTrayTip(text);
    a.reconnectNoticeShown = true;
    a.mainWindow.Invalidate();
}

void EndReconnectNotice()
{
    App& a = app();
    if (!a.reconnectNoticeShown) {
        return;
    }
    a.reconnectNoticeShown = false;
    a.resultText.Visible(false);
    SetTrayTip({});
}
