#include "game/Ship.h"

#include "game/Settings.h"
#include "game/Trig.h"
#include "platform/Clock.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>

namespace
{
using Point = CollisionPolygon::Point;

struct ShipTypeInfo
{
    std::initializer_list<std::initializer_list<Point>> outline;
    Point muzzle;
};

// Outlines in ship space, +y being the nose, counter-clockwise; in type
// order, as the pictures in ShipDraw.cpp.
const ShipTypeInfo kShipTypeTable[CShip::kShipTypes] = {
    {{{{6, -7}, {-1, 11}, {-8, -7}}}, {-1, 18}},
    {{{{-10, 5}, {-8, -8}, {-3, -11}, {3, -11}, {8, -8}, {10, 5}, {0, 8}}}, {0, 15}},
    {{{{-10, -3}, {-10, -5}, {-4, -10}, {4, -10}, {10, -5}, {10, -3}, {0, 11}}}, {0, 18}},
    {{{{-10, 4}, {-10, -8}, {10, -8}, {10, 4}, {0, 11}}}, {0, 18}},
    {{{{-7, -6}, {-3, -11}, {3, -11}, {7, -6}, {0, 0}}, {{-10, 7}, {-10, -7}, {10, -7}, {10, 7}}}, {0, 14}},
    {{{{-10, -6}, {10, -6}, {0, 0}}, {{-5, -2}, {5, -2}, {0, 10}}}, {0, 18}},
};

bool KnownType(int32_t type)
{
    return type >= 0 && type < CShip::kShipTypes;
}

float CostOf(int32_t kind)
{
    const GameSettings& s = g_settings;
    switch (kind)
    {
    case COST_THRUST:
        return s.ThrustCost;
    case COST_SHIELD:
        return s.ShieldCost;
    case COST_CLOAK:
        return s.CloakCost;
    case COST_REPULSE:
        return s.RepulseCost;
    case COST_WEAPON:
        return s.WeaponCost;
    case COST_TRIPLE_SHOT:
        return s.WeaponCost * 3;
    case COST_COLLISION:
        return s.BaseCollisionCost;
    case COST_BULLET_HIT:
        return s.BulletDamage;
    case COST_MISSILE_HIT:
        return s.MissileDamage;
    case COST_MINE_HIT:
        return s.MineDamage;
    default:
        return s.PlasmaMineDamage;
    }
}
} // namespace

CShip::CShip() : CGameObject(KIND_SHIP)
{
    SetShipType(4);
}

void CShip::BuildOutline(int32_t type)
{
    ClearOutline();
    if (!KnownType(type))
    {
        AddOutline(CollisionPolygon());
        return;
    }
    for (const auto& points : kShipTypeTable[type].outline)
        AddOutline(CollisionPolygon(points));
    m_muzzle = CVector(kShipTypeTable[type].muzzle.x, kShipTypeTable[type].muzzle.y, 0);
}

// A regular octagon of circumradius 16 from (0, -16), each vertex 45 degrees on.
void CShip::BuildShieldOutline()
{
    m_shieldOutline.clear();
    CollisionPolygon octagon;
    for (int vertex = 0; vertex < 8; ++vertex)
    {
        CVector p = trig::Rotate(CVector(0, -16, 0), static_cast<float>(vertex * 45));
        octagon.AddPoint(static_cast<float>(p.GetX()), static_cast<float>(p.GetY()));
    }
    m_shieldOutline.push_back(octagon);
    m_rotatedShield.Invalidate();
}

void CShip::SetShipType(int32_t type)
{
    const GameSettings& s = g_settings;
    m_shipType = type;
    BuildOutline(type);
    BuildShieldOutline();
    SetTurnRate(s.BaseTurnRate);
    SetAccelerationRate(s.BaseAccelRate);
    SetMaxSpeed(s.BaseMaxSpeed);
    m_bulletRate = s.BaseROF;
    m_missileRate = s.MissileROF;
    m_mineRate = s.MineROF;
    m_repulseRate = s.RepulseROF;
    SetRadius(16);
    m_capacity = s.BaseFuelCapacity;
    m_fuel = s.BaseFuelCapacity;
    m_fuelRange = s.FuelRange;
}

void CShip::Respawn(float x, float y)
{
    CGameObject::Respawn(x, y);
    const GameSettings& s = g_settings;
    m_capacity = s.BaseFuelCapacity;
    m_fuel = m_capacity;
    m_status = 0;
    m_cloakStart = 0;
    m_missiles = static_cast<int8_t>(s.StartingMissiles);
    m_mines = static_cast<int8_t>(s.StartingMines);
    m_plasmaMines = static_cast<int8_t>(s.StartingPlasmaMines);
    m_repulses = static_cast<int8_t>(s.StartingRepulse);
}

void CShip::SetName(const char* name)
{
    m_name.assign(name ? name : "", name ? std::min(std::strlen(name), kMaxName) : 0);
}

void CShip::GetName(char* buffer, size_t size) const
{
    if (!buffer || size == 0)
        return;
    std::memset(buffer, 0, size);
    std::strncpy(buffer, m_name.c_str(), size - 1);
}

void CShip::SetFrags(int32_t value)
{
    if (value > -127 && value < 127)
        m_frags = static_cast<int8_t>(value);
}

void CShip::AddFrags(int32_t delta)
{
    if (delta <= -127 || delta >= 127)
        return;
    m_frags = static_cast<int8_t>(std::clamp(m_frags + delta, -126, 127));
}

void CShip::SetFuel(float value)
{
    if (value >= 0 && value <= m_capacity)
        m_fuel = value;
}

void CShip::AddFuel(float amount)
{
    m_fuel = std::clamp(m_fuel + amount, 0.0f, std::max(m_capacity, 0.0f));
}

void CShip::SetCapacity(float capacity)
{
    if (capacity >= 0)
        m_capacity = capacity;
}

bool CShip::UseFuel(int32_t kind, float scale)
{
    if (kind < 0 || kind > COST_PLASMA_MINE_HIT)
        return false;
    float cost = CostOf(kind) * scale;
    if (cost > m_fuel)
        return false;
    m_fuel -= cost;
    return true;
}

void CShip::SetBulletRate(float rate)
{
    if (rate >= 0)
        m_bulletRate = rate;
}

void CShip::SetMissileRate(float rate)
{
    if (rate >= 0)
        m_missileRate = rate;
}

void CShip::SetMineRate(float rate)
{
    if (rate >= 0)
        m_mineRate = rate;
}

void CShip::SetRepulseRate(float rate)
{
    if (rate >= 0)
        m_repulseRate = rate;
}

bool CShip::CanFire(uint32_t& last, float rate)
{
    uint32_t now = GetTickCount();
    if (!(static_cast<float>(now - last) > 1000.0f / rate))
        return false;
    last = now;
    return true;
}

bool CShip::CanFireBullet()
{
    return !ShieldsUp() && CanFire(m_lastBullet, m_bulletRate);
}

bool CShip::CanFireMissile()
{
    return !ShieldsUp() && CanFire(m_lastMissile, m_missileRate);
}

bool CShip::CanFireMine()
{
    return !ShieldsUp() && CanFire(m_lastMine, m_mineRate);
}

bool CShip::CanFireRepulse()
{
    return CanFire(m_lastRepulse, m_repulseRate);
}
