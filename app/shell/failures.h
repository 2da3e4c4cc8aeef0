// What ends the process when something went badly wrong: an allocation failure at a thread,
// pool or window entry shows the "内存不足" box; any other fault that would end the process
// (an access violation, an exception nothing caught) first writes a minidump beside the
// program, named with the date and time, for the maintainers.
#pragma once

#include "platform/win.h"

// Installs both; the first thing start-up does.
void InstallFailureHandlers();

#ifdef SORVIK_TEST_BUILD
// Test build only: SORVIK_TEST_FAULT=crash or oom in the environment provokes, on a worker
// thread, what these handlers are for.
void ProvokeTestFault();
#endif
