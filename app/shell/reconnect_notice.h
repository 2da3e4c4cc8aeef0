// The result panel and the tray's tooltip while a dropped line is dialled again. UI thread.
#pragma once

#include "platform/win.h"

// Try `tryNumber` is under way in the session whose address is `session`: shown while that
// session is current (a try the user has stopped meanwhile shows nothing).
void OnVpnReconnecting(int tryNumber, LPARAM session);

// The panel has moved on (connected, failed, stopped): the notice's text goes and the tooltip is
// the program's own again.
void EndReconnectNotice();
