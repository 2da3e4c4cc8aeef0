// What a thread, pool or window entry does when an allocation failed under it: the handler the
// program set (its "内存不足" box, then the end of the process). Portable: the worker pool uses it.
#pragma once

namespace platform {

using OutOfMemoryHandler = void (*)();

// Set once at start-up; tests may set a recording one (nullptr: none).
void SetOutOfMemoryHandler(OutOfMemoryHandler handler);
// Calls the handler; returns only when there is none or it returns.
void OutOfMemory();

} // namespace platform
