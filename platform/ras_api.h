// The Remote Access Service calls, with the structure versions passed. The program calls the wide
// functions, whose texts survive any code page; the ANSI ones are declared for the tests of the
// stand-in.
// Never include <ras.h> beside this header: the functions below would then be declared twice
// with different parameter types.
#pragma once

#include "platform/ras_types.h"

extern "C" {

DWORD WINAPI RasEnumConnectionsA(ras::RASCONNA* connections, LPDWORD bufferSize, LPDWORD count);
DWORD WINAPI RasHangUpA(ras::HRASCONN connection);
DWORD WINAPI RasSetEntryPropertiesA(LPCSTR phonebook, LPCSTR entryName, ras::RASENTRYA* entry, DWORD entrySize,
    LPBYTE deviceInfo, DWORD deviceInfoSize);
DWORD WINAPI RasSetCredentialsA(
    LPCSTR phonebook, LPCSTR entryName, ras::RASCREDENTIALSA* credentials, BOOL clearCredentials);
DWORD WINAPI RasDialA(ras::RASDIALEXTENSIONS* extensions, LPCSTR phonebook, ras::RASDIALPARAMSA* params,
    DWORD notifierType, LPVOID notifier, ras::HRASCONN* connection);
DWORD WINAPI RasGetErrorStringA(UINT error, LPSTR buffer, DWORD bufferSize);
DWORD WINAPI RasGetConnectStatusA(ras::HRASCONN connection, ras::RASCONNSTATUSA* status);
DWORD WINAPI RasConnectionNotificationA(ras::HRASCONN connection, HANDLE event, DWORD flags);

DWORD WINAPI RasEnumConnectionsW(ras::RASCONNW* connections, LPDWORD bufferSize, LPDWORD count);
DWORD WINAPI RasHangUpW(ras::HRASCONN connection);
DWORD WINAPI RasSetEntryPropertiesW(LPCWSTR phonebook, LPCWSTR entryName, ras::RASENTRYW* entry, DWORD entrySize,
    LPBYTE deviceInfo, DWORD deviceInfoSize);
DWORD WINAPI RasSetCredentialsW(
    LPCWSTR phonebook, LPCWSTR entryName, ras::RASCREDENTIALSW* credentials, BOOL clearCredentials);
DWORD WINAPI RasDialW(ras::RASDIALEXTENSIONS* extensions, LPCWSTR phonebook, ras::RASDIALPARAMSW* params,
    DWORD notifierType, LPVOID notifier, ras::HRASCONN* connection);
DWORD WINAPI RasGetErrorStringW(UINT error, LPWSTR buffer, DWORD bufferSize);
DWORD WINAPI RasGetConnectStatusW(ras::HRASCONN connection, ras::RASCONNSTATUSW* status);
DWORD WINAPI RasConnectionNotificationW(ras::HRASCONN connection, HANDLE event, DWORD flags);

// No texts: one name for both widths.
DWORD WINAPI RasGetConnectionStatistics(ras::HRASCONN connection, ras::RAS_STATS* statistics);

} // extern "C"

namespace ras {

// RasDialW takes its notifier as LPVOID, whatever its type: the notifier passes through here
// with its exact type, so a callback without WINAPI fails to compile in the 32-bit build
// instead of corrupting the stack there (x64 has one calling convention and would not notice).
inline LPVOID AsNotifier(RASDIALFUNC notifier) { return reinterpret_cast<LPVOID>(notifier); }
inline LPVOID AsNotifier(RASDIALFUNC1 notifier) { return reinterpret_cast<LPVOID>(notifier); }

} // namespace ras
