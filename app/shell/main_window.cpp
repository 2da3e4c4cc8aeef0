#include "app/shell/main_window.h"

#include "app/shell/app.h"

void OnMainWindowCreated(HWND)
{
    WTWindow& window = app().mainWindow;
    window.RemoveStyle(WS_MAXIMIZEBOX);
    window.RemoveStyle(WS_THICKFRAME);
    window.RemoveStyle(WS_CAPTION);
    window.Visible(true);
}
