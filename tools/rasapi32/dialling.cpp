// RasDialA/W: returns at once with a handle; a worker thread then goes through the states a PPTP
// dial reports, reaching the line server on its control port. The notifier (type 0 or 1) is
// called for each state until Connected or an error, and never after; the thread that called
// RasDial must stay alive until then. A later drop is announced only to
// RasConnectionNotificationA's events and RasGetConnectStatusA.
// Microsoft writes that RAS notifies "in the context of the thread that made the RasDial call",
// and its asynchronous RasDial sample waits for the outcome without being alertable, so the
// notifier runs on a thread of RAS's own. That is what this library does by default: the dial's
// worker calls it. SORVIK_RAS_NOTIFY=apc (read at each RasDial) takes the other reading: each
// notification is an APC to the calling thread, which must then wait alertably.
#include "platform/win.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "connection_table.h"
#include "ledger.h"
#include "line_session.h"
#include "phonebook.h"
#include "platform/ras_api.h"
#include "platform/text.h"
#include "platform/thread.h"
#include "struct_fields.h"

namespace standin {
namespace {

constexpr unsigned short kPptpPort = 1723;
constexpr DWORD kConnectTimeoutMs = 3000;
constexpr DWORD kLoginTimeoutMs = 10000;

enum class DeliveryMode { OwnThread, Apc };

DeliveryMode ModeFromEnvironment()
{
    wchar_t value[8] = {};
    const DWORD n = ::GetEnvironmentVariableW(L"SORVIK_RAS_NOTIFY", value, 8);
    return n == 3 && std::wstring_view(value, n) == L"apc" ? DeliveryMode::Apc : DeliveryMode::OwnThread;
}

// The notifier as RasDial was given it: its type decides how it is called.
struct Notifier {
    DWORD type = ras::kNotifierType0;
    LPVOID function = nullptr;

    void Call(ras::HRASCONN handle, ras::RASCONNSTATE state, DWORD error) const
    {
        if (type == ras::kNotifierType1) {
            reinterpret_cast<ras::RASDIALFUNC1>(function)(handle, ras::kWmRasDialEvent, state, error, 0);
        } else {
            reinterpret_cast<ras::RASDIALFUNC>(function)(ras::kWmRasDialEvent, state, error);
        }
    }
};

// One notification made, unless the connection was hung up meanwhile.
void Make(const Connection& c, const Notifier& notifier, ras::RASCONNSTATE state, DWORD error)
{
    if (c.hungUp) {
        return;
    }
    if (state == ras::RASCS_Connected) {
        CountConnected();
    }
    notifier.Call(c.handle, state, error);
}

struct DialJob {
    std::shared_ptr<Connection> connection;
    Notifier notifier;
    DeliveryMode mode = DeliveryMode::OwnThread;
    bool entryFound = false;
    std::string address;
    std::string userName;
    std::string password;
    bool callerGone = false;
};

// One notification on its way to the calling thread.
struct Delivery {
    std::shared_ptr<Connection> connection;
    Notifier notifier;
    ras::RASCONNSTATE state = ras::RASCS_OpenPort;
    DWORD error = 0;
    platform::UniqueHandle delivered; // set once the notifier has returned
};

void CALLBACK DeliverNotification(ULONG_PTR param)
{
    const std::unique_ptr<std::shared_ptr<Delivery>> hold(reinterpret_cast<std::shared_ptr<Delivery>*>(param));
    const Delivery& d = **hold;
    Make(*d.connection, d.notifier, d.state, d.error);
    ::SetEvent(d.delivered.Get());
}

// Makes the notification, on this worker or as an APC to the calling thread, and returns once it
// has been made. False when the caller is gone (a misuse: nobody hears the rest of this dial).
bool Deliver(const DialJob& job, ras::RASCONNSTATE state, DWORD error)
{
    Connection& c = *job.connection;
    if (job.mode == DeliveryMode::OwnThread) {
        if (::WaitForSingleObject(c.callerThread.Get(), 0) == WAIT_OBJECT_0) {
            return false;
        }
        Make(c, job.notifier, state, error);
        return true;
    }
    auto d = std::make_shared<Delivery>();
    d->connection = job.connection;
    d->notifier = job.notifier;
    d->state = state;
    d->error = error;
    d->delivered.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    auto* param = new std::shared_ptr<Delivery>(d);
    if (!d->delivered
        || !::QueueUserAPC(DeliverNotification, c.callerThread.Get(), reinterpret_cast<ULONG_PTR>(param))) {
        delete param;
        return false;
    }
    const HANDLE waits[3] = {d->delivered.Get(), c.hangUpEvent.Get(), c.callerThread.Get()};
    // A caller that ended takes its queued APC with it: the parameter is lost with it.
    return ::WaitForMultipleObjects(3, waits, FALSE, INFINITE) != WAIT_OBJECT_0 + 2;
}

// Reports a state unless the connection was hung up; false once it has been, or once the dial has
// nobody left to tell.
bool Notify(DialJob& job, ras::RASCONNSTATE state, DWORD error = 0)
{
    Connection& c = *job.connection;
    if (c.hungUp) {
        return false;
    }
    if (state == ras::RASCS_Connected && error == 0) {
        c.connectedAt = ::GetTickCount64();
    }
    c.state = state;
    c.error = error;
    if (state == ras::RASCS_Disconnected || error != 0) {
        c.live = false;
    }
    if (job.callerGone) {
        return !c.hungUp;
    }
    if (!Deliver(job, state, error) && !c.hungUp) {
        job.callerGone = true;
        RecordMisuse("the thread that called RasDial for \"" + c.entryName + "\" ended before its dial finished");
    }
    return !c.hungUp;
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

void RunDial(DialJob& job)
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
    case SessionResult::TimedOut:
        Notify(job, ras::RASCS_ConnectDevice, ras::kErrorVpnTimeout);
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
    // The line servers take GBK, as the program's lines are.
    const std::string login = "LOGIN\t" + job.userName + "\t" + job.password + "\n";
    SessionResult talked = session.Send(platform::Narrow(platform::WidenUtf8(login)), kLoginTimeoutMs);
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
    // The notifier has said its last word; a drop is seen only through the connection's status.
    if (session.WaitUntilClosed() == SessionResult::Closed) {
        DropConnection(*job.connection, ras::kErrorRemoteDisconnection);
    }
}

// Workers may run after the program is done with the library; it must stay loaded under them.
void PinThisModule()
{
    HMODULE self = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
        reinterpret_cast<LPCWSTR>(&PinThisModule), &self);
}

template <typename Char>
DWORD Dial(const Char* phonebookArgument, ras::RasDialParams<Char>* params, DWORD notifierType, LPVOID notifier,
    ras::HRASCONN* connection)
{
    const std::string function = ApiName<Char>("RasDial");
    if (!connection || !params) {
        return ERROR_INVALID_PARAMETER;
    }
    *connection = nullptr;
    if (!SizeAccepted(
            function, params->dwSize, {ras::kRasDialParamsSizeOf<Char>, ras::kRasDialParamsWithSubEntrySizeOf<Char>})) {
        return ras::kErrorInvalidSize;
    }
    // Only the asynchronous dial with a type 0 or type 1 notifier is offered.
    if ((notifierType != ras::kNotifierType0 && notifierType != ras::kNotifierType1) || !notifier) {
        return ERROR_INVALID_PARAMETER;
    }
    if (!phonebookArgument || !*phonebookArgument) {
        return ras::kErrorCannotOpenPhonebook;
    }
    const std::string phonebook = ArgumentText(phonebookArgument);

    DialJob job;
    job.notifier = {notifierType, notifier};
    job.mode = ModeFromEnvironment();
    job.userName = FieldText(params->szUserName);
    job.password = FieldText(params->szPassword);
    const std::string entryName = FieldText(params->szEntryName);
    std::optional<DialEntry> entry;
    if (CheckEntryName(entryName) == 0) {
        entry = ReadDialEntry(phonebook, entryName);
    }
    job.entryFound = entry.has_value();
    std::string entryKey = phonebook;
    std::transform(entryKey.begin(), entryKey.end(), entryKey.begin(),
        [](char ch) { return static_cast<char>(std::tolower(static_cast<unsigned char>(ch))); });
    entryKey += '\n' + entryName;
    switch (UseOfEntry(entryKey)) {
    case EntryUse::Live:
        RecordMisuse(function + " of \"" + entryName + "\" while a connection of the entry is live");
        return ras::kErrorPortAlreadyOpen;
    case EntryUse::NotHungUp:
        RecordMisuse(
            function + " of \"" + entryName + "\" while a failed or dropped handle of the entry is not hung up");
        return ras::kErrorPortNotAvailable;
    case EntryUse::Releasing:
        return ras::kErrorPortNotAvailable; // the last hang-up has not released the port yet
    case EntryUse::Free:
        break;
    }
    if (entry) {
        const std::string override = FieldText(params->szPhoneNumber);
        job.address = override.empty() ? entry->phoneNumber : override;
    }
    job.connection = AddConnection(std::move(entryKey), entryName, entry ? entry->deviceType : std::string(),
        entry ? entry->deviceName : std::string());
    if (!job.connection) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    job.connection->callerThread.Reset(::OpenThread(SYNCHRONIZE | THREAD_SET_CONTEXT, FALSE, ::GetCurrentThreadId()));
    if (!job.connection->callerThread) {
        RemoveConnection(job.connection->handle);
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    PinThisModule();
    // The handle is the caller's before the first notification can arrive.
    *connection = job.connection->handle;
    if (!platform::StartDetachedThread([job]() mutable { RunDial(job); })) {
        RemoveConnection(job.connection->handle);
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

extern "C" DWORD WINAPI RasDialW(ras::RASDIALEXTENSIONS* /*extensions*/, LPCWSTR phonebook, ras::RASDIALPARAMSW* params,
    DWORD notifierType, LPVOID notifier, ras::HRASCONN* connection)
{
    return standin::NoThrow([&] { return standin::Dial(phonebook, params, notifierType, notifier, connection); });
}
