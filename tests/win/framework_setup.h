// The framework set-up that start-up does for the real exe, for programs that build its windows
// in-process (the Windows test program and the soak benchmark).
#pragma once

#include "platform/win.h"

#include "platform/system_dll.h"
#include "ui/atl_host.h"
#include "ui/gdiplus_session.h"
#include "ui/window.h"

inline void PrepareFrameworkLikeStartUp()
{
    platform::LimitDllSearchToSystem32();
    // Loaded now (the program delay-loads it at its first RAS call): tests reach the stand-in's
    // own functions through GetModuleHandle.
    platform::LoadSystemDll(L"rasapi32.dll");
    WTWindow::SetModuleInstance(::GetModuleHandleW(nullptr));
    WTWindow::ResetControlIds(500);
    AtlHostInit();
    StartGdiplus();
    WSADATA wsa;
    ::WSAStartup(0x0002, &wsa);
}
