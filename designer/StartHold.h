// The start-up hold: the splash window stays up until the tick count reaches
// its next whole second.
#pragma once

#include <cstdint>

// Milliseconds to wait from tick count start until its next whole second:
// 1..1000. Where the next whole second lies beyond the 32-bit counter, the
// counter wraps first, and the wait ends at the wrap.
uint32_t HoldMilliseconds(uint32_t start);

// Waits without handling messages until the tick count reaches its next whole
// second; never longer than a second, also when the counter wraps meanwhile.
void HoldUntilNextSecond();
