#include "game/Turret.h"

#include "platform/Clock.h"

namespace
{
struct FacingInfo
{
    float gunX, gunY;
    CollisionPolygon::Point outline[3];
};

// Each outline is a triangle with its apex at the cell centre and its base on
// the cell edge opposite the facing.
const FacingInfo kFacings[4] = {
    {0, -5, {{0, 0}, {16, 16}, {-16, 16}}},
    {5, 0, {{0, 0}, {-16, 16}, {-16, -16}}},
    {0, 5, {{0, 0}, {-16, -16}, {16, -16}}},
    {-5, 0, {{0, 0}, {16, -16}, {16, 16}}},
};

const FacingInfo& Info(int32_t facing)
{
    return kFacings[facing >= 0 && facing < 4 ? facing : 0];
}
} // namespace

CTurret::CTurret() : CGameObject(KIND_TURRET, kRespawnDelay)
{
    SetFacing(FACING_UP);
}

int32_t CTurret::FacingForTileCode(int32_t code)
{
    switch (code)
    {
    case 9:
        return FACING_UP;
    case 10:
        return FACING_LEFT;
    case 11:
        return FACING_DOWN;
    case 12:
        return FACING_RIGHT;
    default:
        return -1;
    }
}

void CTurret::SetFacing(int32_t facing)
{
    const FacingInfo& info = Info(facing);
    m_facing = facing >= 0 && facing < 4 ? facing : FACING_UP;
    m_gunOffset = CVector(info.gunX, info.gunY, 0);
    ClearOutline();
    AddOutline(CollisionPolygon{info.outline[0], info.outline[1], info.outline[2]});
    SetRadius(32);
    SetRange(256);
    SetRateOfFire(3);
}

void CTurret::SetRateOfFire(float shotsPerSecond)
{
    if (shotsPerSecond >= 0)
        m_rateOfFire = shotsPerSecond;
}

void CTurret::SetRange(float range)
{
    if (range < 0)
        return;
    m_range = range;
    m_rangeSquared = range * range;
}

bool CTurret::CanFire() const
{
    return static_cast<float>(GetTickCount() - m_lastShot) > 1000.0f / m_rateOfFire;
}

void CTurret::MarkFired()
{
    m_lastShot = GetTickCount();
}

bool CTurret::InRange(const CGameObject& ship) const
{
    CVector d = ship.GetPosition() - GetPosition();
    d.SetZ(0);
    return d.Dot(d) <= m_rangeSquared && d.Dot(m_gunOffset) > 0;
}

void CTurret::OnCollide(CGameObject&)
{
    Kill();
}

void CTurret::Respawn(float, float)
{
    if (m_deadTime >= m_respawnDelay)
        m_active = true;
}
