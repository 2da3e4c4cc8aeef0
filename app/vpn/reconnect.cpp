#include "app/vpn/reconnect.h"

#include "platform/win.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "app/shell/app.h"
#include "app/shell/messages.h"
#include "app/vpn/connect.h"
#include "app/vpn/connection_log.h"
#include "app/vpn/dialling.h"
#include "app/vpn/reconnect_policy.h"
#include "app/vpn/reports.h"
#include "app/vpn/vpn_session.h"
#include "platform/ras_api.h"

namespace {

std::uint32_t Now() { return static_cast<std::uint32_t>(::GetTickCount()); }

// Logs the try and, while the session is still the user's, shows it (the UI thread compares the
// session's address with the current one's; it never follows it).
void AnnounceTry(VpnSession& session, int tryNumber)
{
    AppendLog(ReconnectTryText(tryNumber));
    if (IsCurrent(session)) {
        ::SendMessageW(app().notifyLabel.Handle(), msg::MsgVpnReconnecting, static_cast<WPARAM>(tryNumber),
            reinterpret_cast<LPARAM>(&session));
    }
}

// Dials the dropped line again in `session` and, after each failed try, in a new one that takes
// its place. Returns the session that connected; null when the program ended the try or the tries
// are spent, which shows the last failure.
std::shared_ptr<VpnSession> Redial(std::shared_ptr<VpnSession> session, std::string failure)
{
    ReconnectPolicy policy(Now());
    bool dialStarted = true;
    for (std::optional<std::uint32_t> wait = policy.NextTry(Now()); wait;) {
        AnnounceTry(*session, policy.Tries());
        const HANDLE ended = session->endEvent.Get();
        if (::WaitForSingleObject(ended, *wait) != WAIT_TIMEOUT || !WaitForReleasedPorts(ended)) {
            return nullptr;
        }
        const DialResult dialled = DialSession(session, std::min<unsigned long>(DialBoundMs(), policy.TimeLeft(Now())));
        switch (dialled.outcome) {
        case DialOutcome::Connected:
            if (IsCurrent(*session)) {
                return session;
            }
            EndSession(*session);
            return nullptr;
        case DialOutcome::Ended:
            return nullptr;
        case DialOutcome::Failed:
        case DialOutcome::TimedOut:
            break;
        }
        failure = dialled.text;
        dialStarted = dialled.started;
        wait = policy.NextTry(Now());
        // The failed try's handle is hung up before the next dial of the entry.
        if (wait && !(session = ContinueSession(*session))) {
            return nullptr;
        }
    }
    FailSession(*session, dialStarted ? msg::MsgVpnDisconnected : msg::MsgVpnDialFailed, failure);
    return nullptr;
}

} // namespace

void StayConnected(std::shared_ptr<VpnSession> session)
{
    while (session) {
        const ReportsEnd end = RunReports(*session, SystemClock());
        if (!end.dropped) {
            return;
        }
        const std::string dropped = RasStateText(ras::RASCS_Disconnected, end.error);
        std::shared_ptr<VpnSession> next = app().autoReconnect.load() ? ContinueSession(*session) : nullptr;
        if (next) {
            AppendLog(dropped);
        } else {
            FailSession(*session, msg::MsgVpnDisconnected, dropped);
        }
        // The dropped handle is hung up by now; the service hears of it once, before any redial.
        ReportDisconnect(session->address);
        session = next ? Redial(std::move(next), dropped) : nullptr;
    }
}
