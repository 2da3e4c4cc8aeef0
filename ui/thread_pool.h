// A fixed set of worker threads that run posted calls first in, first out. Each worker takes
// one call at a time and pauses after every look at the queue.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

class WTThreadPool {
public:
    WTThreadPool();
    // Stops the pool without waiting: a call still running finishes on its worker.
    ~WTThreadPool();
    WTThreadPool(const WTThreadPool&) = delete;
    WTThreadPool& operator=(const WTThreadPool&) = delete;

    // Starts `threadCount` workers that pause `pauseMs` after each look at the queue. False
    // when the pool is running already, the arguments are not positive and non-negative, or
    // no worker could be started.
    bool Start(int threadCount, int pauseMs);

    // Queues `call`; its arguments are whatever it captured, so capture by value. False (and
    // nothing queued) when the pool is not running or `call` is empty.
    bool Post(std::function<void()> call);

    // Workers take no further call and end after their current one; waiting calls are
    // dropped. Sleeps `waitMs` and returns; it never waits for a running call.
    void Stop(int waitMs = 0);

    // Calls running now. A call counts from the moment a worker takes it until it returns.
    int BusyCount() const;
    // Calls waiting in the queue.
    int QueueLength() const;
    // Waiting + running, read in one locked step: 0 only when every posted call has finished.
    // (Reading the two counts one after the other races with a worker taking a call between
    // the reads unless the queue is read first.)
    int PendingCount() const;

private:
    // Shared with the workers, which keep it alive until the last of them ends.
    struct State {
        std::mutex lock; // guards everything below
        std::condition_variable stopSignal;
        std::deque<std::function<void()>> queue;
        int busy = 0;
        bool running = false;
        std::uint64_t generation = 0; // a worker of an earlier Start ends instead of joining a restart
        int pauseMs = 0;
    };

    static void WorkerLoop(const std::shared_ptr<State>& state, std::uint64_t generation) noexcept;

    const std::shared_ptr<State> state_;
};
