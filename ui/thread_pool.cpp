#include "ui/thread_pool.h"

#include <chrono>
#include <new>
#include <thread>
#include <utility>

#include "platform/out_of_memory.h"

WTThreadPool::WTThreadPool()
    : state_(std::make_shared<State>())
{
}

WTThreadPool::~WTThreadPool() { Stop(0); }

bool WTThreadPool::Start(int threadCount, int pauseMs, int idleLimitMs)
{
    if (threadCount <= 0 || pauseMs < 0 || idleLimitMs < 0) {
        return false;
    }
    std::lock_guard<std::mutex> guard(state_->lock);
    if (state_->running) {
        return false;
    }
    state_->running = true;
    state_->pauseMs = pauseMs;
    state_->idleLimitMs = idleLimitMs;
    state_->maxWorkers = threadCount;
    state_->workers = 0;
    state_->idleWorkers = 0;
    ++state_->generation;
    return true;
}

bool WTThreadPool::Post(std::function<void()> call)
{
    if (!call) {
        return false;
    }
    State& s = *state_;
    std::unique_lock<std::mutex> guard(s.lock);
    if (!s.running) {
        return false; // nobody would ever run it, and a waiter would wait for it forever
    }
    s.queue.push_back(std::move(call));
    if (s.idleWorkers > 0 || s.workers >= s.maxWorkers) {
        guard.unlock();
        s.posted.notify_one();
        return true;
    }
    // Counted before the thread exists, so it is never seen ended before counted.
    ++s.liveWorkers;
    ++s.workers;
    const std::uint64_t generation = s.generation;
    guard.unlock();
    try {
        std::thread(&WTThreadPool::WorkerLoop, state_, generation).detach();
        return true;
    } catch (...) {
    }
    std::deque<std::function<void()>> dropped;
    guard.lock();
    --s.liveWorkers;
    if (generation != s.generation || --s.workers > 0) {
        return true; // stopped meanwhile (the queue went with it), or a worker we have takes it
    }
    // Out of threads with no worker at all: nothing queued would ever run, as after a stop.
    dropped.swap(s.queue);
    guard.unlock();
    return false;
}

void WTThreadPool::Stop(int waitMs)
{
    std::deque<std::function<void()>> dropped;
    {
        std::lock_guard<std::mutex> guard(state_->lock);
        state_->running = false;
        dropped.swap(state_->queue);
    }
    state_->posted.notify_all();
    state_->stopped.notify_all();
    state_->idle.notify_all();
    dropped.clear(); // outside the lock: a dropped call's captures may do anything when released
    if (waitMs > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
    }
}

bool WTThreadPool::WaitUntilIdle(std::stop_token stop) const
{
    State& s = *state_;
    std::unique_lock<std::mutex> guard(s.lock);
    const std::uint64_t generation = s.generation;
    const auto ended = [&] { return !s.running || s.generation != generation; };
    const bool woken = s.idle.wait(guard, std::move(stop), [&] { return ended() || (s.queue.empty() && s.busy == 0); });
    return woken && !ended();
}

int WTThreadPool::BusyCount() const
{
    std::lock_guard<std::mutex> guard(state_->lock);
    return state_->busy;
}

int WTThreadPool::QueueLength() const
{
    std::lock_guard<std::mutex> guard(state_->lock);
    return static_cast<int>(state_->queue.size());
}

int WTThreadPool::PendingCount() const
{
    std::lock_guard<std::mutex> guard(state_->lock);
    return static_cast<int>(state_->queue.size()) + state_->busy;
}

int WTThreadPool::LiveWorkerCount() const
{
    std::lock_guard<std::mutex> guard(state_->lock);
    return state_->liveWorkers;
}

void WTThreadPool::WorkerLoop(const std::shared_ptr<State>& state, std::uint64_t generation) noexcept
{
    State& s = *state;
    std::unique_lock<std::mutex> guard(s.lock);
    const auto ended = [&] { return !s.running || s.generation != generation; };
    for (;;) {
        ++s.idleWorkers;
        const bool called = s.posted.wait_for(
            guard, std::chrono::milliseconds(s.idleLimitMs), [&] { return ended() || !s.queue.empty(); });
        if (s.generation == generation) {
            --s.idleWorkers; // a restart has counted afresh
        }
        if (ended() || !called) {
            break; // stopped, or idle long enough: the next post starts a worker again
        }
        std::function<void()> call = std::move(s.queue.front());
        s.queue.pop_front();
        ++s.busy; // in the same locked step, so the call is never counted neither waiting nor running
        guard.unlock();
        try {
            call();
        } catch (const std::bad_alloc&) {
            platform::OutOfMemory();
        } catch (...) {
            // A failing call ends itself, not its worker.
        }
        call = nullptr; // release its captures before it stops counting as running
        guard.lock();
        if (--s.busy == 0 && s.queue.empty()) {
            s.idle.notify_all();
        }
        s.stopped.wait_for(guard, std::chrono::milliseconds(s.pauseMs), ended);
    }
    --s.liveWorkers;
    if (s.generation == generation) {
        --s.workers;
    }
}
