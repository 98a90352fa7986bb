// Drawing the projectiles: a bullet's white point, and the pictures that
// missiles, mines, plasma mines and shrapnel draw with.
#include "game/Projectiles.h"

#include "gfx/RenderBackend.h"

namespace
{
const char* const kShrapnelTextures[CShrapnel::kShapes] = {"shrapnel1.tga", "shrapnel2.tga"};
} // namespace

bool CBullet::Draw(int32_t viewX, int32_t viewY)
{
    if (!IsActive())
        return true;
    int32_t x, y;
    ScreenPoint(viewX, viewY, x, y);
    float left = static_cast<float>(x - 1), right = static_cast<float>(x + 1);
    float top = static_cast<float>(y - 1), bottom = static_cast<float>(y + 1);
    CRenderBackend& backend = GetRenderBackend();
    backend.LoadIdentity();
    backend.SetTexturing(false);
    backend.SetColour(RenderColour{1, 1, 1, 1});
    backend.SetPolygonMode(PolygonFill::Fill, PolygonFill::Line);
    RenderVertex quad[4] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
    backend.DrawQuads(quad, 4);
    return true;
}

bool CMissile::LoadTextures()
{
    return AddTextureByName("missile.tga");
}

bool CMine::LoadTextures()
{
    return AddTextureByName("mine.tga");
}

bool CPlasmaMine::LoadTextures()
{
    return AddTextureByName("plasmamine.tga");
}

bool CShrapnel::LoadTextures()
{
    return AddTexturesByName(kShrapnelTextures);
}
