#include "game/Powerup.h"

#include "game/Projectiles.h"
#include "game/Settings.h"
#include "game/Ship.h"
#include "game/Trig.h"

namespace
{
// A regular octagon of circumradius 16 from (0, -16), counter-clockwise, with
// the first point repeated at the end.
CollisionPolygon Octagon()
{
    const CVector start(0, -16, 0);
    CollisionPolygon octagon;
    for (int step = 0; step < 8; ++step)
    {
        CVector point = trig::Rotate(start, static_cast<float>(step * 45));
        octagon.AddPoint(static_cast<float>(point.GetX()), static_cast<float>(point.GetY()));
    }
    octagon.AddPoint(0, -16);
    return octagon;
}

// Ships are the only objects of kind 1, but only a CShip knows its shields.
bool ShieldsDown(const CGameObject& other)
{
    const auto* ship = dynamic_cast<const CShip*>(&other);
    return !ship || !ship->ShieldsUp();
}
} // namespace

CPowerup::CPowerup() : CTimedObject(KIND_POWERUP)
{
    SetType(POWERUP_TRIPLE_SHOT);
}

bool CPowerup::IsValidType(int32_t type)
{
    return type >= 0 && type < CPowerup::kTypes;
}

void CPowerup::SetType(int32_t type)
{
    m_type = IsValidType(type) ? type : POWERUP_TRIPLE_SHOT;
    static const CollisionPolygon octagon = Octagon();
    ClearOutline();
    AddOutline(octagon);
}

void CPowerup::Update(int32_t)
{
    if (HasExpired(g_settings.PowerupLifetime))
        Kill();
}

void CPowerup::OnCollide(CGameObject& other)
{
    // A ship with its shields down picks the powerup up (the ship applies the
    // effect); anything else, a shielded ship included, bounces it away.
    if (other.GetKind() == KIND_SHIP && ShieldsDown(other))
    {
        Kill();
        return;
    }
    SetVelocity(BounceOff(other, GetPosition(), GetVelocity()));
}
