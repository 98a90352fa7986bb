// The game screen's clock: how long the last frame took (the time the world
// is advanced by), the frames counted over each second for the HUD, and the
// ping the server is sent once a second to measure the round trip.
#pragma once

#include <cstdint>

class CClient;

class CFrameClock
{
public:
    static constexpr uint32_t kFpsPeriodMs = 1000;

    // Starts now: the first frame's time is the time since.
    CFrameClock();

    void CountFrame() { ++m_frames; }
    // Ends a frame: its time, and once a second the FPS figure and a ping
    // through `session` when it is connected.
    void EndFrame(CClient& session);
    int32_t FrameTime() const { return m_frameTime; }
    int Fps() const { return m_fps; }

private:
    uint32_t m_currentTick;
    int32_t m_frameTime = 0;
    uint32_t m_fpsUpdate;
    int m_frames = 0;
    int m_fps = 0;
};
