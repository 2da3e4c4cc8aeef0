#include "ui/thread_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <stop_token>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Holds posted calls until the test lets them go.
class Gate {
public:
    void Wait()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        opened_.wait(lock, [this] { return open_; });
    }
    void Open()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            open_ = true;
        }
        opened_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ = false;
};

template <typename Predicate> bool WaitUntil(Predicate done, std::chrono::milliseconds limit = 10s)
{
    const auto deadline = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

TEST(ThreadPool, OneWorkerRunsCallsInPostingOrder)
{
    WTThreadPool pool;
    ASSERT_TRUE(pool.Start(1, 1));
    auto order = std::make_shared<std::vector<int>>();
    auto orderLock = std::make_shared<std::mutex>();
    for (int i = 0; i < 30; ++i) {
        ASSERT_TRUE(pool.Post([order, orderLock, i] {
            std::lock_guard<std::mutex> lock(*orderLock);
            order->push_back(i);
        }));
    }
    ASSERT_TRUE(WaitUntil([&] { return pool.PendingCount() == 0; }));
    std::lock_guard<std::mutex> lock(*orderLock);
    ASSERT_EQ(order->size(), 30u);
    for (int i = 0; i < 30; ++i) {
        EXPECT_EQ((*order)[i], i);
    }
}

TEST(ThreadPool, FiveWorkersRunAtMostFiveCallsAtOnce)
{
    WTThreadPool pool;
    ASSERT_TRUE(pool.Start(5, 10));
    auto gate = std::make_shared<Gate>();
    auto running = std::make_shared<std::atomic<int>>(0);
    auto most = std::make_shared<std::atomic<int>>(0);
    auto finished = std::make_shared<std::atomic<int>>(0);
    for (int i = 0; i < 8; ++i) {
        ASSERT_TRUE(pool.Post([gate, running, most, finished] {
            const int now = ++*running;
            int seen = most->load();
            while (now > seen && !most->compare_exchange_weak(seen, now)) { }
            gate->Wait();
            --*running;
            ++*finished;
        }));
    }
    ASSERT_TRUE(WaitUntil([&] { return pool.BusyCount() == 5; }));
    std::this_thread::sleep_for(100ms); // ten pauses: time enough for a sixth worker to show
    EXPECT_EQ(pool.BusyCount(), 5);
    EXPECT_EQ(pool.QueueLength(), 3);
    EXPECT_EQ(running->load(), 5);
    gate->Open();
    ASSERT_TRUE(WaitUntil([&] { return pool.PendingCount() == 0; }));
    EXPECT_EQ(finished->load(), 8);
    EXPECT_EQ(most->load(), 5);
}

TEST(ThreadPool, PendingIsNeverZeroWhileAPostedCallIsUnfinished)
{
    WTThreadPool pool;
    ASSERT_TRUE(pool.Start(5, 1));
    auto finished = std::make_shared<std::atomic<int>>(0);
    // One call per round, watched from this thread as the speed-test watcher does: the
    // moment the pool reports nothing pending, the call must have returned.
    for (int round = 1; round <= 200; ++round) {
        ASSERT_TRUE(pool.Post([finished] { ++*finished; }));
        bool idle = false;
        const auto deadline = Clock::now() + 10s;
        while (!idle && Clock::now() < deadline) {
            idle = pool.PendingCount() == 0;
            if (!idle && pool.QueueLength() == 0 && pool.BusyCount() == 0) { // queue first, then busy
                idle = true;
            }
        }
        ASSERT_TRUE(idle);
        ASSERT_EQ(finished->load(), round);
    }
}

TEST(ThreadPool, WorkerPausesAfterEachCall)
{
    WTThreadPool pool;
    ASSERT_TRUE(pool.Start(1, 50));
    auto starts = std::make_shared<std::vector<Clock::time_point>>();
    auto lock = std::make_shared<std::mutex>();
    for (int i = 0; i < 3; ++i) {
        pool.Post([starts, lock] {
            std::lock_guard<std::mutex> guard(*lock);
            starts->push_back(Clock::now());
        });
    }
    ASSERT_TRUE(WaitUntil([&] { return pool.PendingCount() == 0; }));
    std::lock_guard<std::mutex> guard(*lock);
    ASSERT_EQ(starts->size(), 3u);
    EXPECT_GE((*starts)[2] - (*starts)[0], 100ms);
}

TEST(ThreadPool, PostedCallRunsAtOnceOnAnIdlePool)
{
    WTThreadPool pool;
    ASSERT_TRUE(pool.Start(2, 1, 60000)); // idle workers stay longer than any test waits
    auto ran = std::make_shared<std::atomic<int>>(0);
    ASSERT_TRUE(pool.Post([ran] { ++*ran; }));
    ASSERT_TRUE(WaitUntil([&] { return ran->load() == 1; }));
    std::this_thread::sleep_for(20ms); // its worker waits for a call by now
    ASSERT_TRUE(pool.Post([ran] { ++*ran; }));
    EXPECT_TRUE(WaitUntil([&] { return ran->load() == 2; }, 5s));
    EXPECT_EQ(pool.LiveWorkerCount(), 1); // the waiting worker was woken, not a second one started
}

TEST(ThreadPool, StopEndsWaitingWorkersAtOnce)
{
    WTThreadPool pool;
    for (const int pauseMs : {60000, 1}) { // a worker pausing after its call, then one waiting for a call
        ASSERT_TRUE(pool.Start(1, pauseMs, 60000));
        ASSERT_TRUE(pool.Post([] {}));
        ASSERT_TRUE(WaitUntil([&] { return pool.PendingCount() == 0; }));
        std::this_thread::sleep_for(20ms);
        EXPECT_EQ(pool.LiveWorkerCount(), 1);
        pool.Stop(0);
        EXPECT_TRUE(WaitUntil([&] { return pool.LiveWorkerCount() == 0; }, 5s)) << pauseMs;
    }
}

TEST(ThreadPool, IdleWorkersEndAndTheNextPostStartsOneAgain)
{
    WTThreadPool pool;
    ASSERT_TRUE(pool.Start(2, 1, 50));
    EXPECT_EQ(pool.LiveWorkerCount(), 0); // none before a call needs one
    auto ran = std::make_shared<std::atomic<int>>(0);
    ASSERT_TRUE(pool.Post([ran] { ++*ran; }));
    ASSERT_TRUE(WaitUntil([&] { return ran->load() == 1; }));
    EXPECT_TRUE(WaitUntil([&] { return pool.LiveWorkerCount() == 0; }, 5s));
    ASSERT_TRUE(pool.Post([ran] { ++*ran; }));
    EXPECT_TRUE(WaitUntil([&] { return ran->load() == 2; }, 5s));
}

TEST(ThreadPool, WaitUntilIdleReturnsOnceTheLastCallHasFinished)
{
    WTThreadPool pool;
    ASSERT_TRUE(pool.Start(2, 1));
    auto gate = std::make_shared<Gate>();
    auto finished = std::make_shared<std::atomic<int>>(0);
    for (int i = 0; i < 3; ++i) {
        pool.Post([gate, finished] {
            gate->Wait();
            ++*finished;
        });
    }
    std::atomic<int> seenFinished{-1};
    std::thread waiter([&] {
        if (pool.WaitUntilIdle(std::stop_token())) {
            seenFinished = finished->load();
        }
    });
    gate->Open();
    waiter.join();
    EXPECT_EQ(seenFinished.load(), 3);
}

TEST(ThreadPool, WaitUntilIdleEndsAtOnceOnAStopRequestOrWhenThePoolStops)
{
    WTThreadPool pool;
    ASSERT_TRUE(pool.Start(1, 1));
    auto gate = std::make_shared<Gate>();
    pool.Post([gate] { gate->Wait(); });
    std::stop_source stop;
    std::atomic<int> results{0}; // +1 per waiter that returned false
    std::thread requested([&] { results += pool.WaitUntilIdle(stop.get_token()) ? 100 : 1; });
    std::thread stopped([&] { results += pool.WaitUntilIdle(std::stop_token()) ? 100 : 1; });
    stop.request_stop();
    requested.join();
    EXPECT_EQ(results.load(), 1);
    pool.Stop(0); // the call still runs: stopping, not idleness, ends the wait
    stopped.join();
    EXPECT_EQ(results.load(), 2);
    gate->Open();
}

TEST(ThreadPool, ThrowingCallDoesNotEndItsWorker)
{
    WTThreadPool pool;
    ASSERT_TRUE(pool.Start(1, 1));
    auto ran = std::make_shared<std::atomic<bool>>(false);
    pool.Post([] { throw std::runtime_error("probe failed"); });
    pool.Post([ran] { *ran = true; });
    ASSERT_TRUE(WaitUntil([&] { return pool.PendingCount() == 0; }));
    EXPECT_TRUE(ran->load());
    EXPECT_EQ(pool.BusyCount(), 0);
}

TEST(ThreadPool, StartAndPostRefuseWhatCouldNeverRun)
{
    WTThreadPool pool;
    EXPECT_FALSE(pool.Post([] {})); // not started: nobody would run it
    EXPECT_FALSE(pool.Start(0, 10));
    EXPECT_FALSE(pool.Start(5, -1));
    EXPECT_FALSE(pool.Start(5, 10, -1));
    ASSERT_TRUE(pool.Start(2, 10));
    EXPECT_FALSE(pool.Start(2, 10)); // running already
    EXPECT_FALSE(pool.Post(std::function<void()>()));
    EXPECT_EQ(pool.QueueLength(), 0);
}

TEST(ThreadPool, StopWhileBusyDropsWaitingCallsAndDoesNotWait)
{
    WTThreadPool pool;
    ASSERT_TRUE(pool.Start(1, 10));
    auto gate = std::make_shared<Gate>();
    auto done = std::make_shared<std::atomic<bool>>(false);
    auto droppedRan = std::make_shared<std::atomic<int>>(0);
    pool.Post([gate, done] {
        gate->Wait();
        *done = true;
    });
    ASSERT_TRUE(WaitUntil([&] { return pool.BusyCount() == 1; }));
    for (int i = 0; i < 4; ++i) {
        pool.Post([droppedRan] { ++*droppedRan; });
    }
    const auto before = Clock::now();
    pool.Stop(0);
    EXPECT_LT(Clock::now() - before, 1s);
    EXPECT_FALSE(done->load());
    EXPECT_EQ(pool.QueueLength(), 0);
    EXPECT_EQ(pool.BusyCount(), 1); // still counted until it returns
    EXPECT_FALSE(pool.Post([droppedRan] { ++*droppedRan; }));
    gate->Open();
    ASSERT_TRUE(WaitUntil([&] { return done->load() && pool.BusyCount() == 0; }));
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(droppedRan->load(), 0);
}

TEST(ThreadPool, RestartAfterStopRunsNewCalls)
{
    WTThreadPool pool;
    ASSERT_TRUE(pool.Start(2, 5));
    pool.Stop(0);
    ASSERT_TRUE(pool.Start(2, 5));
    auto ran = std::make_shared<std::atomic<int>>(0);
    for (int i = 0; i < 5; ++i) {
        pool.Post([ran] { ++*ran; });
    }
    ASSERT_TRUE(WaitUntil([&] { return pool.PendingCount() == 0; }));
    EXPECT_EQ(ran->load(), 5);
}

TEST(ThreadPool, DestroyWhileBusyLetsTheRunningCallFinish)
{
    auto pool = std::make_unique<WTThreadPool>();
    ASSERT_TRUE(pool->Start(3, 10));
    auto gate = std::make_shared<Gate>();
    auto finished = std::make_shared<std::atomic<int>>(0);
    for (int i = 0; i < 6; ++i) {
        pool->Post([gate, finished] {
            gate->Wait();
            ++*finished;
        });
    }
    ASSERT_TRUE(WaitUntil([&] { return pool->BusyCount() == 3; }));
    pool.reset(); // the workers still hold the pool's state
    gate->Open();
    ASSERT_TRUE(WaitUntil([&] { return finished->load() == 3; }));
    std::this_thread::sleep_for(50ms); // workers see the stop and end; nothing else runs
    EXPECT_EQ(finished->load(), 3);
}

} // namespace
