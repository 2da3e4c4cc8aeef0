#include "app/vpn/dialling.h"

#include <cstring>
#include <mutex>

#include "app/shell/app.h"
#include "app/vpn/connection_log.h"
#include "app/vpn/ras_fields.h"
#include "app/vpn/ras_state_text.h"
#include "platform/critical_section.h"
#include "app/shell/messages.h"

namespace {

constexpr DWORD kErrorTextSize = 100;

// Held by StartDial from RasDialA until the handle is in CurrentConnection; the notifier passes
// through it first, so an early failure never finds CurrentConnection still 0 and goes unseen.
platform::CriticalSection dialStartLock;

bool FillDialParams(ras::RASDIALPARAMSA& params, const DialTexts& texts)
{
    params.dwSize = ras::kRasDialParamsSize;
    return CopyField(params.szEntryName, texts.entryName) && CopyField(params.szPhoneNumber, texts.phoneNumber)
        && CopyField(params.szCallbackNumber, texts.callbackNumber) && CopyField(params.szUserName, texts.userName)
        && CopyField(params.szPassword, texts.password) && CopyField(params.szDomain, texts.domain);
}

DialStart CallRasDial(const DialTexts& texts, ras::RASDIALPARAMSA& params)
{
    std::lock_guard<platform::CriticalSection> hold(dialStartLock);
    App& a = app();
    a.CurrentConnection = nullptr;
    ras::HRASCONN handle = nullptr;
    const DWORD result = RasDialA(nullptr, texts.phonebookPath.c_str(), &params, ras::kNotifierType0,
        reinterpret_cast<LPVOID>(&OnRasDialEvent), &handle);
    if (result != 0) {
        // No notification will follow; a handle given anyway must still be freed.
        if (handle) {
            RasHangUpA(handle);
        }
        return {nullptr, result};
    }
    a.CurrentConnection = handle;
    return {handle, 0};
}

void HandleDialEvent(ras::RASCONNSTATE state, DWORD error)
{
    {
        std::lock_guard<platform::CriticalSection> wait(dialStartLock);
    }
    const std::string text = RasStateText(state, error);
    AppendLog(text);
    if (state == ras::RASCS_Connected) {
        ::SendMessageW(app().notifyLabel.Handle(), msg::MsgVpnConnected, 0, 0);
        return;
    }
    if (state == ras::RASCS_Disconnected || error != 0) {
        ReportDialOutcome(msg::MsgVpnDisconnected, text);
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
    return StartDial({entryName, phonebookPath, phoneNumber, callbackNumber, userName, password, domain}).handle;
}

void WINAPI OnRasDialEvent(UINT /*message*/, ras::RASCONNSTATE state, DWORD error)
{
    // Called on a thread of the service: nothing may escape back into it.
    try {
        HandleDialEvent(state, error);
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

void ReportDialOutcome(UINT message, const std::string& statusText)
{
    App& a = app();
    {
        std::lock_guard<std::mutex> hold(a.statusLock);
        a.LastStatusText = statusText;
    }
    ::SendMessageW(a.notifyLabel.Handle(), message, 0, 0);
}
