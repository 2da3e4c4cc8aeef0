// Dialling the entry and turning its notifications into log lines and UI messages.
#pragma once

#include "platform/win.h"

#include <string>
#include <type_traits>

#include "platform/ras_api.h"

struct VpnSession;

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

// Starts the asynchronous dial. A text too long for its field starts nothing
// (ERROR_INVALID_PARAMETER); a dial RAS refuses at once gives no handle (one given anyway is
// hung up). RAS makes the notifications on the calling thread, which must then wait alertably
// until the dial's outcome (see AwaitDialOutcome).
DialStart StartDial(const DialTexts& texts);

// StartDial, with the handle put into CurrentConnection (0 when no dial was started).
ras::HRASCONN DialVpn(const std::string& entryName, const std::string& phonebookPath, const std::string& phoneNumber,
    const std::string& callbackNumber, const std::string& userName, const std::string& password,
    const std::string& domain);

enum class DialOutcome { Connected, Failed, Ended, TimedOut };

// Waits alertably, so that the notifier runs, until the session's dial is connected or has failed,
// the session is ended, or `boundMs` has passed. Call on the thread that started the dial.
DialOutcome AwaitDialOutcome(VpnSession& session, DWORD boundMs);

void WINAPI OnRasDialEvent(UINT message, ras::RASCONNSTATE state, DWORD error);
// RAS calls it through this exact type; a mismatch in the calling convention must not compile.
static_assert(std::is_same_v<decltype(&OnRasDialEvent), ras::RASDIALFUNC>);

// The state's text, or the system's text for a non-zero error.
std::string RasStateText(int state, DWORD error);

// Stores the text in LastStatusText and sends the message to notifyLabel (waits for the UI thread).
// lParam names the connection it is about (0: CurrentConnection).
void ReportDialOutcome(UINT message, const std::string& statusText, ras::HRASCONN handle = nullptr);

// Logs the failure, reports it while the session is still the user's, then ends the session.
void FailSession(VpnSession& session, UINT message, const std::string& text);
