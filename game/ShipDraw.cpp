// Drawing a ship: its type's picture with the shield and cloak over it, the
// fuel line to the block it refuels from, the pilot's name and the outline.
#include "game/Ship.h"

#include "gfx/Graphics.h"
#include "gfx/RenderBackend.h"
#include "gfx/Text.h"

namespace
{
// The picture of each ship type, in type order.
const char* const kShipTextures[CShip::kShipTypes] = {
    "Triship.tga", "Curveship.tga", "Trekship.tga", "Xship.tga", "Yship.tga", "Twoship.tga",
};
} // namespace

const char* CShip::TextureName(int32_t type)
{
    return type >= 0 && type < kShipTypes ? kShipTextures[type] : "Triship.tga";
}

bool CShip::LoadTextures()
{
    AddTextureByName(TextureName(m_shipType));
    AddTextureByName("shield.tga");
    return AddTextureByName("cloak.tga");
}

bool CShip::Draw(int32_t viewX, int32_t viewY)
{
    if (!IsActive())
        return true;
    if (TestStatusBits(STATUS_FUELLING))
        DrawFuelLine(viewX, viewY);
    bool cloaked = TestStatusBits(STATUS_CLOAKED);
    if (cloaked && !m_local)
        return true;
    DrawQuad(viewX, viewY, GetTexture(0));
    if (ShieldsUp())
        DrawQuad(viewX, viewY, GetTexture(1));
    if (cloaked)
        DrawQuad(viewX, viewY, GetTexture(2));
    if (GetDrawToggles().names && !m_local)
        DrawName(viewX, viewY);
    if (GetDrawToggles().outlines)
        DrawOutlines(viewX, viewY, ShieldsUp() ? m_shieldOutline : GetOutline(), 0.5f);
    return true;
}

void CShip::DrawFuelLine(int32_t viewX, int32_t viewY) const
{
    int32_t x, y;
    ScreenPoint(viewX, viewY, x, y);
    float sourceX = static_cast<float>(m_fuelSourceX - viewX + 100);
    float sourceY = static_cast<float>(-(m_fuelSourceY - viewY));
    CRenderBackend& backend = GetRenderBackend();
    backend.LoadIdentity();
    backend.SetTexturing(false);
    backend.SetColour(RenderColour{1, 0, 0, 1});
    RenderVertex line[2] = {{static_cast<float>(x), static_cast<float>(y), 0, 0, 0},
                            {sourceX, sourceY, 0, 0, 0}};
    backend.DrawLines(line, 2, 0x0F0F);
}

void CShip::DrawName(int32_t viewX, int32_t viewY) const
{
    int32_t x, y;
    ScreenPoint(viewX, viewY, x, y);
    GetRenderBackend().SetColour(RenderColour{1, 0, 0, 1});
    float left = static_cast<float>(x) - 5.0f * static_cast<float>(m_name.size());
    DrawText(GetGraphics(), left, static_cast<float>(y + 26), "%s", m_name.c_str());
}
