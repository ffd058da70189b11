// Synchronisation objects (events, semaphores, critical sections) and the
// millisecond clock their timed waits run on. No Qt here.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "platform/runtime/Classes.h"
#include "platform/runtime/SysUtils.h"

// A timeout that never ends.
inline constexpr uint32_t INFINITE = 0xFFFFFFFF;

enum TWaitResult { wrSignaled, wrTimeout, wrAbandoned, wrError };

VARSONA_DECLARE_EXCEPTION(ESyncObjectException, Exception)

namespace SyncObjsConst {
inline constexpr const char* SSemaphoreCounts = "Invalid semaphore counts (initial %d)";
inline constexpr const char* SSemaphoreOverflow = "Semaphore released past its maximum count";
inline constexpr const char* SClockInstalled = "A manual clock is already installed";
}  // namespace SyncObjsConst

// ---------------------------------------------------------------- clock

// The multimedia timer: milliseconds since an arbitrary start, unsigned 32
// bits (wraps after 49.7 days; compare times by their difference).
uint32_t timeGetTime();

// A clock for tests that stands still until they move it. While one exists,
// timeGetTime, Sleep and every timed wait of the objects below run on it:
// a timed wait ends when the clock has moved its timeout past the wait's
// start (or at its signal); Sleep on the main thread moves the clock itself
// (so code under test that sleeps on the test's thread runs at once), Sleep
// on another thread waits until the clock has moved that far. Sleep(0) only
// yields. Infinite waits and CheckSynchronize's timeout are not affected.
// One at a time; its end brings the real clock back (waits still running
// then go on for the rest of their time in real milliseconds).
class TManualClock {
public:
    explicit TManualClock(uint32_t start = 0);  // ESyncObjectException when one exists
    ~TManualClock();
    TManualClock(const TManualClock&) = delete;
    TManualClock& operator=(const TManualClock&) = delete;

    uint32_t Now() const;
    // For a test's start: setting it back ends the timed waits running.
    void Set(uint32_t now);
    void Advance(uint32_t milliseconds);
    // Timed waits (and other threads' sleeps) now waiting on the clock.
    int32_t Waiters() const;
    // The time at which the first of them ends; false when none waits.
    bool NextDeadline(uint32_t& deadline) const;
    // Moves the clock to NextDeadline (never backwards); false when none waits.
    bool AdvanceToNextDeadline();
};

// Blocks on cond (lock held) until ready() or until timeout milliseconds
// have passed on the clock; returns ready(). The objects below and the
// threads' own waits are built on it.
bool WaitOnClock(std::unique_lock<std::mutex>& lock, std::condition_variable& cond, uint32_t timeout,
                 const std::function<bool()>& ready);

// ---------------------------------------------------------------- events

// A kernel-style event. A manual-reset event stays signaled until
// ResetEvent and releases every waiter; an auto-reset one releases one
// waiter, and that wait takes the signal back.
class TEvent : public TObject {
public:
    explicit TEvent(bool ManualReset = true, bool InitialState = false);
    void SetEvent();
    void ResetEvent();
    // wrSignaled, or wrTimeout when Timeout milliseconds passed first.
    TWaitResult WaitFor(uint32_t Timeout = INFINITE);
    bool ManualReset() const { return FManualReset; }

private:
    std::mutex FLock;
    std::condition_variable FCond;
    const bool FManualReset;
    bool FSignaled;
};

// A manual-reset event that starts non-signaled.
class TSimpleEvent : public TEvent {
public:
    TSimpleEvent() : TEvent(true, false) {}
};

// ---------------------------------------------------------------- semaphore

// A counting semaphore: a wait takes one from the count, or waits for a
// Release while it is 0.
class TSemaphore : public TObject {
public:
    // ESyncObjectException SSemaphoreCounts unless 0 <= initial <= maximum
    // and maximum >= 1.
    TSemaphore(int32_t InitialCount, int32_t MaximumCount);
    // Adds ReleaseCount (at least 1) and returns the count before; a count
    // that would pass the maximum raises SSemaphoreOverflow and changes
    // nothing.
    int32_t Release(int32_t ReleaseCount = 1);
    TWaitResult WaitFor(uint32_t Timeout = INFINITE);
    int32_t Count();

private:
    std::mutex FLock;
    std::condition_variable FCond;
    int32_t FCount;
    const int32_t FMaximum;
};

// ---------------------------------------------------------------- critical section

// Re-entrant for the thread that holds it. lock/unlock serve std::lock_guard.
class TCriticalSection : public TObject {
public:
    void Acquire() { FLock.lock(); }
    void Release() { FLock.unlock(); }
    void Enter() { FLock.lock(); }
    void Leave() { FLock.unlock(); }
    bool TryEnter() { return FLock.try_lock(); }
    void lock() { FLock.lock(); }
    void unlock() { FLock.unlock(); }
    bool try_lock() { return FLock.try_lock(); }

private:
    std::recursive_mutex FLock;
};
