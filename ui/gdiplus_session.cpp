#include "ui/gdiplus_session.h"

#include "platform/win.h"
#include <gdiplus.h>

bool StartGdiplus()
{
    static ULONG_PTR token = 0;
    if (token) {
        return true;
    }
    Gdiplus::GdiplusStartupInput input; // version 1, no debug callback
    return Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
}
