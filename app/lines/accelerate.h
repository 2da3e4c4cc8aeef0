// The user's acceleration commands and the panels they switch between.
#pragma once

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
void OnVpnConnected();
void OnVpnDisconnected();
// A connect that could not start dialling (the line is gone or does not fit).
void OnVpnDialFailed();

void SetHomeButtonsVisible(bool visible);
void SetCustomPanelVisible(bool visible);
void HideResultPanel();
void ShowResultPicture(const char* file);
