// The game's sounds, found in what the server says: it watches each message
// before it is applied (net/Client.h), so the world still shows what was
// known before it, and turns news into cues:
//
//  - an object state for an id the world does not hold is a launch: bullet
//    (a turret shot when it starts at a turret), missile, mine, plasma mine,
//    or a shrapnel burst; a state of a known object makes no sound;
//  - a ship's state whose cloak bit changed is the cloak going on or off;
//    one with a repulsor fewer is a repulse; a fuel drop of kHitFuelDrop or
//    more (a hit or a bounce, not the steady costs) is a hit on its shield
//    when the shield is up, on its hull when it is not;
//  - MSG_SHIP_DIED of a ship in play is an explosion; MSG_OBJECT_GONE of a
//    powerup that a ship touches is a pickup;
//  - MSG_TEXT "<player>: ..." is a chat line and "... has joined the game."
//    another player joining; MSG_ROUND_OVER is the round-over sting.
//
// The local ship's sounds, and the chat, joins and round over, are centred.
#pragma once

#include "client/sound/SoundCue.h"
#include "net/Client.h"

#include <vector>

class CShip;

class CSoundEvents : public IMessageWatcher
{
public:
    static constexpr float kHitFuelDrop = 4.0f;

    void BeforeApply(const CMessage& message, CGameWorld& world) override;

    // The cues found since the last Clear, in the order found.
    const std::vector<SoundCue>& Cues() const { return m_cues; }
    void Clear() { m_cues.clear(); }

private:
    void OnText(const CMessage& message, CGameWorld& world);
    void OnObjectState(const CMessage& message, CGameWorld& world);
    void OnObjectGone(const CMessage& message, CGameWorld& world);
    void OnShipState(const CMessage& message, CGameWorld& world);
    void OnShipDied(const CMessage& message, CGameWorld& world);
    void CueAt(Sound sound, const CVector& where, bool centred);
    void CueCentred(Sound sound) { CueAt(sound, CVector(), true); }

    std::vector<SoundCue> m_cues;
};
