#include "platform/win.h"

#include "app/shell/startup.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return RunSorvik(); }
