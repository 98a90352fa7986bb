#include "platform/Random.h"

#include "platform/Clock.h"

#include <atomic>

namespace platform
{
namespace
{
std::atomic<uint32_t> g_state{1};

// The classic linear congruential step and the 15 bits it yields.
uint32_t Step(uint32_t state)
{
    return state * 214013u + 2531011u;
}
int Value(uint32_t state)
{
    return static_cast<int>((state >> 16) & 0x7FFFu);
}
} // namespace

int Rand()
{
    uint32_t next = Step(g_state.load(std::memory_order_relaxed));
    g_state.store(next, std::memory_order_relaxed);
    return Value(next);
}

int RandomStream::Next()
{
    m_state = Step(m_state);
    return Value(m_state);
}

float RandomStream::Between(float low, float high)
{
    return low + (high - low) * static_cast<float>(Next()) / static_cast<float>(kRandMax);
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
