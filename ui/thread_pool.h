// Up to a fixed number of worker threads that run posted calls first in, first out. Each worker
// takes one call at a time and pauses after each call; an idle worker sleeps until a call is
// posted or the pool stops, so a pool with nothing to do costs no time. Workers start when calls
// need them and end after a spell of idleness, so it holds no thread stacks either (about 1 MB
// of memory each under Wine).
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>

class WTThreadPool {
public:
    WTThreadPool();
    // Stops the pool without waiting: a call still running finishes on its worker.
    ~WTThreadPool();
    WTThreadPool(const WTThreadPool&) = delete;
    WTThreadPool& operator=(const WTThreadPool&) = delete;

    static constexpr int kIdleLimitMs = 1000;

    // Lets up to `threadCount` workers run calls; each pauses `pauseMs` after a call, the longest a
    // queued call waits for a worker that has become free, and ends when idle for `idleLimitMs`.
    // False when the pool is running already or the arguments are not positive and non-negative.
    bool Start(int threadCount, int pauseMs, int idleLimitMs = kIdleLimitMs);

    // Queues `call` and wakes an idle worker for it, or starts one when none is idle and fewer
    // than the pool's count run; its arguments are whatever it captured, so capture by value.
    // False (and nothing queued) when the pool is not running, `call` is empty, or no worker
    // exists and none could be started.
    bool Post(std::function<void()> call);

    // Workers take no further call and end after their current one; waiting calls are
    // dropped. Sleeps `waitMs` and returns; it never waits for a running call.
    void Stop(int waitMs = 0);

    // Blocks without polling until every posted call has finished (true), or until `stop` is
    // requested or the pool stops or restarts (false, at once).
    bool WaitUntilIdle(std::stop_token stop) const;

    // Calls running now. A call counts from the moment a worker takes it until it returns.
    int BusyCount() const;
    // Calls waiting in the queue.
    int QueueLength() const;
    // Waiting + running, read in one locked step: 0 only when every posted call has finished.
    // (Reading the two counts one after the other races with a worker taking a call between
    // the reads unless the queue is read first.)
    int PendingCount() const;
    // Workers whose loop has not ended yet, of this start or an earlier one.
    int LiveWorkerCount() const;

private:
    // Shared with the workers, which keep it alive until the last of them ends.
    struct State {
        std::mutex lock; // guards everything below
        std::condition_variable posted; // a call was queued, or the pool stopped
        std::condition_variable stopped; // ends a worker's pause early
        mutable std::condition_variable_any idle; // the last pending call finished, or the pool stopped
        std::deque<std::function<void()>> queue;
        int busy = 0;
        int liveWorkers = 0; // of every start; a stopped start's busy workers end after their call
        int workers = 0; // of this start
        int idleWorkers = 0; // of this start, waiting for a call
        int maxWorkers = 0;
        int idleLimitMs = 0;
        bool running = false;
        std::uint64_t generation = 0; // a worker of an earlier Start ends instead of joining a restart
        int pauseMs = 0;
    };

    static void WorkerLoop(const std::shared_ptr<State>& state, std::uint64_t generation) noexcept;

    const std::shared_ptr<State> state_;
};
