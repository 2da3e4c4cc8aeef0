// Dialling the entry and turning its notifications into log lines and UI messages.
#pragma once

#include "platform/win.h"

#include <string>

#include "platform/ras_api.h"

// What a dial passes to RAS in RASDIALPARAMSA.
struct DialTexts {
    std::string entryName;
    std::string phonebookPath;
    std::string phoneNumber;
    std::string callbackNumber;
    std::string userName;
    std::string password;
    std::string domain;
};

struct DialStart {
    ras::HRASCONN handle = nullptr;
    DWORD error = 0; // 0: the dial is under way; else why it did not start
};

// Starts the asynchronous dial and puts its handle into CurrentConnection. A text too long for its
// field starts nothing (ERROR_INVALID_PARAMETER, CurrentConnection untouched); a dial RAS refuses
// at once leaves CurrentConnection 0.
DialStart StartDial(const DialTexts& texts);

// StartDial's handle; null when no dial was started.
ras::HRASCONN DialVpn(const std::string& entryName, const std::string& phonebookPath, const std::string& phoneNumber,
    const std::string& callbackNumber, const std::string& userName, const std::string& password,
    const std::string& domain);

void WINAPI OnRasDialEvent(UINT message, ras::RASCONNSTATE state, DWORD error);

// The state's text, or the system's text for a non-zero error.
std::string RasStateText(int state, DWORD error);

// Stores the text in LastStatusText and sends the message to notifyLabel (waits for the UI thread).
void ReportDialOutcome(UINT message, const std::string& statusText);
