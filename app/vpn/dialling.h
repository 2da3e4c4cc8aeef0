// Dialling the entry and turning its notifications into log lines and UI messages.
#pragma once

#include "platform/win.h"

#include <string>

#include "platform/ras_api.h"

ras::HRASCONN DialVpn(const std::string& entryName, const std::string& phonebookPath, const std::string& phoneNumber,
    const std::string& callbackNumber, const std::string& userName, const std::string& password,
    const std::string& domain);

void WINAPI OnRasDialEvent(UINT message, ras::RASCONNSTATE state, DWORD error);

// The state's text, or the system's text for a non-zero error.
std::string RasStateText(int state, DWORD error);
