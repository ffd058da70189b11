#include "designer/StartHold.h"

#include <algorithm>
#include <chrono>

#include "platform/runtime/SysUtils.h"

uint32_t HoldMilliseconds(uint32_t start) {
    const uint64_t next = (static_cast<uint64_t>(start) / 1000 + 1) * 1000;
    const uint64_t wrap = uint64_t{1} << 32;
    return static_cast<uint32_t>(std::min(next, wrap) - start);
}

void HoldUntilNextSecond() {
    const uint32_t start = GetTickCount();
    const uint32_t wait = HoldMilliseconds(start);
    // The elapsed time in unsigned arithmetic stays right across a wrap; the
    // steady clock bounds the wait when the tick source stands still.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(1000);
    while (static_cast<uint32_t>(GetTickCount() - start) < wait) {
        if (std::chrono::steady_clock::now() >= deadline) break;
        Sleep(1);
    }
}
