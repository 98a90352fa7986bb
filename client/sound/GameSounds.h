// The game screen's sounds, frame by frame: the cues the server's messages
// made (CSoundEvents, watching the session) played as heard from the local
// ship, the thrust and fuel loops while the local ship's keys hold them (the
// fuel loop only while fuel flows), and the mute key, which flips on its
// press, not every frame it is held.
#pragma once

#include "client/Screen.h"
#include "client/sound/SoundEvents.h"

class CGameWorld;
class CSoundPlayer;

class CGameSounds
{
public:
    explicit CGameSounds(CSoundPlayer& player) : m_player(player) {}

    // What the session is to show its messages to.
    IMessageWatcher& Watcher() { return m_events; }
    // One frame: `world` may be null (no game yet).
    void Frame(CGameWorld* world, const KeyActions& actions, float screenWidth);
    // Forgets the cues not played yet and stops the loops.
    void Stop();

private:
    void PlayLoops(CGameWorld* world, const KeyActions& actions);

    CSoundPlayer& m_player;
    CSoundEvents m_events;
    bool m_muteHeld = false;
};
