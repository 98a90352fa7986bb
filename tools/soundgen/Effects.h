// The recipes of the game's sound effects, one per entry of the game's
// catalogue (game/SoundEffects.h). Every effect ends at or below -1.4 dBFS,
// so none clips; the loops repeat without a step at the seam.
#pragma once

#include "game/SoundEffects.h"
#include "tools/soundgen/Synth.h"

synth::Signal MakeEffect(Sound sound);
