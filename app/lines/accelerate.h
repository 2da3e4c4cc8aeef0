// The user's acceleration commands and the panels they switch between.
#pragma once

#include "platform/ras_api.h"

void OneClickAccelerate();
void ShowCustomPanel();
void LeaveCustomPanel();
void OnLineSelected(int row);
void AccelerateSelected();
void AccelerateLine(int lineIndex);
void StopAcceleration();
void BackFromResult();

// Handlers of the internal messages (UI thread).
void OnAccelStopped();
void ShowUpdateRequired();
// `handle` names the connection the message is about (0: the current one). The connection's
// keep-alive is its connect thread's business.
void OnVpnConnected(ras::HRASCONN handle = nullptr);
void OnVpnDisconnected(ras::HRASCONN handle = nullptr);
// A connect that could not start dialling (the line is gone or does not fit).
void OnVpnDialFailed();

void SetHomeButtonsVisible(bool visible);
void SetCustomPanelVisible(bool visible);
void HideResultPanel();
void ShowResultPicture(const char* file);
