// The main window: its creation handler and the handlers that only touch the interface.
#pragma once

#include "platform/win.h"

#include <optional>
#include <string>

void OnMainWindowCreated(HWND hwnd);
// Gives the notice subsystem what it asks of the shell: the notice bar and the web opener.
void ConnectNoticeShell();

// Shows or hides the notice bar; the link follows the measured end of the message.
void ShowNoticeBar(bool show, const std::optional<std::string>& message = std::nullopt,
    const std::optional<std::string>& linkText = std::nullopt);

// Opens a web page with the shell; anything but http:// and https:// is ignored.
void OpenWebAddress(const std::string& url);
void OpenWebsite();
void OpenForum();
