// The browser control's per-program feature switches, set for this exe under HKCU before the
// pop-up creates its control (the control reads them once per process).
#pragma once

#include <string>

inline constexpr wchar_t kFeatureControlKey[] = L"Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl";
// IE11 edge mode whatever the page declares: a page without a doctype cannot fall back to quirks
// or an older document mode, where VBScript and CSS expressions still run.
inline constexpr unsigned long kBrowserEmulationIe11Edge = 11001;

// The exe's own file name ("Sorvik.exe"), the value name the switches are kept under.
std::wstring ProgramFileName();

// IE11 document mode, no file downloads, the control's pop-up blocker. False when a value could
// not be written; the pop-up works on either way.
bool LockDownBrowserFeatures();
