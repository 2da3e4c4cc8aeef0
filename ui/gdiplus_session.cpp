#include "ui/gdiplus_session.h"

#include "platform/win.h"
#include <gdiplus.h>

#include "platform/system_dll.h"

bool StartGdiplus()
{
    static ULONG_PTR token = 0;
    if (token) {
        return true;
    }
    // GDI+ loads its image codecs by bare name at its first picture. Taken from System32 here, so a
    // planted one beside the exe is never found: Wine resolves a system DLL's delay-loaded imports
    // with the exe's folder first, whatever the process's default DLL directories say.
    platform::LoadSystemDll(L"windowscodecs.dll");
    Gdiplus::GdiplusStartupInput input; // version 1, no debug callback
    return Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
}
