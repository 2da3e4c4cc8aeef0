#include "app/vpn/dialling.h"

#include <cstring>
#include <mutex>
#include <new>
#include <optional>

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

// The dial this thread waits for; RAS calls the notifier on the thread that dialled.
struct DialWatch {
    VpnSession* session = nullptr;
    std::optional<DialOutcome> outcome;
};
thread_local DialWatch* watch = nullptr;

bool FillDialParams(ras::RASDIALPARAMSA& params, const DialTexts& texts)
{
    params.dwSize = ras::kRasDialParamsSize;
    return CopyField(params.szEntryName, texts.entryName) && CopyField(params.szPhoneNumber, texts.phoneNumber)
        && CopyField(params.szCallbackNumber, texts.callbackNumber) && CopyField(params.szUserName, texts.userName)
        && CopyField(params.szPassword, texts.password) && CopyField(params.szDomain, texts.domain);
}

DialStart CallRasDial(const DialTexts& texts, ras::RASDIALPARAMSA& params)
{
    ras::HRASCONN handle = nullptr;
    const DWORD result = RasDialA(
        nullptr, texts.phonebookPath.c_str(), &params, ras::kNotifierType0, ras::AsNotifier(&OnRasDialEvent), &handle);
    if (result != 0) {
        // No notification will follow; a handle given anyway must still be freed.
        if (handle) {
            HangUpHandle(handle);
        }
        return {nullptr, result};
    }
    return {handle, 0};
}

void HandleDialEvent(ras::RASCONNSTATE state, DWORD error)
{
    const std::string text = RasStateText(state, error);
    AppendLog(text);
    VpnSession* session = watch ? watch->session : nullptr;
    // A dial the program has given up (stopped, exiting, replaced) is not news to the user.
    const bool shown = !session || IsCurrent(*session);
    const ras::HRASCONN handle = session ? session->handle : app().CurrentConnection.load();
    if (state == ras::RASCS_Connected) {
        if (watch) {
            watch->outcome = DialOutcome::Connected;
        }
        if (shown) {
            ::SendMessageW(app().notifyLabel.Handle(), msg::MsgVpnConnected, 0, reinterpret_cast<LPARAM>(handle));
        }
        return;
    }
    if (state == ras::RASCS_Disconnected || error != 0) {
        if (watch) {
            watch->outcome = DialOutcome::Failed;
        }
        if (shown) {
            ReportDialOutcome(msg::MsgVpnDisconnected, text, handle);
        }
    }
}

} // namespace

DialStart StartDial(const DialTexts& texts)
{
    ras::RASDIALPARAMSA params{};
    DialStart started{nullptr, ERROR_INVALID_PARAMETER};
    if (FillDialParams(params, texts)) {
        started = CallRasDial(texts, params);
    }
    ::SecureZeroMemory(params.szPassword, sizeof params.szPassword);
    return started;
}

ras::HRASCONN DialVpn(const std::string& entryName, const std::string& phonebookPath, const std::string& phoneNumber,
    const std::string& callbackNumber, const std::string& userName, const std::string& password,
    const std::string& domain)
{
    const DialStart started
        = StartDial({entryName, phonebookPath, phoneNumber, callbackNumber, userName, password, domain});
    if (started.error != ERROR_INVALID_PARAMETER || started.handle) {
        app().CurrentConnection = started.handle;
    }
    return started.handle;
}

DialOutcome AwaitDialOutcome(VpnSession& session, DWORD boundMs)
{
    DialWatch watching;
    watching.session = &session;
    watch = &watching;
    const DWORD start = ::GetTickCount();
    DialOutcome result = DialOutcome::TimedOut;
    for (;;) {
        const DWORD elapsed = ::GetTickCount() - start;
        const DWORD waited
            = ::WaitForSingleObjectEx(session.endEvent.Get(), elapsed >= boundMs ? 0 : boundMs - elapsed, TRUE);
        if (watching.outcome) {
            result = *watching.outcome;
            break;
        }
        if (waited == WAIT_OBJECT_0) {
            result = DialOutcome::Ended;
            break;
        }
        if (waited != WAIT_IO_COMPLETION) {
            break;
        }
    }
    watch = nullptr;
    return result;
}

void WINAPI OnRasDialEvent(UINT /*message*/, ras::RASCONNSTATE state, DWORD error)
{
    // Called by RAS: nothing may escape back into it.
    try {
        HandleDialEvent(state, error);
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
    char buffer[kErrorTextSize];
    std::memset(buffer, ' ', sizeof buffer);
    RasGetErrorStringA(error, buffer, kErrorTextSize);
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
