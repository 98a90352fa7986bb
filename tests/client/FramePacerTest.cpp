// The frame cap: which cap is in force for the command line, the saved
// setting and the display, how the pacer holds frames to it (on a clock of
// the test's own, so no test sleeps or measures real time), and the
// dispatcher's loop pacing the screens at the cap the player chose.
#include "client/FramePacer.h"
#include "client/ClientContext.h"
#include "client/ScreenDispatcher.h"
#include "client/WindowProc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace
{
using namespace std::chrono_literals;
using Clock = CFramePacer::Clock;

// Time that passes only when a frame works or the pacer sleeps; a sleep may
// wake late by `oversleep`, as a loaded system's does.
class TestTime : public CFramePacer::ITime
{
public:
    Clock::time_point now{};
    Clock::duration oversleep{};
    int sleeps = 0;

    Clock::time_point Now() override { return now; }
    void SleepUntil(Clock::time_point when) override
    {
        ++sleeps;
        now = std::max(now, when) + oversleep;
    }
};

// Runs `count` frames of `work` each, paced: when each frame started.
std::vector<Clock::time_point> RunFrames(CFramePacer& pacer, TestTime& time, int count, Clock::duration work)
{
    std::vector<Clock::time_point> starts;
    for (int i = 0; i < count; ++i)
    {
        starts.push_back(time.now);
        time.now += work;
        pacer.WaitForNextFrame();
    }
    return starts;
}

long StartedWithin(const std::vector<Clock::time_point>& starts, Clock::time_point from, Clock::duration span)
{
    return std::count_if(starts.begin(), starts.end(),
                         [&](Clock::time_point t) { return t >= from && t < from + span; });
}

Clock::duration ShortestGap(const std::vector<Clock::time_point>& starts, size_t from)
{
    Clock::duration shortest = Clock::duration::max();
    for (size_t i = from + 1; i < starts.size(); ++i)
        shortest = std::min(shortest, starts[i] - starts[i - 1]);
    return shortest;
}
} // namespace

TEST(FrameCap, CommandLineThenSavedThenTwiceTheRefreshUnlessVsyncPaces)
{
    struct Case
    {
        int commandLine, saved;
        bool vsync;
        int refreshHz, expected;
    };
    const Case cases[] = {
        {-1, -1, true, 60, kNoFrameCap}, // the display paces
        {-1, -1, false, 60, 120},        {-1, -1, false, 144, 288},
        {-1, -1, false, 0, 120},         // refresh unknown: 60 Hz
        {-1, 0, false, 60, kNoFrameCap}, // saved: no cap
        {-1, 75, true, 60, 75},          // a chosen cap holds with vsync too
        {30, 75, false, 60, 30},         {0, 75, false, 60, kNoFrameCap},
        {-1, 1000, false, 60, 1000},     {-1, 1001, false, 75, 150}, // out of range: the default
        {-1, -7, true, 60, kNoFrameCap},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChooseFrameCap(c.commandLine, c.saved, c.vsync, c.refreshHz), c.expected)
            << c.commandLine << " " << c.saved << " " << c.vsync << " " << c.refreshHz;
}

// A second of frames: as many as the cap when the frames are quicker than
// it, even when sleeps wake late; as many as the work allows when they are
// slower, and then the pacer never sleeps.
TEST(FramePacer, HoldsFramesToTheCap)
{
    struct Case
    {
        int cap;
        Clock::duration work, oversleep;
        long framesInASecond;
        bool sleeps;
    };
    const Case cases[] = {
        {120, 1ms, 0ms, 120, true}, {60, 1ms, 3ms, 60, true},  {1000, 0ms, 0ms, 1000, true},
        {30, 50ms, 0ms, 20, false}, {0, 2ms, 0ms, 500, false},
    };
    for (const Case& c : cases)
    {
        TestTime time;
        time.oversleep = c.oversleep;
        CFramePacer pacer(time);
        pacer.SetCap(c.cap);
        const std::vector<Clock::time_point> starts =
            RunFrames(pacer, time, 3 * std::max(c.cap, 500), c.work);
        EXPECT_NEAR(StartedWithin(starts, starts[1], 1s), c.framesInASecond, 1) << "cap " << c.cap;
        EXPECT_EQ(time.sleeps > 0, c.sleeps) << "cap " << c.cap;
    }
}

// After a stall the missed frames are not rushed through, and a new cap
// takes over at once.
TEST(FramePacer, NoBurstAfterAStallAndANewCapTakesOver)
{
    TestTime time;
    CFramePacer pacer(time);
    pacer.SetCap(100);
    RunFrames(pacer, time, 10, 1ms);
    time.now += 500ms;
    std::vector<Clock::time_point> starts = RunFrames(pacer, time, 20, 1ms);
    EXPECT_GE(ShortestGap(starts, 1), 10ms);

    pacer.SetCap(25);
    starts = RunFrames(pacer, time, 20, 1ms);
    EXPECT_GE(ShortestGap(starts, 1), 40ms);
    EXPECT_EQ(pacer.Cap(), 25);
}

namespace
{
// Stays on itself, counting its frames.
class StillScreen : public CScreen
{
public:
    int frames = 0;
    StillScreen() : CScreen(ScreenId::Credits) {}
    ScreenId Frame(const KeyActions&) override { return ++frames, ScreenId::Credits; }
};

// Each frame takes a millisecond of work; the program quits when a second
// has passed, paced or not.
class QuittingTime : public TestTime
{
public:
    explicit QuittingTime(CClientContext& context) : m_context(context) {}
    Clock::time_point Now() override
    {
        now += 1ms;
        QuitAfterASecond();
        return now;
    }
    void SleepUntil(Clock::time_point when) override
    {
        TestTime::SleepUntil(when);
        QuitAfterASecond();
    }

private:
    void QuitAfterASecond()
    {
        if (now - Clock::time_point{} >= 1s)
            m_context.RequestQuit();
    }
    CClientContext& m_context;
};

// The frames the dispatcher's loop shows in a second, without a window.
int FramesInASecond(int commandLineCap, int savedCap)
{
    CClientContext context{[] { return std::vector<platform::RawVideoMode>{}; }};
    context.options.maxFps = commandLineCap;
    context.settings.maxFps = savedCap;
    CWindowProc windowProc(context, nullptr);
    StillScreen screen;
    QuittingTime time(context);
    CScreenDispatcher dispatcher(context, windowProc, {&screen}, time);
    dispatcher.SetCurrent(ScreenId::Credits);
    dispatcher.Run();
    return screen.frames;
}
} // namespace

TEST(ScreenDispatcher, RunPacesTheScreensAtTheChosenCap)
{
    // Within one frame: a period of a whole number of nanoseconds may fit
    // once more into the second.
    EXPECT_NEAR(FramesInASecond(50, 25), 50, 1) << "--max-fps wins";
    EXPECT_NEAR(FramesInASecond(kDefaultFrameCap, 25), 25, 1) << "the saved cap";
    EXPECT_NEAR(FramesInASecond(kDefaultFrameCap, kDefaultFrameCap), 120, 1)
        << "no window: unknown refresh, no vsync";
}
