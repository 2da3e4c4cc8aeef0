#include "ui/timer.h"

#include <new>
#include <unordered_map>

#include "platform/out_of_memory.h"

namespace {

// Thread timers carry no user pointer, only their id; ids are per thread, so
// each thread keeps its own table (in practice only the UI thread has one). Never
// destroyed: the timers of the process objects stop at exit, after the thread's own
// objects are gone.
std::unordered_map<UINT_PTR, WTTimer*>& Timers()
{
    thread_local auto* timers = new std::unordered_map<UINT_PTR, WTTimer*>;
    return *timers;
}

} // namespace

WTTimer::~WTTimer() { Stop(); }

bool WTTimer::Start(int intervalMs, std::function<void()> callback)
{
    if (id_) {
        return false;
    }
    callback_ = std::move(callback);
    return Arm(intervalMs);
}

bool WTTimer::Stop()
{
    if (!id_) {
        interval_ = 0;
        return false;
    }
    const bool killed = ::KillTimer(nullptr, id_) != FALSE;
    Timers().erase(id_);
    id_ = 0;
    interval_ = 0;
    return killed;
}

bool WTTimer::SetInterval(int intervalMs)
{
    if (intervalMs <= 0) {
        Stop();
        return true;
    }
    return Arm(intervalMs);
}

bool WTTimer::Arm(int intervalMs)
{
    if (intervalMs <= 0) {
        return false;
    }
    // With the id of a running thread timer SetTimer replaces it; with 0 it makes a new one.
    const UINT_PTR id = ::SetTimer(nullptr, id_, static_cast<UINT>(intervalMs), &WTTimer::Fire);
    if (!id) {
        return false;
    }
    if (id_ && id != id_) {
        ::KillTimer(nullptr, id_);
        Timers().erase(id_);
    }
    id_ = id;
    interval_ = intervalMs;
    Timers()[id] = this;
    return true;
}

void CALLBACK WTTimer::Fire(HWND, UINT, UINT_PTR id, DWORD)
{
    auto it = Timers().find(id);
    if (it == Timers().end()) {
        return;
    }
    // A copy: the callback may stop, restart or re-point this very timer.
    std::function<void()> callback = it->second->callback_;
    if (!callback) {
        return;
    }
    try {
        callback();
    } catch (const std::bad_alloc&) {
        platform::OutOfMemory();
    } catch (...) {
        // Nothing may unwind into the system's dispatch.
    }
}
