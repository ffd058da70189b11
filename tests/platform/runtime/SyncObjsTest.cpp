#include "platform/runtime/SyncObjs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <vector>

#include "ThreadTestSupport.h"

namespace {

// A wait on a thread of its own; Result stays -1 until it ends.
class TWaiter {
public:
    explicit TWaiter(std::function<TWaitResult()> wait)
        : FThread([this, wait](TFunctionThread&) { Result = wait(); }) {
        FThread.Resume();
    }
    bool Ended() const { return Result.load() >= 0; }
    std::atomic<int> Result{-1};

private:
    TFunctionThread FThread;
};

using TWaiters = std::vector<std::unique_ptr<TWaiter>>;

int Ended(const TWaiters& waiters) {
    int n = 0;
    for (const auto& w : waiters) n += w->Ended();
    return n;
}

// Each kind of object with a timed wait, and what signals it.
struct TWaitable {
    const char* name;
    std::function<TWaitResult(uint32_t timeout)> wait;
    std::function<void()> signal;
};

std::vector<TWaitable> Waitables(TEvent& autoEvent, TEvent& manualEvent, TSemaphore& semaphore) {
    return {
        {"auto-reset event", [&](uint32_t t) { return autoEvent.WaitFor(t); }, [&] { autoEvent.SetEvent(); }},
        {"manual-reset event", [&](uint32_t t) { return manualEvent.WaitFor(t); }, [&] { manualEvent.SetEvent(); }},
        {"semaphore", [&](uint32_t t) { return semaphore.WaitFor(t); }, [&] { semaphore.Release(); }},
    };
}

// ---------------------------------------------------------------- events

TEST(Event, AnAutoResetWaitTakesTheSignalBackAManualResetOneLeavesIt) {
    for (bool manual : {false, true}) {
        SCOPED_TRACE(manual ? "manual reset" : "auto reset");
        TEvent event(manual, false);
        EXPECT_EQ(event.ManualReset(), manual);
        EXPECT_EQ(event.WaitFor(0), wrTimeout);
        event.SetEvent();
        event.SetEvent();  // signals do not add up
        EXPECT_EQ(event.WaitFor(0), wrSignaled);
        EXPECT_EQ(event.WaitFor(0), manual ? wrSignaled : wrTimeout);
        event.ResetEvent();
        EXPECT_EQ(event.WaitFor(0), wrTimeout);
    }
    TEvent signaled(false, true);
    EXPECT_EQ(signaled.WaitFor(0), wrSignaled);
    EXPECT_EQ(signaled.WaitFor(0), wrTimeout);
    TSimpleEvent simple;
    EXPECT_TRUE(simple.ManualReset());
    EXPECT_EQ(simple.WaitFor(0), wrTimeout);
}

TEST(Event, ASignalReleasesOneWaiterOfAnAutoResetEventAndEveryWaiterOfAManualOne) {
    for (bool manual : {false, true}) {
        SCOPED_TRACE(manual ? "manual reset" : "auto reset");
        TEvent event(manual, false);
        TWaiters waiters;
        for (int i = 0; i < 3; ++i) waiters.push_back(std::make_unique<TWaiter>([&] { return event.WaitFor(); }));
        auto ended = [&] { return Ended(waiters); };
        RealSleep(10);
        EXPECT_EQ(ended(), 0);
        event.SetEvent();
        if (manual) {
            EXPECT_TRUE(WaitUntil([&] { return ended() == 3; }));
            continue;
        }
        for (int n = 1; n <= 3; ++n) {
            ASSERT_TRUE(WaitUntil([&] { return ended() == n; }));
            RealSleep(10);
            EXPECT_EQ(ended(), n);
            if (n < 3) event.SetEvent();
        }
    }
}

// ---------------------------------------------------------------- semaphore

TEST(Semaphore, CountsWithinItsLimits) {
    TSemaphore semaphore(2, 3);
    EXPECT_EQ(semaphore.Count(), 2);
    EXPECT_EQ(semaphore.WaitFor(0), wrSignaled);
    EXPECT_EQ(semaphore.WaitFor(0), wrSignaled);
    EXPECT_EQ(semaphore.WaitFor(0), wrTimeout);
    EXPECT_EQ(semaphore.Release(), 0);
    EXPECT_EQ(semaphore.Release(2), 1);
    EXPECT_EQ(semaphore.Count(), 3);
    for (int32_t count : {1, 0, -1}) {
        SCOPED_TRACE(count);
        try {
            semaphore.Release(count);
            FAIL();
        } catch (const ESyncObjectException& e) {
            EXPECT_EQ(e.Message(), SyncObjsConst::SSemaphoreOverflow);
        }
        EXPECT_EQ(semaphore.Count(), 3);
    }
    TSemaphore wide(0, 0x7FFFFFFF);
    EXPECT_EQ(wide.Release(0x7FFFFFFF), 0);
    EXPECT_THROW(wide.Release(), ESyncObjectException);

    struct Bad {
        int32_t initial, maximum;
    };
    for (Bad bad : {Bad{-1, 1}, Bad{2, 1}, Bad{0, 0}}) {
        SCOPED_TRACE(bad.initial);
        try {
            TSemaphore s(bad.initial, bad.maximum);
            FAIL();
        } catch (const ESyncObjectException& e) {
            EXPECT_EQ(e.Message(), FmtMsg(SyncObjsConst::SSemaphoreCounts, bad.initial));
        }
    }
}

TEST(Semaphore, EachCountReleasesOneWaiter) {
    TSemaphore semaphore(0, 10);
    TWaiters waiters;
    for (int i = 0; i < 3; ++i) waiters.push_back(std::make_unique<TWaiter>([&] { return semaphore.WaitFor(); }));
    auto ended = [&] { return Ended(waiters); };
    semaphore.Release(2);
    ASSERT_TRUE(WaitUntil([&] { return ended() == 2; }));
    RealSleep(10);
    EXPECT_EQ(ended(), 2);
    EXPECT_EQ(semaphore.Count(), 0);
    semaphore.Release();
    EXPECT_TRUE(WaitUntil([&] { return ended() == 3; }));
}

// ---------------------------------------------------------------- clocks

TEST(RealClock, TimedWaitsLastTheirTime) {
    TEvent event(false, false);
    TSemaphore semaphore(0, 1);
    uint32_t start = timeGetTime();
    EXPECT_EQ(event.WaitFor(30), wrTimeout);
    uint32_t afterEvent = timeGetTime();
    EXPECT_GE(afterEvent - start, 29u);
    EXPECT_EQ(semaphore.WaitFor(20), wrTimeout);
    EXPECT_GE(timeGetTime() - afterEvent, 19u);
    start = timeGetTime();
    Sleep(0);
    Sleep(5);
    EXPECT_GE(timeGetTime() - start, 4u);
}

TEST(ManualClock, ATimedWaitEndsWhenTheClockHasMovedItsTimeout) {
    TEvent autoEvent(false, false), manualEvent(true, false);
    TSemaphore semaphore(0, 5);
    for (const TWaitable& w : Waitables(autoEvent, manualEvent, semaphore)) {
        SCOPED_TRACE(w.name);
        TManualClock clock(1000);
        EXPECT_EQ(timeGetTime(), 1000u);
        TWaiter waiter([&] { return w.wait(100); });
        ASSERT_TRUE(WaitUntil([&] { return clock.Waiters() == 1; }));
        uint32_t deadline = 0;
        EXPECT_TRUE(clock.NextDeadline(deadline));
        EXPECT_EQ(deadline, 1100u);
        clock.Advance(99);
        RealSleep(10);
        EXPECT_FALSE(waiter.Ended());
        clock.Advance(1);
        ASSERT_TRUE(WaitUntil([&] { return waiter.Ended(); }));
        EXPECT_EQ(waiter.Result.load(), wrTimeout);
        EXPECT_EQ(timeGetTime(), 1100u);
        EXPECT_TRUE(WaitUntil([&] { return clock.Waiters() == 0; }));
        EXPECT_FALSE(clock.NextDeadline(deadline));
    }
}

TEST(ManualClock, ASignalEndsATimedWaitBeforeItsTime) {
    TEvent autoEvent(false, false), manualEvent(true, false);
    TSemaphore semaphore(0, 5);
    for (const TWaitable& w : Waitables(autoEvent, manualEvent, semaphore)) {
        SCOPED_TRACE(w.name);
        TManualClock clock(0);
        TWaiter waiter([&] { return w.wait(5000); });
        ASSERT_TRUE(WaitUntil([&] { return clock.Waiters() == 1; }));
        clock.Advance(4999);
        w.signal();
        ASSERT_TRUE(WaitUntil([&] { return waiter.Ended(); }));
        EXPECT_EQ(waiter.Result.load(), wrSignaled);
        EXPECT_EQ(clock.Now(), 4999u);
    }
}

TEST(ManualClock, TimesWrapAfter32Bits) {
    TManualClock clock(0xFFFFFFC0u);
    TEvent event(false, false);
    TWaiter waiter([&] { return event.WaitFor(100); });
    ASSERT_TRUE(WaitUntil([&] { return clock.Waiters() == 1; }));
    uint32_t deadline = 0;
    clock.NextDeadline(deadline);
    EXPECT_EQ(deadline, 0x24u);
    clock.Advance(0x40);
    EXPECT_EQ(timeGetTime(), 0u);
    RealSleep(10);
    EXPECT_FALSE(waiter.Ended());
    EXPECT_TRUE(clock.AdvanceToNextDeadline());
    ASSERT_TRUE(WaitUntil([&] { return waiter.Ended(); }));
    EXPECT_EQ(waiter.Result.load(), wrTimeout);
    EXPECT_EQ(timeGetTime(), 0x24u);
}

TEST(ManualClock, SleepMovesItOnTheMainThreadAndWaitsForItElsewhere) {
    TManualClock clock(0);
    Sleep(250);
    Sleep(0);
    EXPECT_EQ(timeGetTime(), 250u);
    EXPECT_FALSE(clock.AdvanceToNextDeadline());

    std::atomic<bool> slept{false};
    TFunctionThread thread([&](TFunctionThread&) {
        Sleep(50);
        slept = true;
    });
    thread.Resume();
    ASSERT_TRUE(WaitUntil([&] { return clock.Waiters() == 1; }));
    RealSleep(10);
    EXPECT_FALSE(slept);
    EXPECT_TRUE(clock.AdvanceToNextDeadline());
    thread.WaitFor();
    EXPECT_TRUE(slept);
    EXPECT_EQ(clock.Now(), 300u);
}

TEST(ManualClock, InfiniteWaitsDoNotRunOnIt) {
    TManualClock clock(0);
    TEvent event(false, false);
    TWaiter waiter([&] { return event.WaitFor(INFINITE); });
    RealSleep(10);
    EXPECT_EQ(clock.Waiters(), 0);
    clock.Advance(0x7FFFFFFF);
    RealSleep(10);
    EXPECT_FALSE(waiter.Ended());
    event.SetEvent();
    ASSERT_TRUE(WaitUntil([&] { return waiter.Ended(); }));
    EXPECT_EQ(waiter.Result.load(), wrSignaled);
}

TEST(ManualClock, OneAtATimeAndItsEndBringsTheRealClockBack) {
    auto clock = std::make_unique<TManualClock>(5);
    try {
        TManualClock second;
        FAIL();
    } catch (const ESyncObjectException& e) {
        EXPECT_EQ(e.Message(), SyncObjsConst::SClockInstalled);
    }
    EXPECT_EQ(timeGetTime(), 5u);
    // A wait that outlives the clock goes on in real time.
    TEvent event(false, false);
    TWaiter waiter([&] { return event.WaitFor(40); });
    ASSERT_TRUE(WaitUntil([&] { return clock->Waiters() == 1; }));
    clock.reset();
    ASSERT_TRUE(WaitUntil([&] { return waiter.Ended(); }, 1000));
    EXPECT_EQ(waiter.Result.load(), wrTimeout);
    uint32_t start = timeGetTime();
    RealSleep(5);
    EXPECT_GE(timeGetTime() - start, 4u);
}

// ---------------------------------------------------------------- critical section

TEST(CriticalSection, ReentrantForItsHolderClosedToOthers) {
    TCriticalSection section;
    section.Enter();
    EXPECT_TRUE(section.TryEnter());
    std::atomic<int> other{-1};
    auto tryFromAnotherThread = [&] {
        TFunctionThread thread([&](TFunctionThread&) {
            other = section.TryEnter();
            if (other) section.Leave();
        });
        thread.Resume();
        thread.WaitFor();
        return other.load();
    };
    EXPECT_EQ(tryFromAnotherThread(), 0);
    section.Leave();
    EXPECT_EQ(tryFromAnotherThread(), 0);
    section.Leave();
    EXPECT_EQ(tryFromAnotherThread(), 1);
    std::lock_guard<TCriticalSection> guard(section);
}

}  // namespace
