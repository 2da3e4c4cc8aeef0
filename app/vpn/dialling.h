// Dialling the entry and turning its notifications into log lines and UI messages.
#pragma once

#include "platform/win.h"

#include <memory>
#include <string>
#include <type_traits>

#include "app/vpn/vpn_session.h"
#include "platform/ras_api.h"

// What a dial passes to RAS in RASDIALPARAMSW: GBK texts, the phonebook's path wide.
struct DialTexts {
    std::string entryName;
    std::wstring phonebookPath;
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
// hung up). The calling thread must live until the dial's outcome: RAS requires it, whether it
// calls the notifier on a thread of its own or, as some read its documentation, on this one.
DialStart StartDial(const DialTexts& texts);

// StartDial, with the handle put into CurrentConnection (0 when no dial was started).
ras::HRASCONN DialVpn(const std::string& entryName, const std::wstring& phonebookPath, const std::string& phoneNumber,
    const std::string& callbackNumber, const std::string& userName, const std::string& password,
    const std::string& domain);

// A session's dial as the notifier finds it, from just before RasDialW until this object goes:
// the notifier is given the dial's handle and hands the outcome to this session, whichever
// thread RAS calls it on. Dials are started one at a time (the connect procedure's lock).
class WatchedDial {
public:
    explicit WatchedDial(std::shared_ptr<VpnSession> session);
    ~WatchedDial();
    WatchedDial(const WatchedDial&) = delete;
    WatchedDial& operator=(const WatchedDial&) = delete;

    // StartDial, for this session.
    DialStart Start(const DialTexts& texts);

    // Waits until the dial is connected or has failed, the session is ended, or `boundMs` has
    // passed. Alertably, so that notifications made as APCs on this thread run too.
    DialOutcome Await(DWORD boundMs);

private:
    std::shared_ptr<VpnSession> session_;
};

// The dial notifier, of type 1: the handle says which dial a notification is about.
void WINAPI OnRasDialEvent(
    ras::HRASCONN connection, UINT message, ras::RASCONNSTATE state, DWORD error, DWORD extendedError);
// RAS calls it through this exact type; a mismatch in the calling convention must not compile.
static_assert(std::is_same_v<decltype(&OnRasDialEvent), ras::RASDIALFUNC1>);

// The state's text, or the system's text for a non-zero error.
std::string RasStateText(int state, DWORD error);

// Stores the text in LastStatusText and sends the message to notifyLabel (waits for the UI thread).
// lParam names the connection it is about (0: CurrentConnection).
void ReportDialOutcome(UINT message, const std::string& statusText, ras::HRASCONN handle = nullptr);

// Logs the failure, reports it while the session is still the user's, then ends the session.
void FailSession(VpnSession& session, UINT message, const std::string& text);
