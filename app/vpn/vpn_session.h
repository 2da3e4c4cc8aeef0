// One accelerate command's connection, from its connect thread's start until the program has hung
// it up: the address it dialled, its RAS handle, and the event that ends its waits. After a drop,
// each redial of the same line is a session of its own that takes the place of the last one. One
// session is current at a time; CurrentConnection is the current session's handle once it has one.
#pragma once

#include "platform/win.h"

#include <memory>
#include <optional>
#include <string>

#include "platform/handles.h"
#include "platform/ras_api.h"

enum class DialOutcome { Connected, Failed, Ended, TimedOut };

struct VpnSession {
    explicit VpnSession(bool redialling = false);

    // A redial after a drop: its dial's failure is the connect thread's to show, not the notifier's.
    const bool redial;
    // The line's texts as dialled; written by the connect thread before the handle is published,
    // and copied from there into the session of a redial.
    std::string address;
    std::string userName;
    std::string password;
    // Manual-reset; set once the program ends the session (stop, exit, a new connect, a failure).
    platform::UniqueHandle endEvent;
    // Manual-reset; set by the dial notifier, on whichever thread RAS calls it, once dialOutcome
    // is Connected or Failed.
    platform::UniqueHandle outcomeEvent;

    // Guarded by the session lock (vpn_session.cpp).
    ras::HRASCONN handle = nullptr;
    bool ended = false;
    bool hungUp = false;
    std::optional<DialOutcome> dialOutcome;
    std::string failureText; // the notifier's text of a failed dial
};

// Starts a new current session. The one it replaces is ended and its handle hung up. UI thread.
std::shared_ptr<VpnSession> BeginSession();

// The current session, or null.
std::shared_ptr<VpnSession> CurrentSession();
bool IsCurrent(const VpnSession& session);
bool IsEnded(const VpnSession& session);

// Gives the session its dialled handle and, while it is still current, makes it CurrentConnection.
// False when the session has been ended meanwhile: the handle has then been hung up here. The
// same handle again changes nothing.
bool PublishHandle(VpnSession& session, ras::HRASCONN handle);

// The same for the dial notifier, whose news may come before RasDialW has returned the handle: a
// session not yet ended gets it; it never hangs up (that is PublishHandle's, on the dialling thread).
void PublishHandleEarly(VpnSession& session, ras::HRASCONN handle);

// The dial's outcome as the notifier hands it to the connect thread: stored, then outcomeEvent set.
void SetDialOutcome(VpnSession& session, DialOutcome outcome, const std::string& failureText = {});
std::optional<DialOutcome> DialOutcomeOf(const VpnSession& session);
std::string DialFailureText(const VpnSession& session);

// A redial's session for the same line in place of `old`, which is ended and its handle hung up.
// Null when `old` is no longer current: the program has ended it, and nothing more is dialled.
std::shared_ptr<VpnSession> ContinueSession(VpnSession& old);

// Ends the session: it is no longer current, its waits end, and its handle is hung up (once, by
// whichever caller comes first). Any thread.
void EndSession(VpnSession& session);

// RasHangUpW, remembering the handle until RAS has released it (see WaitForReleasedPorts).
void HangUpHandle(ras::HRASCONN handle);

// Waits until RAS has released every handle hung up here (RasGetConnectStatusW answers
// ERROR_INVALID_HANDLE), at most 3 s; false when `stop` was set first.
bool WaitForReleasedPorts(HANDLE stop);
