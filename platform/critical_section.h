// A critical section with scoped locking; `listLock` is one of these.
#pragma once

#include "platform/win.h"

namespace platform {

class CriticalSection {
public:
    CriticalSection() noexcept { ::InitializeCriticalSection(&cs_); }
    ~CriticalSection() { ::DeleteCriticalSection(&cs_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void lock() { ::EnterCriticalSection(&cs_); }
    void unlock() { ::LeaveCriticalSection(&cs_); }

private:
    CRITICAL_SECTION cs_{};
};

} // namespace platform
