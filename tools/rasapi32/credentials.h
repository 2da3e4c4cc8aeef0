// Credentials stored with an entry. They are kept beside the phonebook in PHONEBOOK.cred,
// obfuscated, never in clear in the phonebook itself.
#pragma once

#include "platform/win.h"

#include "platform/ras_api.h"

// Not called by the program; lets tests (and any other process) read back what was stored.
extern "C" DWORD WINAPI RasGetCredentialsA(LPCSTR phonebook, LPCSTR entryName, ras::RASCREDENTIALSA* credentials);
extern "C" DWORD WINAPI RasGetCredentialsW(LPCWSTR phonebook, LPCWSTR entryName, ras::RASCREDENTIALSW* credentials);
