// Windows, drawn elements and menus belong to the thread that made them. In builds with
// SORVIK_TEST_BUILD (the Windows test build) their setters call these checks: a call
// from another thread is counted, and written to the log file when one is set. Elsewhere
// the checks cost nothing.
#pragma once

#include "platform/win.h"

#include <string>

namespace ui_thread {

#ifdef SORVIK_TEST_BUILD
void CheckOwner(DWORD owner, const char* what);
#else
inline void CheckOwner(DWORD, const char*) { }
#endif

// Checks that the caller runs on the thread of `hwnd` (no window, no check).
inline void CheckWindow(HWND hwnd, const char* what)
{
#ifdef SORVIK_TEST_BUILD
    if (hwnd) {
        CheckOwner(::GetWindowThreadProcessId(hwnd, nullptr), what);
    }
#else
    (void)hwnd;
    (void)what;
#endif
}

// The count so far, reset to 0.
int TakeViolations();
// Each violation also appends a line to this file (empty: none).
void SetViolationLog(const std::wstring& path);

} // namespace ui_thread
