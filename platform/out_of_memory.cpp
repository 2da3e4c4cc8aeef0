#include "platform/out_of_memory.h"

#include <atomic>

namespace platform {

namespace {
std::atomic<OutOfMemoryHandler> handler{nullptr};
} // namespace

void SetOutOfMemoryHandler(OutOfMemoryHandler newHandler) { handler = newHandler; }

void OutOfMemory()
{
    if (const OutOfMemoryHandler current = handler.load()) {
        current();
    }
}

} // namespace platform
