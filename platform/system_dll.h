// Loading the system's DLLs from System32 only. Windows looks for a DLL that is no KnownDLL in the
// program's folder first, and players unpack the program where anything may lie beside it.
#pragma once

#include "platform/win.h"

namespace platform {

// The program's first act: every later search of the process (LoadLibrary, the imports of DLLs
// loaded later, delay-loaded imports) looks in System32 only. Where the system lacks
// SetDefaultDllDirectories (Windows 7 without KB2533623) only the delay-load hook is set.
void LimitDllSearchToSystem32();

// Loads `name` (e.g. L"atl.dll") from System32 only; nullptr when it is not there.
HMODULE LoadSystemDll(const wchar_t* name);

} // namespace platform
