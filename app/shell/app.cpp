#include "app/shell/app.h"

#include "platform/thread.h"

namespace {
std::unique_ptr<App> instance;

constexpr DWORD kWorkerGraceMs = 8000;

bool WorkersRunning() { return platform::LiveThreadCount() > 0 || instance->threadPool.PendingCount() > 0; }
} // namespace

App& app() { return *instance; }

void CreateApp() { instance = std::make_unique<App>(); }

void ReleaseApp()
{
    if (!instance) {
        return;
    }
    // Probes, fetches and reports may still be using the objects: give them a moment,
    // and if one is still busy, leave the memory to the process's end rather than free it under it.
    const DWORD start = ::GetTickCount();
    while (WorkersRunning() && ::GetTickCount() - start < kWorkerGraceMs) {
        ::Sleep(20);
    }
    if (WorkersRunning()) {
        static_cast<void>(instance.release()); // deliberately not freed
        return;
    }
    instance.reset();
}
