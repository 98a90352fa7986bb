#include "platform/Random.h"

#include "platform/Clock.h"

#include <atomic>

namespace platform
{
namespace
{
std::atomic<uint32_t> g_state{1};
}

int Rand()
{
    uint32_t next = g_state.load(std::memory_order_relaxed) * 214013u + 2531011u;
    g_state.store(next, std::memory_order_relaxed);
    return static_cast<int>((next >> 16) & 0x7FFFu);
}

void SeedRand(uint32_t seed)
{
    g_state.store(seed, std::memory_order_relaxed);
}

void SeedRandFromTime()
{
    SeedRand(static_cast<uint32_t>(CalendarSeconds()));
}

} // namespace platform
