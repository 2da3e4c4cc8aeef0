// The ATL control host, loaded from atl.dll at run time (MinGW has no import library for it).
#pragma once

#include "platform/win.h"
#include <unknwn.h>

// Registers the "AtlAxWin" window class; false when atl.dll is unavailable.
bool AtlHostInit();
// The control hosted by an "AtlAxWin" window (AddRef'd), or null.
IUnknown* AtlHostControl(HWND host);
// Connects / disconnects an event sink to a control's connection point.
HRESULT AtlHostAdvise(IUnknown* control, IUnknown* sink, const IID& iid, DWORD* cookie);
HRESULT AtlHostUnadvise(IUnknown* control, const IID& iid, DWORD cookie);
