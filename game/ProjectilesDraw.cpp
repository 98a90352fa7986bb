// Drawing the projectiles: a bullet's white point, and the pictures that
// missiles, mines, plasma mines and shrapnel draw with.
#include "game/Projectiles.h"

#include "gfx/RenderBackend.h"
#include "gfx/Texture.h"
#include "gfx/TextureAtlas.h"

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
    // White texels of the atlas page modulated by white are the plain white
    // point, and keep the bullets in the same draw as the pictures around them.
    CTextureAtlas& atlas = CTextureManager::Get().GetAtlas();
    const TextureRegion& white = atlas.WhiteRegion();
    const float u = (white.u0 + white.u1) / 2, v = (white.v0 + white.v1) / 2;
    CRenderBackend& backend = GetRenderBackend();
    backend.LoadIdentity();
    backend.SetColour(RenderColour{1, 1, 1, 1});
    backend.SetPolygonMode(PolygonFill::Fill, PolygonFill::Line);
    const uint32_t page = atlas.GetGLName();
    backend.SetTexturing(page != 0);
    backend.BindTexture(page);
    RenderVertex corners[4] = {
        {left, top, 0, u, v}, {right, top, 0, u, v}, {right, bottom, 0, u, v}, {left, bottom, 0, u, v}};
    // Two triangles cover the square's pixels exactly as the quad did.
    RenderVertex triangles[6] = {corners[0], corners[1], corners[3], corners[1], corners[2], corners[3]};
    backend.DrawTriangles(triangles, 6);
    backend.BindTexture(0);
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
