#include "app/vpn/vpn_session.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "app/shell/app.h"

namespace {

constexpr DWORD kReleaseWaitMs = 3000;
constexpr DWORD kReleasePollMs = 50;

// Guards current and every session's handle, ended, hungUp, dialOutcome and failureText.
std::mutex sessionLock;
std::shared_ptr<VpnSession> current;

std::mutex releaseLock; // guards hungUpHandles
std::vector<ras::HRASCONN> hungUpHandles;

// Takes the session's handle for hanging up, once. Called with sessionLock held.
ras::HRASCONN TakeHandleLocked(VpnSession& session)
{
    session.ended = true;
    if (current.get() == &session) {
        current.reset();
    }
    if (session.hungUp || !session.handle) {
        return nullptr;
    }
    session.hungUp = true;
    ras::HRASCONN expected = session.handle;
    app().CurrentConnection.compare_exchange_strong(expected, nullptr);
    return session.handle;
}

// Wakes the ended session's waits and hangs up the handle taken from it, outside the lock.
void FinishEnd(VpnSession& session, ras::HRASCONN handle)
{
    ::SetEvent(session.endEvent.Get());
    if (handle) {
        HangUpHandle(handle);
    }
}

bool Released(ras::HRASCONN handle)
{
    ras::RASCONNSTATUSW status{};
    status.dwSize = ras::kRasConnStatusSizeOf<WCHAR>;
    return RasGetConnectStatusW(handle, &status) == ERROR_INVALID_HANDLE;
}

} // namespace

VpnSession::VpnSession(bool redialling)
    : redial(redialling)
    , endEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
    , outcomeEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
}

std::shared_ptr<VpnSession> BeginSession()
{
    auto session = std::make_shared<VpnSession>();
    std::shared_ptr<VpnSession> replaced;
    {
        std::lock_guard<std::mutex> hold(sessionLock);
        replaced = std::exchange(current, session);
    }
    if (replaced) {
        EndSession(*replaced);
    }
    return session;
}

std::shared_ptr<VpnSession> ContinueSession(VpnSession& old)
{
    auto next = std::make_shared<VpnSession>(true);
    next->address = old.address;
    next->userName = old.userName;
    next->password = old.password;
    ras::HRASCONN handle = nullptr;
    {
        std::lock_guard<std::mutex> hold(sessionLock);
        if (current.get() != &old) {
            return nullptr;
        }
        handle = TakeHandleLocked(old);
        current = next;
    }
    FinishEnd(old, handle);
    return next;
}

std::shared_ptr<VpnSession> CurrentSession()
{
    std::lock_guard<std::mutex> hold(sessionLock);
    return current;
}

bool IsCurrent(const VpnSession& session)
{
    std::lock_guard<std::mutex> hold(sessionLock);
    return current.get() == &session;
}

bool IsEnded(const VpnSession& session)
{
    std::lock_guard<std::mutex> hold(sessionLock);
    return session.ended;
}

bool PublishHandle(VpnSession& session, ras::HRASCONN handle)
{
    {
        std::lock_guard<std::mutex> hold(sessionLock);
        if (handle && session.handle == handle) {
            return !session.ended;
        }
        session.handle = handle;
        if (!session.ended) {
            app().CurrentConnection = handle;
            return true;
        }
        session.hungUp = true;
    }
    HangUpHandle(handle);
    return false;
}

void PublishHandleEarly(VpnSession& session, ras::HRASCONN handle)
{
    std::lock_guard<std::mutex> hold(sessionLock);
    if (!session.ended && !session.handle) {
        session.handle = handle;
        app().CurrentConnection = handle;
    }
}

void SetDialOutcome(VpnSession& session, DialOutcome outcome, const std::string& failureText)
{
    {
        std::lock_guard<std::mutex> hold(sessionLock);
        session.dialOutcome = outcome;
        session.failureText = failureText;
    }
    ::SetEvent(session.outcomeEvent.Get());
}

std::optional<DialOutcome> DialOutcomeOf(const VpnSession& session)
{
    std::lock_guard<std::mutex> hold(sessionLock);
    return session.dialOutcome;
}

std::string DialFailureText(const VpnSession& session)
{
    std::lock_guard<std::mutex> hold(sessionLock);
    return session.failureText;
}

void EndSession(VpnSession& session)
{
    ras::HRASCONN handle = nullptr;
    {
        std::lock_guard<std::mutex> hold(sessionLock);
        handle = TakeHandleLocked(session);
    }
    FinishEnd(session, handle);
}

void HangUpHandle(ras::HRASCONN handle)
{
    {
        std::lock_guard<std::mutex> hold(releaseLock);
        hungUpHandles.push_back(handle);
    }
    RasHangUpW(handle);
}

bool WaitForReleasedPorts(HANDLE stop)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        std::vector<ras::HRASCONN> pending;
        {
            std::lock_guard<std::mutex> hold(releaseLock);
            std::erase_if(hungUpHandles, Released);
            pending = hungUpHandles;
        }
        if (pending.empty() || ::GetTickCount() - start >= kReleaseWaitMs) {
            return true;
        }
        if (::WaitForSingleObject(stop, kReleasePollMs) == WAIT_OBJECT_0) {
            return false;
        }
    }
}
