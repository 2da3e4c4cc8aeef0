#include "app/vpn/dialling.h"

#include <algorithm>
#include <cwchar>
#include <mutex>
#include <new>
#include <optional>
#include <vector>

#include "app/shell/app.h"
#include "app/vpn/connection_log.h"
#include "app/vpn/ras_fields.h"
#include "app/vpn/ras_state_text.h"
#include "app/shell/messages.h"
#include "app/vpn/vpn_session.h"
#include "platform/out_of_memory.h"

namespace {

// Microsoft documents 256 characters as enough for every text; GBK takes up to two bytes each.
constexpr DWORD kErrorTextSize = 512;

// The dials the notifier can tell apart, each with its handle once it is known: a session's, or
// (without one) DialVpn's, which is watched until its outcome.
struct Watched {
    std::shared_ptr<VpnSession> session;
    ras::HRASCONN handle = nullptr;
};
std::mutex watchLock; // guards watched
std::vector<Watched> watched;

struct FoundDial {
    bool watched = false;
    std::shared_ptr<VpnSession> session;
};

// The dial an outcome is about, given its handle. News that comes before RasDialW has returned
// the handle belongs to the one dial being started (dials start one at a time).
FoundDial FindDialOfOutcome(ras::HRASCONN handle)
{
    std::lock_guard<std::mutex> hold(watchLock);
    auto it = std::find_if(watched.begin(), watched.end(), [handle](const Watched& w) { return w.handle == handle; });
    if (it == watched.end() && handle) {
        it = std::find_if(watched.begin(), watched.end(), [](const Watched& w) { return !w.handle; });
    }
    if (it == watched.end()) {
        return {};
    }
    it->handle = handle;
    FoundDial found{true, it->session};
    if (!found.session) {
        watched.erase(it);
    }
    return found;
}

// Forgets the session's dial (null: DialVpn's). Called with watchLock held.
void UnwatchLocked(const std::shared_ptr<VpnSession>& session)
{
    std::erase_if(watched, [&session](const Watched& w) { return w.session == session; });
}

// Registers the dial before RasDialW, so that no notification can miss it, then records its
// handle; a dial that did not start leaves nothing behind. A DialVpn dial replaces the last one.
DialStart StartWatchedDial(const std::shared_ptr<VpnSession>& session, const DialTexts& texts)
{
    {
        std::lock_guard<std::mutex> hold(watchLock);
        UnwatchLocked(session);
        watched.push_back({session, nullptr});
    }
    const DialStart started = StartDial(texts);
    std::lock_guard<std::mutex> hold(watchLock);
    if (!started.handle) {
        UnwatchLocked(session);
    }
    for (Watched& w : watched) {
        if (w.session == session) {
            w.handle = started.handle;
        }
    }
    return started;
}

bool FillDialParams(ras::RASDIALPARAMSW& params, const DialTexts& texts)
{
    params.dwSize = ras::kRasDialParamsSizeOf<WCHAR>;
    return CopyField(params.szEntryName, texts.entryName) && CopyField(params.szPhoneNumber, texts.phoneNumber)
        && CopyField(params.szCallbackNumber, texts.callbackNumber) && CopyField(params.szUserName, texts.userName)
        && CopyField(params.szPassword, texts.password) && CopyField(params.szDomain, texts.domain);
}

DialStart CallRasDial(const DialTexts& texts, ras::RASDIALPARAMSW& params)
{
    ras::HRASCONN handle = nullptr;
    const DWORD result = RasDialW(
        nullptr, texts.phonebookPath.c_str(), &params, ras::kNotifierType1, ras::AsNotifier(&OnRasDialEvent), &handle);
    if (result != 0) {
        // No notification will follow; a handle given anyway must still be freed.
        if (handle) {
            HangUpHandle(handle);
        }
        return {nullptr, result};
    }
    return {handle, 0};
}

void HandleDialEvent(ras::HRASCONN handle, ras::RASCONNSTATE state, DWORD error)
{
    const std::string text = RasStateText(state, error);
    AppendLog(text);
    const bool connected = state == ras::RASCS_Connected;
    if (!connected && state != ras::RASCS_Disconnected && error == 0) {
        return;
    }
    const FoundDial dial = FindDialOfOutcome(handle);
    const std::shared_ptr<VpnSession>& session = dial.session;
    // The user interface takes news only of CurrentConnection: publish it first.
    if (session) {
        PublishHandleEarly(*session, handle);
    } else if (dial.watched) {
        app().CurrentConnection = handle;
    }
    // A dial the program has given up (stopped, exiting, replaced) is not news to the user, nor
    // is a failed redial: the connect thread may try again.
    const bool shown = !session || (IsCurrent(*session) && (connected || !session->redial));
    if (shown) {
        if (connected) {
            ::SendMessageW(app().notifyLabel.Handle(), msg::MsgVpnConnected, 0, reinterpret_cast<LPARAM>(handle));
        } else {
            ReportDialOutcome(msg::MsgVpnDisconnected, text, handle);
        }
    }
    // Only once the user interface has taken the news does the connect thread go on (reports).
    if (session) {
        SetDialOutcome(*session, connected ? DialOutcome::Connected : DialOutcome::Failed, connected ? "" : text);
    }
}

} // namespace

DialStart StartDial(const DialTexts& texts)
{
    ras::RASDIALPARAMSW params{};
    DialStart started{nullptr, ERROR_INVALID_PARAMETER};
    if (FillDialParams(params, texts)) {
        started = CallRasDial(texts, params);
    }
    ::SecureZeroMemory(params.szPassword, sizeof params.szPassword);
    return started;
}

ras::HRASCONN DialVpn(const std::string& entryName, const std::wstring& phonebookPath, const std::string& phoneNumber,
    const std::string& callbackNumber, const std::string& userName, const std::string& password,
    const std::string& domain)
{
    const DialStart started = StartWatchedDial(
        nullptr, {entryName, phonebookPath, phoneNumber, callbackNumber, userName, password, domain});
    if (started.error != ERROR_INVALID_PARAMETER || started.handle) {
        app().CurrentConnection = started.handle;
    }
    return started.handle;
}

WatchedDial::WatchedDial(std::shared_ptr<VpnSession> session)
    : session_(std::move(session))
{
}

WatchedDial::~WatchedDial()
{
    std::lock_guard<std::mutex> hold(watchLock);
    UnwatchLocked(session_);
}

DialStart WatchedDial::Start(const DialTexts& texts) { return StartWatchedDial(session_, texts); }

DialOutcome WatchedDial::Await(DWORD boundMs)
{
    const HANDLE waits[2] = {session_->endEvent.Get(), session_->outcomeEvent.Get()};
    const DWORD start = ::GetTickCount();
    for (;;) {
        const DWORD elapsed = ::GetTickCount() - start;
        const DWORD waited
            = ::WaitForMultipleObjectsEx(2, waits, FALSE, elapsed >= boundMs ? 0 : boundMs - elapsed, TRUE);
        if (const std::optional<DialOutcome> outcome = DialOutcomeOf(*session_)) {
            return *outcome;
        }
        if (waited == WAIT_OBJECT_0) {
            return DialOutcome::Ended;
        }
        if (waited != WAIT_IO_COMPLETION) {
            return DialOutcome::TimedOut;
        }
    }
}

void WINAPI OnRasDialEvent(
    ras::HRASCONN connection, UINT /*message*/, ras::RASCONNSTATE state, DWORD error, DWORD /*extendedError*/)
{
    // Called by RAS: nothing may escape back into it.
    try {
        HandleDialEvent(connection, state, error);
    } catch (const std::bad_alloc&) {
        platform::OutOfMemory();
    } catch (...) {
    }
}

std::string RasStateText(int state, DWORD error)
{
    if (error == 0) {
        return RasStateTableText(state);
    }
    // A failed look-up leaves the blanks as the text.
    wchar_t buffer[kErrorTextSize];
    std::wmemset(buffer, L' ', kErrorTextSize);
    RasGetErrorStringW(error, buffer, kErrorTextSize);
    return FieldText(buffer);
}

void ReportDialOutcome(UINT message, const std::string& statusText, ras::HRASCONN handle)
{
    App& a = app();
    {
        std::lock_guard<std::mutex> hold(a.statusLock);
        a.LastStatusText = statusText;
    }
    ::SendMessageW(a.notifyLabel.Handle(), message, 0, reinterpret_cast<LPARAM>(handle));
}

void FailSession(VpnSession& session, UINT message, const std::string& text)
{
    AppendLog(text);
    if (IsCurrent(session)) {
        ReportDialOutcome(message, text, session.handle);
    }
    EndSession(session);
}
