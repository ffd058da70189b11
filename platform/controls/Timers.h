// Timers: every timer of the controls (TTimer, a window's timers by id)
// runs through one timer service. The program's runs on Qt's event loop;
// tests install a TTestClock and step it, so that a timer ticks when the
// test says, never because time passed.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// A running timer; it stops when the handle goes.
class TTimerHandle {
public:
    virtual ~TTimerHandle() = default;
};

class TTimerService {
public:
    virtual ~TTimerService() = default;
    // tick runs every interval milliseconds (at least 1) until the handle
    // is destroyed; the first tick comes one interval from now.
    virtual std::unique_ptr<TTimerHandle> Start(uint32_t interval, std::function<void()> tick) = 0;
};

// The installed service (the Qt one until another is installed). A timer
// stays with the service that started it.
TTimerService& TimerService();
// Installs service (nullptr: the Qt service) and returns the previous one.
std::unique_ptr<TTimerService> InstallTimerService(std::unique_ptr<TTimerService> service);

// Timers on Qt's event loop.
class TQtTimerService : public TTimerService {
public:
    std::unique_ptr<TTimerHandle> Start(uint32_t interval, std::function<void()> tick) override;
};

// A clock that only moves when the test moves it. Handles may outlive the
// clock (they stop nothing then).
class TTestClock : public TTimerService {
public:
    TTestClock();
    ~TTestClock() override;

    std::unique_ptr<TTimerHandle> Start(uint32_t interval, std::function<void()> tick) override;
    // Moves the clock on by ms, running every tick that falls due on the
    // way, in time order (timers due together in the order they started).
    // A tick may start and stop timers; they count from the tick's time.
    void Advance(uint32_t ms);
    // Milliseconds since the clock was made.
    uint64_t Now() const;
    // The intervals of the running timers, in the order they started.
    std::vector<uint32_t> Intervals() const;

private:
    struct State;
    std::shared_ptr<State> FState;
};
