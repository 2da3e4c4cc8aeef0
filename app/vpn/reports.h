// Telling the service about the connection, and hanging it up.
#pragma once

// Hangs up CurrentConnection if there is one, clears it and starts the disconnect report. Any thread.
void HangUp();

// Thread bodies.
void ReportKeepAlive();
void ReportDisconnect();
