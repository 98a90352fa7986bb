#include "game/Projectiles.h"

#include "game/Settings.h"
#include "game/Trig.h"

#include <algorithm>
#include <cmath>

namespace
{
// The steering turns radians into degrees with this rather than 2 pi, so every
// turn comes out a hair smaller; server and client must agree on it.
constexpr double kFullTurnRadians = 6.283194;
} // namespace

CMissile::CMissile() : CTimedObject(KIND_MISSILE)
{
    AddOutline(CollisionPolygon{{-3, -6}, {3, -6}, {3, 6}, {-3, 6}});
    SetRadius(10);
    SetTurnRate(450);
    SetAccelerationRate(700);
    SetMaxSpeed(g_settings.MissileMaxSpeed);
}

void CMissile::ForgetTarget(const CGameObject* gone)
{
    if (m_target == gone)
        m_target = nullptr;
}

void CMissile::TurnBy(float degrees, int32_t elapsed)
{
    if (!std::isfinite(degrees))
        return;
    float limit = GetTurnRate() * static_cast<float>(std::max(elapsed, 0)) / 1000.0f;
    float step = std::min(std::fabs(degrees), limit);
    StoreAngle(trig::WrapAngle360(GetAngle() + std::copysign(step, degrees)));
}

void CMissile::Update(int32_t elapsed)
{
    // Without a live target the missile is inert: it neither steers nor ages,
    // and flies on at its last velocity until it hits something.
    if (!m_target || !m_target->IsActive())
        return;
    if (HasExpired(g_settings.MissileLifetime))
    {
        Kill();
        return;
    }
    CVector aim = m_target->GetPosition() + m_target->GetVelocity() * (elapsed / 1000.0);
    CVector toAim = aim - GetPosition();
    CVector direction(WrapOffset(toAim.GetX(), m_worldWidth), WrapOffset(toAim.GetY(), m_worldHeight), 0);
    direction.Normalize();
    CVector steer = direction * GetMaxSpeed() - GetVelocity();
    steer.SetZ(0);
    steer.Normalize();

    CVector heading = trig::Heading(GetAngle());
    CVector across(-heading.GetY(), heading.GetX(), 0);
    double cosine = std::clamp(steer.Dot(heading), -1.0, 1.0);
    float turn = static_cast<float>(std::acos(cosine) / kFullTurnRadians * 360.0);
    if (heading.Dot(direction) < 0)
        turn = -turn;
    TurnBy(steer.Dot(across) < 0 ? -turn : turn, elapsed);
    Thrust(elapsed);
}
