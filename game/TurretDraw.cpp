// Drawing a turret: the alive picture of its facing while it is in play, the
// dead one while it waits to come back.
#include "game/Turret.h"

namespace
{
struct FacingPictures
{
    const char* alive;
    const char* dead;
};

// In facing order: up, right, down, left.
const FacingPictures kFacingPictures[4] = {
    {"turret_ok_up.tga", "turret_dead_up.tga"},
    {"turret_ok_right.tga", "turret_dead_right.tga"},
    {"turret_ok_down.tga", "turret_dead_down.tga"},
    {"turret_ok_left.tga", "turret_dead_left.tga"},
};
} // namespace

bool CTurret::LoadTextures()
{
    // SetFacing keeps the facing in 0 to 3.
    const FacingPictures& pictures = kFacingPictures[m_facing];
    AddTextureByName(pictures.alive);
    return AddTextureByName(pictures.dead);
}

bool CTurret::Draw(int32_t viewX, int32_t viewY)
{
    DrawPicture(viewX, viewY, GetTexture(IsActive() ? 0 : 1));
    return true;
}
