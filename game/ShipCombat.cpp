// What collisions do to a ship (pickups, shielded bounces, hits) and the
// ship's own collision test.
#include "game/Ship.h"

#include "game/Powerup.h"
#include "game/Settings.h"

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
