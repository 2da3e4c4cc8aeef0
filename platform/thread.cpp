#include "platform/thread.h"

#include <atomic>
#include <memory>
#include <new>

#include "platform/out_of_memory.h"

namespace platform {
namespace {

std::atomic<int> liveThreads{0};

DWORD WINAPI ThreadEntry(void* param)
{
    std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(param));
    try {
        (*body)();
    } catch (const std::bad_alloc&) {
        OutOfMemory();
    } catch (...) {
        // Nothing sensible to report from a worker; the caller sees the missing result.
    }
    body.reset();
    --liveThreads;
    return 0;
}

} // namespace

UniqueHandle StartThread(std::function<void()> body)
{
    auto* heapBody = new (std::nothrow) std::function<void()>(std::move(body));
    if (!heapBody) {
        return UniqueHandle();
    }
    ++liveThreads;
    HANDLE h = ::CreateThread(nullptr, 0, ThreadEntry, heapBody, 0, nullptr);
    if (!h) {
        --liveThreads;
        delete heapBody;
    }
    return UniqueHandle(h);
}

int LiveThreadCount() { return liveThreads.load(); }

bool StartDetachedThread(std::function<void()> body) { return static_cast<bool>(StartThread(std::move(body))); }

} // namespace platform
