#include "platform/thread.h"

#include <memory>

namespace platform {
namespace {

DWORD WINAPI ThreadEntry(void* param)
{
    std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(param));
    try {
        (*body)();
    } catch (...) {
        // Nothing sensible to report from a worker; the caller sees the missing result.
    }
    return 0;
}

} // namespace

UniqueHandle StartThread(std::function<void()> body)
{
    auto* heapBody = new (std::nothrow) std::function<void()>(std::move(body));
    if (!heapBody) {
        return UniqueHandle();
    }
    HANDLE h = ::CreateThread(nullptr, 0, ThreadEntry, heapBody, 0, nullptr);
    if (!h) {
        delete heapBody;
    }
    return UniqueHandle(h);
}

bool StartDetachedThread(std::function<void()> body) { return static_cast<bool>(StartThread(std::move(body))); }

} // namespace platform
