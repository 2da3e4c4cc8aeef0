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

bool WTThreadPool::Start(int threadCount, int pauseMs)
{
    if (threadCount <= 0 || pauseMs < 0) {
        return false;
    }
    std::uint64_t generation = 0;
    {
        std::lock_guard<std::mutex> guard(state_->lock);
        if (state_->running) {
            return false;
        }
        state_->running = true;
        state_->pauseMs = pauseMs;
        generation = ++state_->generation;
    }
    int started = 0;
    for (int i = 0; i < threadCount; ++i) {
        {
            std::lock_guard<std::mutex> guard(state_->lock);
            ++state_->liveWorkers; // before the thread exists, so it is never seen ended before counted
        }
        try {
            std::thread(&WTThreadPool::WorkerLoop, state_, generation).detach();
            ++started;
        } catch (...) {
            std::lock_guard<std::mutex> guard(state_->lock);
            --state_->liveWorkers;
            break; // out of threads: run with the workers we have
        }
    }
    if (started == 0) {
        std::lock_guard<std::mutex> guard(state_->lock);
        state_->running = false;
        return false;
    }
    return true;
}

bool WTThreadPool::Post(std::function<void()> call)
{
    if (!call) {
        return false;
    }
    {
        std::lock_guard<std::mutex> guard(state_->lock);
        if (!state_->running) {
            return false; // nobody would ever run it, and a waiter would wait for it forever
        }
        state_->queue.push_back(std::move(call));
    }
    state_->posted.notify_one();
    return true;
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
    const bool woken = s.idle.wait(guard, stop, [&] { return ended() || (s.queue.empty() && s.busy == 0); });
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
        s.posted.wait(guard, [&] { return ended() || !s.queue.empty(); });
        if (ended()) {
            break;
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
}
