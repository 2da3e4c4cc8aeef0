// The one way into the Windows headers: Winsock 2 must come before windows.h.
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
