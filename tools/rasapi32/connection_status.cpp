// RasGetConnectStatusA/W and RasConnectionNotificationA/W: what a program learns of a connection after
// its dial, when the notifier has fallen silent.
#include "platform/win.h"

#include "connection_table.h"
#include "ledger.h"
#include "platform/ras_api.h"
#include "struct_fields.h"

namespace standin {
namespace {

template <typename Char> DWORD GetConnectStatus(ras::HRASCONN handle, ras::RasConnStatus<Char>* status)
{
    if (!status) {
        return ERROR_INVALID_PARAMETER;
    }
    if (!SizeAccepted(ApiName<Char>("RasGetConnectStatus"), status->dwSize,
            {ras::kRasConnStatusSizeOf<Char>, ras::kRasConnStatusWithPhoneNumberSizeOf<Char>})) {
        return ras::kErrorInvalidSize;
    }
    const std::shared_ptr<Connection> c = FindConnection(handle);
    if (!c) {
        return ERROR_INVALID_HANDLE;
    }
    status->rasconnstate = static_cast<ras::RASCONNSTATE>(c->state.load());
    status->dwError = c->error;
    CopyField(status->szDeviceType, c->deviceType);
    CopyField(status->szDeviceName, c->deviceName);
    return 0;
}

DWORD ConnectionNotification(ras::HRASCONN handle, HANDLE event, DWORD flags)
{
    if (!event) {
        return ERROR_INVALID_PARAMETER;
    }
    // Only the end of a connection is announced by this stand-in; other kinds are accepted and never signalled.
    if ((flags & ras::RASCN_Disconnection) == 0) {
        return handle == reinterpret_cast<ras::HRASCONN>(INVALID_HANDLE_VALUE) || FindConnection(handle)
            ? 0
            : static_cast<DWORD>(ERROR_INVALID_HANDLE);
    }
    return RegisterDisconnection(handle, event);
}

} // namespace
} // namespace standin

extern "C" DWORD WINAPI RasGetConnectStatusA(ras::HRASCONN connection, ras::RASCONNSTATUSA* status)
{
    return standin::NoThrow([&] { return standin::GetConnectStatus(connection, status); });
}

extern "C" DWORD WINAPI RasGetConnectStatusW(ras::HRASCONN connection, ras::RASCONNSTATUSW* status)
{
    return standin::NoThrow([&] { return standin::GetConnectStatus(connection, status); });
}

extern "C" DWORD WINAPI RasConnectionNotificationA(ras::HRASCONN connection, HANDLE event, DWORD flags)
{
    return standin::NoThrow([&] { return standin::ConnectionNotification(connection, event, flags); });
}

// No text passes: the same call under its wide name.
extern "C" DWORD WINAPI RasConnectionNotificationW(ras::HRASCONN connection, HANDLE event, DWORD flags)
{
    return RasConnectionNotificationA(connection, event, flags);
}
