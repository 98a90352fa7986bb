// The frame cap: which cap is in force, the pacer holding frames to it on a
// clock of the test's own (nothing sleeps for real), and the dispatcher's
// loop pacing the screens at the cap the player chose.
#include "client/FramePacer.h"
#include "client/ClientContext.h"
#include "client/ScreenDispatcher.h"
#include "client/WindowProc.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{
using namespace std::chrono_literals;
using Clock = CFramePacer::Clock;

// Time passes only when a frame works or the pacer sleeps; a sleep may wake
// `oversleep` late, as on a loaded system.
struct TestTime : CFramePacer::ITime
{
    Clock::time_point now{};
    Clock::duration oversleep{};

    Clock::time_point Now() override { return now; }
    void SleepUntil(Clock::time_point when) override { now = std::max(now, when) + oversleep; }
};

// The frames of `work` each that start within the next second.
int FramesInASecond(CFramePacer& pacer, TestTime& time, Clock::duration work)
{
    int frames = 0;
    for (const Clock::time_point end = time.now + 1s; time.now < end; ++frames)
        time.now += work, pacer.WaitForNextFrame();
    return frames;
}

// Stays on itself; each frame takes a millisecond, and after a second the
// player quits.
struct TimedScreen : CScreen
{
    TimedScreen(CClientContext& context, TestTime& time)
        : CScreen(ScreenId::Credits), context(context), time(time)
    {
    }
    ScreenId Frame(const KeyActions&) override
    {
        if (time.now - Clock::time_point{} >= 1s)
            context.RequestQuit();
        else
            ++frames;
        time.now += 1ms;
        return ScreenId::Credits;
    }
    CClientContext& context;
    TestTime& time;
    int frames = 0;
};

int DispatchedFramesInASecond(int commandLineCap, int savedCap)
{
    CClientContext context{[] { return std::vector<platform::RawVideoMode>{}; }};
    context.options.maxFps = commandLineCap;
    context.settings.maxFps = savedCap;
    CWindowProc windowProc(context, nullptr);
    TestTime time;
    TimedScreen screen(context, time);
    CScreenDispatcher dispatcher(context, windowProc, {&screen}, time);
    dispatcher.SetCurrent(ScreenId::Credits);
    dispatcher.Run();
    return screen.frames;
}
} // namespace

TEST(FrameCap, CommandLineThenSavedThenTwiceTheRefreshUnlessVsyncPaces)
{
    struct Case
    {
        int commandLine, saved;
        bool vsync;
        int refreshHz, expected;
    } const cases[] = {{-1, -1, true, 60, 0}, {-1, -1, false, 144, 288},  {-1, -1, false, 0, 120},
                       {-1, 0, false, 60, 0}, {-1, 75, true, 60, 75},     {30, 75, false, 60, 30},
                       {0, 75, false, 60, 0}, {-1, 1000, true, 60, 1000}, {-1, 1001, false, 75, 150}};
    for (const Case& c : cases)
        EXPECT_EQ(ChooseFrameCap(c.commandLine, c.saved, c.vsync, c.refreshHz), c.expected)
            << c.commandLine << " " << c.saved << " " << c.vsync << " " << c.refreshHz;
}

// As many frames as the cap when they are quicker than it, even when sleeps
// wake late; as many as the work allows when they are slower. After a stall
// the missed frames are not rushed through.
TEST(FramePacer, HoldsFramesToTheCapWithoutRushingMissedFrames)
{
    struct Case
    {
        int cap;
        Clock::duration work, oversleep;
        int frames;
    } const cases[] = {{120, 1ms, 0ms, 120}, {60, 1ms, 3ms, 60}, {30, 50ms, 0ms, 20}, {0, 2ms, 0ms, 500}};
    for (const Case& c : cases)
    {
        TestTime time;
        time.oversleep = c.oversleep;
        CFramePacer pacer(time);
        pacer.SetCap(c.cap);
        EXPECT_NEAR(FramesInASecond(pacer, time, c.work), c.frames, 1) << "cap " << c.cap;
    }
    TestTime time;
    CFramePacer pacer(time);
    pacer.SetCap(100);
    FramesInASecond(pacer, time, 1ms);
    time.now += 500ms;
    EXPECT_NEAR(FramesInASecond(pacer, time, 1ms), 100, 1) << "after a stall";
    pacer.SetCap(25);
    EXPECT_NEAR(FramesInASecond(pacer, time, 1ms), 25, 1) << "a new cap";
}

TEST(ScreenDispatcher, RunPacesTheScreensAtTheChosenCap)
{
    EXPECT_NEAR(DispatchedFramesInASecond(50, 25), 50, 1) << "--max-fps wins";
    EXPECT_NEAR(DispatchedFramesInASecond(kDefaultFrameCap, 25), 25, 1) << "the saved cap";
}
