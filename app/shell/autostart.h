// Starting with Windows: the program's value under the user's Run key, and the tray item that
// writes or removes it. UI thread.
#pragma once

inline constexpr wchar_t kRunKeyPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// The installer's uninstaller removes the value by this same name.
inline constexpr wchar_t kRunValueName[] = L"Sorvik加速器";

// True when the value exists and starts this very exe.
bool StartsWithWindows();
// Writes the value for this exe, or removes it; false when the registry refused.
bool SetStartWithWindows(bool on);

// The tray item: ticked as the registry is, and a click turns it over.
void ShowStartWithWindowsTick();
void ToggleStartWithWindows();

// Whether this process was started with the tray switch (parsed from its command line).
bool StartedInTray();
