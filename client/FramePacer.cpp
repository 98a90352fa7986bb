#include "client/FramePacer.h"

#include <thread>

namespace
{
constexpr int kUnknownRefreshHz = 60;

bool IsChosen(int cap)
{
    return cap >= kNoFrameCap && cap <= kMaxFrameCap;
}

class CRealTime : public CFramePacer::ITime
{
public:
    CFramePacer::Clock::time_point Now() override { return CFramePacer::Clock::now(); }
    void SleepUntil(CFramePacer::Clock::time_point when) override { std::this_thread::sleep_until(when); }
};
} // namespace

int ChooseFrameCap(int commandLineCap, int savedCap, bool vsyncInEffect, int refreshHz)
{
    if (IsChosen(commandLineCap))
        return commandLineCap;
    if (IsChosen(savedCap))
        return savedCap;
    if (vsyncInEffect)
        return kNoFrameCap;
    // Twice the refresh keeps the picture as smooth as the display can show
    // it, whatever the phase between frames and refreshes.
    return 2 * (refreshHz > 0 ? refreshHz : kUnknownRefreshHz);
}

CFramePacer::ITime& CFramePacer::RealTime()
{
    static CRealTime time;
    return time;
}

CFramePacer::CFramePacer(ITime& time) : m_time(time) {}

void CFramePacer::SetCap(int framesPerSecond)
{
    const int cap = framesPerSecond > kNoFrameCap ? framesPerSecond : kNoFrameCap;
    if (cap == m_cap)
        return;
    m_cap = cap;
    m_period = cap == kNoFrameCap
                   ? Clock::duration::zero()
                   : std::chrono::duration_cast<Clock::duration>(std::chrono::seconds(1)) / cap;
    m_frameStart.reset();
}

// Frames keep to a schedule, so a late wake-up is made up by the next wait
// and the rate holds at the cap. A frame that ran more than a whole period
// late (a slow frame, a stall) starts a new schedule instead: the missed
// frames are not rushed through afterwards.
void CFramePacer::WaitForNextFrame()
{
    if (m_cap == kNoFrameCap)
        return;
    const Clock::time_point now = m_time.Now();
    if (!m_frameStart)
    {
        m_frameStart = now;
        return;
    }
    const Clock::time_point due = *m_frameStart + m_period;
    if (now < due)
        m_time.SleepUntil(due);
    m_frameStart = now - due < m_period ? due : now;
}
