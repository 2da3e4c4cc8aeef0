// Program start: process objects, single instance, main window, message loop.
#pragma once

#include "platform/win.h"

#include "ui/window.h"

inline constexpr wchar_t kInstanceEventName[] = L"SorVikZevIzAv";
inline constexpr wchar_t kMainWindowTitle[] = L"Sorvik加速器";
inline constexpr wchar_t kMainWindowClass[] = L"Sorvik";
inline constexpr int kMainWindowWidth = 800;
inline constexpr int kMainWindowHeight = 600;

// The main window: hidden at the centre of the screen, built by its creation handler.
WTWindow::CreateOptions MainWindowOptions();

// Runs the program; returns its exit code.
int RunSorvik();

// Takes the single-instance event; false when another copy holds it.
bool TakeSingleInstance();

// Pumps messages until `window` is gone, whether or not WM_QUIT arrives.
void RunMessageLoop(HWND window);
