// Time as the game sees it: a 32-bit millisecond tick count that wraps, a
// millisecond sleep, and calendar seconds for seeding the random generator.
//
// Tests replace the real clock with a FakeClock so that lifetimes, rates of
// fire and pauses can be checked without waiting. While a FakeClock is
// installed, Sleep advances fake time instead of blocking.
#pragma once

#include <cstdint>

// Milliseconds from a monotonic clock, truncated to 32 bits. Differences must
// be taken as unsigned 32-bit values so they survive the wrap.
uint32_t GetTickCount();

// Blocks the calling thread for about `ms` milliseconds (0 yields).
void Sleep(uint32_t ms);

// Whole seconds of calendar time, as time(nullptr) gives.
int64_t CalendarSeconds();

namespace platform
{

// Installs itself as the process clock for its lifetime. Not nestable.
class FakeClock
{
public:
    explicit FakeClock(uint32_t startTick = 1000, int64_t startSeconds = 1700000000);
    ~FakeClock();
    FakeClock(const FakeClock&) = delete;
    FakeClock& operator=(const FakeClock&) = delete;

    void SetTick(uint32_t tick);
    void Advance(uint32_t ms);
    void SetCalendarSeconds(int64_t seconds);
};

} // namespace platform
