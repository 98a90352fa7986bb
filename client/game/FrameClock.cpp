#include "client/game/FrameClock.h"

#include "net/Client.h"
#include "platform/Clock.h"

// Now, not 0: the first frame's time would otherwise be the whole tick
// count, and the world would be advanced by days at once.
CFrameClock::CFrameClock() : m_currentTick(GetTickCount()), m_fpsUpdate(m_currentTick) {}

void CFrameClock::EndFrame(CClient& session)
{
    const uint32_t previousTick = m_currentTick;
    m_currentTick = GetTickCount();
    m_frameTime = static_cast<int32_t>(m_currentTick - previousTick);
    if (m_currentTick - m_fpsUpdate < kFpsPeriodMs)
        return;
    m_fps = m_frames;
    m_frames = 0;
    m_fpsUpdate = m_currentTick;
    if (session.IsConnected())
        session.SendPing();
}
