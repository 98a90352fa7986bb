#include "platform/Clock.h"

#include <atomic>
#include <cassert>
#include <chrono>
#include <ctime>
#include <thread>

namespace
{
std::atomic<bool> g_fakeInstalled{false};
std::atomic<uint32_t> g_fakeTick{0};
std::atomic<int64_t> g_fakeSeconds{0};
} // namespace

uint32_t GetTickCount()
{
    if (g_fakeInstalled.load(std::memory_order_relaxed))
        return g_fakeTick.load(std::memory_order_relaxed);
    using namespace std::chrono;
    auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<uint32_t>(ms);
}

void Sleep(uint32_t ms)
{
    if (g_fakeInstalled.load(std::memory_order_relaxed))
    {
        g_fakeTick.fetch_add(ms, std::memory_order_relaxed);
        return;
    }
    if (ms == 0)
        std::this_thread::yield();
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

int64_t CalendarSeconds()
{
    if (g_fakeInstalled.load(std::memory_order_relaxed))
        return g_fakeSeconds.load(std::memory_order_relaxed);
    return static_cast<int64_t>(std::time(nullptr));
}

namespace platform
{

FakeClock::FakeClock(uint32_t startTick, int64_t startSeconds)
{
    assert(!g_fakeInstalled.load() && "only one FakeClock at a time");
    g_fakeTick = startTick;
    g_fakeSeconds = startSeconds;
    g_fakeInstalled = true;
}

FakeClock::~FakeClock()
{
    g_fakeInstalled = false;
}

void FakeClock::SetTick(uint32_t tick)
{
    g_fakeTick = tick;
}

void FakeClock::Advance(uint32_t ms)
{
    g_fakeTick.fetch_add(ms);
}

void FakeClock::SetCalendarSeconds(int64_t seconds)
{
    g_fakeSeconds = seconds;
}

} // namespace platform
