// What collisions do to a ship (pickups, shielded bounces, hits), the ship's
// own collision test, and how the client draws a ship.
#include "game/Ship.h"

#include "game/Powerup.h"
#include "game/Settings.h"
#include "gfx/Graphics.h"
#include "gfx/RenderBackend.h"
#include "gfx/Text.h"

#include <algorithm>

namespace
{
// Adds in signed 8-bit arithmetic, then caps at the maximum as an integer.
int8_t AddCapped(int8_t count, int32_t add, int32_t most)
{
    int8_t sum = static_cast<int8_t>(count + add);
    return sum > most ? static_cast<int8_t>(most) : sum;
}
} // namespace

void CShip::PickUp(int32_t powerupType)
{
    const GameSettings& s = g_settings;
    switch (powerupType)
    {
    case POWERUP_TRIPLE_SHOT:
        SetStatusBits(STATUS_TRIPLE_SHOT);
        break;
    case POWERUP_MISSILES:
        m_missiles = AddCapped(m_missiles, s.MissilesPerPowerup, s.MaxMissiles);
        break;
    case POWERUP_MINES:
        m_mines = AddCapped(m_mines, s.MinesPerPowerup, s.MaxMines);
        break;
    case POWERUP_PLASMA_MINES:
        m_plasmaMines = AddCapped(m_plasmaMines, s.PlasmaMinesPerPowerup, s.MaxPlasmaMines);
        break;
    case POWERUP_EXTRA_TANK:
        m_capacity = s.ExtraTankCapacity;
        SetStatusBits(STATUS_EXTRA_TANK);
        break;
    case POWERUP_FUEL:
        m_fuel = m_capacity;
        break;
    case POWERUP_CLOAK:
        SetStatusBits(STATUS_CLOAK_HELD);
        break;
    case POWERUP_REPULSE:
        m_repulses = AddCapped(m_repulses, s.RepulsePerPowerup, s.MaxRepulse);
        break;
    default:
        break;
    }
}

void CShip::OnCollide(CGameObject& other)
{
    if (!ShieldsUp())
    {
        if (other.GetKind() == KIND_POWERUP)
            PickUp(static_cast<const CPowerup&>(other).GetType());
        else
            Kill(); // an unshielded ship dies on any contact
        return;
    }
    switch (other.GetKind())
    {
    case KIND_MAP:
    case KIND_SHIP:
        Bounce(other);
        break;
    case KIND_BULLET:
        TakeHit(COST_BULLET_HIT);
        break;
    case KIND_MISSILE:
        TakeHit(COST_MISSILE_HIT);
        break;
    default:
        break; // mines hurt only by their blast
    }
}

// Reflects the velocity off the other's edge and pays for the impact by how
// hard it was; a bounce the tank cannot pay for is free.
void CShip::Bounce(const CGameObject& other)
{
    CVector v = GetVelocity();
    CVector edge;
    if (!FindBounceEdge(other, GetPosition(), edge) || edge.Dot(edge) == 0)
    {
        SetVelocity(v * -1.0);
        return;
    }
    // v - 2n, with n the component of v across the edge.
    SetVelocity(edge * (2.0 * v.Dot(edge) / edge.Dot(edge)) - v);
    CVector impact = other.GetVelocity() + v;
    double maxSpeed = GetMaxSpeed();
    if (maxSpeed > 0)
        UseFuel(COST_COLLISION, static_cast<float>(impact.Dot(impact) / (maxSpeed * maxSpeed)));
}

void CShip::TakeHit(int32_t costKind)
{
    if (UseFuel(costKind, 1))
        return;
    m_fuel = 0;
    Kill();
}

bool CShip::Collides(const CGameObject& other, float worldWidth, float worldHeight) const
{
    CVector d = other.GetPosition() - GetPosition();
    float r = GetRadius() + other.GetRadius();
    // Only adds here, and only subtracts below: two ships across the seam meet
    // only in the shielded case, seen from the ship near the high edge.
    if (d.GetX() < r - worldWidth)
        d.SetX(d.GetX() + worldWidth);
    if (d.GetY() < r - worldHeight)
        d.SetY(d.GetY() + worldHeight);
    if (d.GetX() * d.GetX() + d.GetY() * d.GetY() > static_cast<double>(r) * r)
        return false;
    bool otherShielded = other.GetKind() == KIND_SHIP && static_cast<const CShip&>(other).ShieldsUp();
    if (otherShielded && ShieldsUp())
        return true;
    CVector offset;
    if (!OutlineOffset(GetPosition(), other.GetPosition(), r, worldWidth, worldHeight, offset))
        return false;
    const std::list<CollisionPolygon>& own =
        ShieldsUp() ? m_rotatedShield.Get(m_shieldOutline, GetAngle()) : GetRotatedOutline();
    return OutlinesOverlap(own, other.GetRotatedOutline(), offset);
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
