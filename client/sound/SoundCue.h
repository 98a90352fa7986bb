// One sound the game is to make: which effect, and where in the world it
// happens, or centred when it belongs to the local player (its own ship, the
// chat, the menus).
#pragma once

#include "game/SoundEffects.h"
#include "game/Vector.h"

struct SoundCue
{
    Sound sound = Sound::Bullet;
    CVector where;
    bool centred = false;
};
