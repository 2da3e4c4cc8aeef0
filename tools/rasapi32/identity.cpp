// Lets a test tell this stand-in from the system's rasapi32.dll.
#include "platform/win.h"

extern "C" const char* WINAPI SorvikRasStandIn() { return "Sorvik RAS stand-in"; }
