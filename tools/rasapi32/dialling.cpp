// RasDialA: returns at once with a handle; a worker thread then goes through the states a PPTP
// dial reports, reaching the line server on its control port, and calls the notifier for each.
#include "platform/win.h"

#include <cstdlib>
#include <memory>
#include <string>

#include "connection_table.h"
#include "line_session.h"
#include "phonebook.h"
#include "platform/ras_api.h"
#include "platform/thread.h"
#include "struct_fields.h"

namespace standin {
namespace {

constexpr unsigned short kPptpPort = 1723;
constexpr DWORD kConnectTimeoutMs = 3000;
constexpr DWORD kLoginTimeoutMs = 10000;
constexpr DWORD kRasDialParamsWithSubEntrySize = 1060; // the next layout: adds dwSubEntry, dwCallbackId

struct DialJob {
    std::shared_ptr<Connection> connection;
    ras::RASDIALFUNC notifier = nullptr;
    bool entryFound = false;
    std::string address;
    std::string userName;
    std::string password;
};

// Calls the notifier unless the connection was hung up; false once it has been.
bool Notify(const DialJob& job, ras::RASCONNSTATE state, DWORD error = 0)
{
    if (job.connection->hungUp) {
        return false;
    }
    if (state == ras::RASCS_Disconnected || error != 0) {
        job.connection->live = false;
    }
    job.notifier(ras::kWmRasDialEvent, state, error);
    return !job.connection->hungUp;
}

// The error the answer to LOGIN stands for: 0 for "OK", the number of "ERR n", else 691.
DWORD LoginError(const std::string& answer)
{
    if (answer == "OK") {
        return 0;
    }
    if (answer.rfind("ERR ", 0) == 0) {
        const unsigned long code = std::strtoul(answer.c_str() + 4, nullptr, 10);
        if (code >= 600 && code < 1000) {
            return static_cast<DWORD>(code);
        }
    }
    return ras::kErrorAuthenticationFailure;
}

// A tab or line break would split the LOGIN line; such credentials cannot be right.
bool FitsLoginLine(const std::string& text) { return text.find_first_of("\t\r\n") == std::string::npos; }

void RunDial(const DialJob& job)
{
    if (!job.entryFound) {
        Notify(job, ras::RASCS_OpenPort, ras::kErrorCannotFindPhonebookEntry);
        return;
    }
    if (!Notify(job, ras::RASCS_OpenPort) || !Notify(job, ras::RASCS_PortOpened)
        || !Notify(job, ras::RASCS_ConnectDevice)) {
        return;
    }
    LineSession session(job.connection->hangUpEvent.Get());
    switch (session.Connect(job.address, kPptpPort, kConnectTimeoutMs)) {
    case SessionResult::Ok:
        break;
    case SessionResult::HungUp:
        return;
    case SessionResult::Unresolved:
        Notify(job, ras::RASCS_ConnectDevice, ras::kErrorDnsNameNotResolvable);
        return;
    default:
        Notify(job, ras::RASCS_ConnectDevice, ras::kErrorAutomaticVpnFailed);
        return;
    }
    if (!Notify(job, ras::RASCS_DeviceConnected) || !Notify(job, ras::RASCS_AllDevicesConnected)
        || !Notify(job, ras::RASCS_Authenticate)) {
        return;
    }
    if (!FitsLoginLine(job.userName) || !FitsLoginLine(job.password)) {
        Notify(job, ras::RASCS_Authenticate, ras::kErrorAuthenticationFailure);
        return;
    }
    std::string answer;
    SessionResult talked = session.Send("LOGIN\t" + job.userName + "\t" + job.password + "\n", kLoginTimeoutMs);
    if (talked == SessionResult::Ok) {
        talked = session.ReadLine(answer, kLoginTimeoutMs);
    }
    if (talked == SessionResult::HungUp) {
        return;
    }
    if (talked != SessionResult::Ok) {
        Notify(job, ras::RASCS_Authenticate, ras::kErrorNoAnswer);
        return;
    }
    if (const DWORD refused = LoginError(answer)) {
        Notify(job, ras::RASCS_Authenticate, refused);
        return;
    }
    if (!Notify(job, ras::RASCS_AuthAck) || !Notify(job, ras::RASCS_Authenticated)
        || !Notify(job, ras::RASCS_Connected)) {
        return;
    }
    if (session.WaitUntilClosed() == SessionResult::Closed) {
        Notify(job, ras::RASCS_Disconnected);
    }
}

// Workers may run after the program is done with the library; it must stay loaded under them.
void PinThisModule()
{
    HMODULE self = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
        reinterpret_cast<LPCWSTR>(&PinThisModule), &self);
}

DWORD Dial(
    LPCSTR phonebook, ras::RASDIALPARAMSA* params, DWORD notifierType, LPVOID notifier, ras::HRASCONN* connection)
{
    if (!connection || !params) {
        return ERROR_INVALID_PARAMETER;
    }
    *connection = nullptr;
    if (params->dwSize != ras::kRasDialParamsSize && params->dwSize != kRasDialParamsWithSubEntrySize) {
        return ras::kErrorInvalidSize;
    }
    // Only the asynchronous dial with a type 0 notifier is offered.
    if (notifierType != ras::kNotifierType0 || !notifier) {
        return ERROR_INVALID_PARAMETER;
    }
    if (!phonebook || !*phonebook) {
        return ras::kErrorCannotOpenPhonebook;
    }

    DialJob job;
    job.notifier = reinterpret_cast<ras::RASDIALFUNC>(notifier);
    job.userName = FieldText(params->szUserName);
    job.password = FieldText(params->szPassword);
    const std::string entryName = FieldText(params->szEntryName);
    std::optional<DialEntry> entry;
    if (CheckEntryName(entryName.c_str()) == 0) {
        entry = ReadDialEntry(phonebook, entryName);
    }
    job.entryFound = entry.has_value();
    if (entry) {
        const std::string override = FieldText(params->szPhoneNumber);
        job.address = override.empty() ? entry->phoneNumber : override;
    }
    job.connection = AddConnection(
        entryName, entry ? entry->deviceType : std::string(), entry ? entry->deviceName : std::string());
    if (!job.connection) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    PinThisModule();
    // The handle is the caller's before the first notification can arrive.
    *connection = job.connection->handle;
    if (!platform::StartDetachedThread([job] { RunDial(job); })) {
        TakeConnection(job.connection->handle);
        *connection = nullptr;
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    return 0;
}

} // namespace
} // namespace standin

extern "C" DWORD WINAPI RasDialA(ras::RASDIALEXTENSIONS* /*extensions*/, LPCSTR phonebook, ras::RASDIALPARAMSA* params,
    DWORD notifierType, LPVOID notifier, ras::HRASCONN* connection)
{
    return standin::NoThrow([&] { return standin::Dial(phonebook, params, notifierType, notifier, connection); });
}
