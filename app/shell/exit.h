// Every way out ends as WM_CLOSE to the main window; this decides what happens then.
#pragma once

// The main window's close query: true keeps the window.
bool OnMainWindowCloseQuery();
// The download button: open the download page and end without asking.
void DownloadAndQuit();
