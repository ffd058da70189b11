// Shared by the thread tests: a thread running a function, and waits on the
// main thread that run the synchronised calls meanwhile and give up after a
// real time limit, so a fault fails the test instead of hanging it.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "platform/runtime/Threads.h"

class TFunctionThread : public TThread {
public:
    using TBody = std::function<void(TFunctionThread& self)>;
    explicit TFunctionThread(TBody body) : FBody(std::move(body)) {}
    ~TFunctionThread() override {
        // Execute uses FBody: end the thread before it goes.
        if (Suspended() || FreeOnTerminate()) return;
        Terminate();
        WaitFor();
    }
    using TThread::SetReturnValue;

protected:
    void Execute() override { FBody(*this); }

private:
    TBody FBody;
};

// Real milliseconds, whatever clock the test has installed.
inline void RealSleep(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

// Runs step until done() holds; false after limitMs real milliseconds.
inline bool RepeatUntil(const std::function<bool()>& done, const std::function<void()>& step, int limitMs) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        step();
    }
    return true;
}

// Runs the synchronised calls until done() holds.
inline bool PumpUntil(const std::function<bool()>& done, int limitMs = 2000) {
    return RepeatUntil(done, [] { CheckSynchronize(1); }, limitMs);
}

// Waits without running synchronised calls.
inline bool WaitUntil(const std::function<bool()>& done, int limitMs = 2000) {
    return RepeatUntil(done, [] { RealSleep(1); }, limitMs);
}
