// Holds the client's frames to a rate. Without it, a display whose swaps do
// not wait for the refresh (no vsync, or a driver without swap control)
// lets the screens draw as fast as the processor allows and burn a core on
// an idle menu. The dispatcher's loop asks the pacer to wait after each
// frame; the frame counter on the game screen then shows the capped rate.
//
// The time is read and waited for through an interface, so a test can pace
// frames with a clock of its own and no real sleeping.
#pragma once

#include <chrono>
#include <optional>

// Frames a second at most that --max-fps and the MaxFps setting accept.
constexpr int kMaxFrameCap = 1000;
// Frames a second with no cap.
constexpr int kNoFrameCap = 0;
// A choice left to the default rule (the option not given, the setting not saved).
constexpr int kDefaultFrameCap = -1;

// The cap in force, in frames a second (kNoFrameCap: none). The command
// line's choice wins, then the saved one; a choice outside 0 to kMaxFrameCap
// is the default: no cap while vsync paces the frames, otherwise twice the
// display's refresh rate (60 Hz when the system does not say).
int ChooseFrameCap(int commandLineCap, int savedCap, bool vsyncInEffect, int refreshHz);

class CFramePacer
{
public:
    using Clock = std::chrono::steady_clock;

    // Where the pacer reads the time and waits.
    class ITime
    {
    public:
        virtual ~ITime() = default;
        virtual Clock::time_point Now() = 0;
        virtual void SleepUntil(Clock::time_point when) = 0;
    };
    // The steady clock and a real sleep.
    static ITime& RealTime();

    explicit CFramePacer(ITime& time = RealTime());

    // Frames a second to hold to; kNoFrameCap (or less) lets frames run
    // unpaced. A new cap starts a new schedule.
    void SetCap(int framesPerSecond);
    int Cap() const { return m_cap; }

    // Called as each frame ends: waits until the next frame is due.
    void WaitForNextFrame();

private:
    ITime& m_time;
    int m_cap = kNoFrameCap;
    Clock::duration m_period{};
    // When the frame that just ended was due to begin; none before the
    // first frame of a schedule.
    std::optional<Clock::time_point> m_frameStart;
};
