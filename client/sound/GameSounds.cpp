#include "client/sound/GameSounds.h"

#include "client/sound/SoundPlayer.h"
#include "game/Ship.h"
#include "game/World.h"

void CGameSounds::Frame(CGameWorld* world, const KeyActions& actions, float screenWidth)
{
    const bool mute = actions[KEY_TOGGLE_MUTE] != 0;
    if (mute && !m_muteHeld)
        m_player.SetMuted(!m_player.IsMuted());
    m_muteHeld = mute;
    CShip* local = world ? world->FirstPlayer() : nullptr;
    if (local)
    {
        SoundListener listener{local->GetPosition(), static_cast<float>(world->GetWorldWidth()),
                               static_cast<float>(world->GetWorldHeight()), screenWidth};
        m_player.PlayCues(m_events.Cues(), listener);
    }
    m_events.Clear();
    PlayLoops(world, actions);
}

void CGameSounds::PlayLoops(CGameWorld* world, const KeyActions& actions)
{
    CShip* local = world ? world->FirstPlayer() : nullptr;
    const bool flying = local && local->IsActive();
    m_player.SetLoop(Sound::Thrust, flying && actions[KEY_THRUST]);
    m_player.SetLoop(Sound::FuelFlow,
                     flying && actions[KEY_FUEL_UP] && local->TestStatusBits(STATUS_FUELLING));
}

void CGameSounds::Stop()
{
    m_events.Clear();
    m_player.SetLoop(Sound::Thrust, false);
    m_player.SetLoop(Sound::FuelFlow, false);
}
