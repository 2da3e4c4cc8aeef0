// Short-lived worker threads. No exception leaves a thread entry: a body that
// throws ends its thread quietly, as every failure here is a result, not a crash.
#pragma once

#include <functional>

#include "platform/handles.h"

namespace platform {

// Starts `body` on a new thread and returns its handle (empty on failure).
UniqueHandle StartThread(std::function<void()> body);

// Starts `body` on a new thread that nobody waits for.
bool StartDetachedThread(std::function<void()> body);

// Threads started here that have not ended yet; the process waits for them before
// it frees the objects they use.
int LiveThreadCount();

} // namespace platform
