#include "platform/runtime/SyncObjs.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/runtime/Threads.h"

namespace {

// The manual clock's state lives for the whole process: threads may still
// wait on it while the program ends.
struct TManualState {
    std::mutex Lock;
    std::condition_variable Moved;
    std::vector<uint32_t> Deadlines;
};

TManualState& Manual() {
    static TManualState* state = new TManualState;
    return *state;
}

std::atomic<bool> gManualOn{false};
std::atomic<uint32_t> gManualNow{0};

uint32_t RealNow() {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
                  .count();
    return static_cast<uint32_t>(ms);
}

void AddDeadline(uint32_t deadline) {
    std::lock_guard<std::mutex> guard(Manual().Lock);
    Manual().Deadlines.push_back(deadline);
}

void RemoveDeadline(uint32_t deadline) {
    std::lock_guard<std::mutex> guard(Manual().Lock);
    auto& d = Manual().Deadlines;
    auto it = std::find(d.begin(), d.end(), deadline);
    if (it != d.end()) d.erase(it);
}

void AdvanceManual(uint32_t milliseconds) {
    {
        std::lock_guard<std::mutex> guard(Manual().Lock);
        gManualNow.store(gManualNow.load() + milliseconds);
    }
    Manual().Moved.notify_all();
}

// A timed wait on the manual clock. Advancing the clock does not know the
// objects being waited on, so the wait looks again every real millisecond.
bool ManualWait(std::unique_lock<std::mutex>& lock, std::condition_variable& cond, uint32_t timeout,
                const std::function<bool()>& ready) {
    const uint32_t start = gManualNow.load();
    const uint32_t deadline = start + timeout;
    AddDeadline(deadline);
    bool result = false;
    uint32_t passed = 0;
    for (;;) {
        if (ready()) {
            result = true;
            break;
        }
        if (!gManualOn.load()) {
            // The clock went: the rest of the time in real milliseconds.
            result = cond.wait_for(lock, std::chrono::milliseconds(timeout - passed), ready);
            break;
        }
        passed = gManualNow.load() - start;
        if (passed >= timeout) break;
        cond.wait_for(lock, std::chrono::milliseconds(1));
    }
    RemoveDeadline(deadline);
    return result;
}

}  // namespace

// ---------------------------------------------------------------- clock

uint32_t timeGetTime() { return gManualOn.load() ? gManualNow.load() : RealNow(); }

TManualClock::TManualClock(uint32_t start) {
    std::lock_guard<std::mutex> guard(Manual().Lock);
    if (gManualOn.load()) throw ESyncObjectException(SyncObjsConst::SClockInstalled);
    gManualNow.store(start);
    gManualOn.store(true);
}

TManualClock::~TManualClock() {
    {
        std::lock_guard<std::mutex> guard(Manual().Lock);
        gManualOn.store(false);
    }
    Manual().Moved.notify_all();
}

uint32_t TManualClock::Now() const { return gManualNow.load(); }

void TManualClock::Set(uint32_t now) {
    {
        std::lock_guard<std::mutex> guard(Manual().Lock);
        gManualNow.store(now);
    }
    Manual().Moved.notify_all();
}

void TManualClock::Advance(uint32_t milliseconds) { AdvanceManual(milliseconds); }

int32_t TManualClock::Waiters() const {
    std::lock_guard<std::mutex> guard(Manual().Lock);
    return static_cast<int32_t>(Manual().Deadlines.size());
}

bool TManualClock::NextDeadline(uint32_t& deadline) const {
    std::lock_guard<std::mutex> guard(Manual().Lock);
    const auto& d = Manual().Deadlines;
    if (d.empty()) return false;
    const uint32_t now = gManualNow.load();
    // Times wrap: the nearest deadline is the smallest distance from now.
    deadline = *std::min_element(d.begin(), d.end(), [now](uint32_t a, uint32_t b) {
        return static_cast<int32_t>(a - now) < static_cast<int32_t>(b - now);
    });
    return true;
}

bool TManualClock::AdvanceToNextDeadline() {
    uint32_t deadline;
    if (!NextDeadline(deadline)) return false;
    int32_t ahead = static_cast<int32_t>(deadline - Now());
    if (ahead > 0) Advance(static_cast<uint32_t>(ahead));
    return true;
}

bool WaitOnClock(std::unique_lock<std::mutex>& lock, std::condition_variable& cond, uint32_t timeout,
                 const std::function<bool()>& ready) {
    if (ready()) return true;
    if (timeout == 0) return false;
    if (timeout == INFINITE) {
        cond.wait(lock, ready);
        return true;
    }
    if (gManualOn.load()) return ManualWait(lock, cond, timeout, ready);
    return cond.wait_for(lock, std::chrono::milliseconds(timeout), ready);
}

void Sleep(uint32_t milliseconds) {
    if (milliseconds == 0) {
        std::this_thread::yield();
        return;
    }
    if (!gManualOn.load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        return;
    }
    if (IsMainThread()) {
        AdvanceManual(milliseconds);
        std::this_thread::yield();
        return;
    }
    TManualState& m = Manual();
    std::unique_lock<std::mutex> lock(m.Lock);
    const uint32_t start = gManualNow.load();
    const uint32_t deadline = start + milliseconds;
    m.Deadlines.push_back(deadline);
    m.Moved.wait(lock, [&] { return !gManualOn.load() || gManualNow.load() - start >= milliseconds; });
    m.Deadlines.erase(std::find(m.Deadlines.begin(), m.Deadlines.end(), deadline));
    uint32_t passed = gManualNow.load() - start;
    lock.unlock();
    if (passed < milliseconds) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds - passed));
}

// ---------------------------------------------------------------- events

TEvent::TEvent(bool ManualReset, bool InitialState) : FManualReset(ManualReset), FSignaled(InitialState) {}

void TEvent::SetEvent() {
    std::lock_guard<std::mutex> guard(FLock);
    FSignaled = true;
    if (FManualReset) FCond.notify_all();
    else FCond.notify_one();
}

void TEvent::ResetEvent() {
    std::lock_guard<std::mutex> guard(FLock);
    FSignaled = false;
}

TWaitResult TEvent::WaitFor(uint32_t Timeout) {
    std::unique_lock<std::mutex> lock(FLock);
    if (!WaitOnClock(lock, FCond, Timeout, [this] { return FSignaled; })) return wrTimeout;
    if (!FManualReset) FSignaled = false;
    return wrSignaled;
}

// ---------------------------------------------------------------- semaphore

TSemaphore::TSemaphore(int32_t InitialCount, int32_t MaximumCount) : FCount(InitialCount), FMaximum(MaximumCount) {
    if (InitialCount < 0 || MaximumCount < 1 || InitialCount > MaximumCount)
        throw ESyncObjectException(FmtMsg(SyncObjsConst::SSemaphoreCounts, InitialCount));
}

int32_t TSemaphore::Release(int32_t ReleaseCount) {
    std::lock_guard<std::mutex> guard(FLock);
    if (ReleaseCount < 1 || ReleaseCount > FMaximum - FCount)
        throw ESyncObjectException(SyncObjsConst::SSemaphoreOverflow);
    int32_t previous = FCount;
    FCount += ReleaseCount;
    FCond.notify_all();
    return previous;
}

TWaitResult TSemaphore::WaitFor(uint32_t Timeout) {
    std::unique_lock<std::mutex> lock(FLock);
    if (!WaitOnClock(lock, FCond, Timeout, [this] { return FCount > 0; })) return wrTimeout;
    --FCount;
    return wrSignaled;
}

int32_t TSemaphore::Count() {
    std::lock_guard<std::mutex> guard(FLock);
    return FCount;
}
