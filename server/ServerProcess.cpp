#include "server/ServerProcess.h"

#include "platform/ConsoleControl.h"

#include <atomic>

namespace server
{
namespace
{
std::atomic<uint8_t> g_running{0};
// Remembers a stop that arrives before the loop starts, so that setting the
// running flag at the start of the loop cannot swallow it.
std::atomic<bool> g_stopRequested{false};
std::atomic<bool> g_reportRequested{false};

static_assert(std::atomic<uint8_t>::is_always_lock_free, "the signal handler needs a lock-free flag");
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");
} // namespace

bool OnConsoleControl(uint32_t event)
{
    switch (event)
    {
    case platform::kCtrlCEvent:
    case platform::kCtrlBreakEvent:
    case platform::kCtrlCloseEvent:
    case platform::kCtrlLogoffEvent:
    case platform::kCtrlShutdownEvent:
        g_stopRequested = true;
        g_running = 0;
        return true;
    default:
        return false;
    }
}

bool IsRunningFlagSet()
{
    return g_running.load() != 0;
}

void SetRunningFlag()
{
    // Set first, then look: a signal landing between the two still wins.
    g_running = 1;
    if (g_stopRequested.load())
        g_running = 0;
}

void ResetStopRequest()
{
    g_stopRequested = false;
    g_running = 0;
}

void OnReportRequest()
{
    g_reportRequested = true;
}

bool TakeReportRequest()
{
    return g_reportRequested.exchange(false);
}

} // namespace server
