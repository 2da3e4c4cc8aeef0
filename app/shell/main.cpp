#include "platform/win.h"

#include "app/shell/startup.h"
#include "platform/system_dll.h"

// The program's first act, before any static constructor: every DLL but kernel32 and msvcrt is
// delay-loaded, so none is loaded yet, and from here on none is looked for beside the exe.
__attribute__((constructor(101))) static void LimitDllSearch() { platform::LimitDllSearchToSystem32(); }

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return RunSorvik(); }
