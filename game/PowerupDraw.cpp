// Drawing a powerup: the picture of each type, fetched in type order so that
// the default quad shows the picture of the powerup's type.
#include "game/Powerup.h"

namespace
{
const char* const kTextures[CPowerup::kTypes] = {
    "pup_triple.tga", "pup_missile.tga", "pup_mine.tga",  "pup_plasma.tga",
    "pup_tank.tga",   "pup_fuel.tga",    "pup_cloak.tga", "pup_repulse.tga",
};
} // namespace

const char* CPowerup::TextureName(int32_t type)
{
    return kTextures[IsValidType(type) ? type : 0];
}

bool CPowerup::LoadTextures()
{
    return AddTexturesByName(kTextures);
}
