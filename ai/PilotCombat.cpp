// What the pilot sees of the others and how it fights them.
#include "ai/Gunnery.h"
#include "ai/Pilot.h"

#include "game/Settings.h"
#include "game/Ship.h"
#include "game/World.h"

#include <algorithm>
#include <cmath>

namespace
{
// Enemies further than this (units) are hunted, not shot at.
constexpr double kFireRange = 560;
// Missiles between these distances: nearer, bullets do as well.
constexpr double kMissileNear = 120, kMissileRange = 700;
// An enemy closing faster than this (units/s) and nearer than the second
// figure gets a mine in its way.
constexpr double kChargeSpeed = 80, kMineLayRange = 330;
// How far off the aim may be, in degrees: a small error drawn at each
// decision, and the spread within which the pilot pulls the trigger.
constexpr float kAimErrorDegrees = 3.0f;
constexpr float kMinTolerance = 2.0f, kMaxTolerance = 8.0f;
// A shot's half width plus a margin, for the trigger's tolerance.
constexpr double kTargetHalfWidth = 11.0;
// How far ahead (s) and how near (units beyond the two radii) a projectile
// must pass for the shields to go up.
constexpr double kThreatHorizon = 0.45;
constexpr double kThreatMargin = 8.0;
// A mine this near, with a ship in its trigger range, is about to blow.
constexpr double kBlastWatch = 260;
constexpr double kRepulseRange = 140;
constexpr double kDegreesPerRadian = 180.0 / 3.14159265358979323846;

bool IsProjectile(int32_t kind)
{
    return kind == KIND_BULLET || kind == KIND_MISSILE || kind == KIND_SHRAPNEL || kind == KIND_MINE ||
           kind == KIND_PLASMA_MINE;
}
bool IsMine(int32_t kind)
{
    return kind == KIND_MINE || kind == KIND_PLASMA_MINE;
}
double Length(const CVector& v)
{
    return gunnery::PlanarLength(v);
}
// From one thing in the world to another, the short way round.
CVector Between(const CGameWorld& world, const CGameObject& from, const CGameObject& to)
{
    return WrappedOffset(from.GetPosition(), to.GetPosition(), static_cast<float>(world.GetWorldWidth()),
                         static_cast<float>(world.GetWorldHeight()));
}
// A ship the pilot can see: in play and not cloaked.
bool Visible(const CShip& ship)
{
    return ship.IsActive() && !ship.TestStatusBits(STATUS_CLOAKED);
}
} // namespace

void CPilot::LookForEnemy(CGameWorld& world, const CShip& ship)
{
    const CShip* nearest = nullptr;
    m_enemy = Sighting{};
    for (const CShip& other : world.Players())
    {
        if (&other == &ship || !Visible(other))
            continue;
        CVector offset = Between(world, ship, other);
        double distance = Length(offset);
        if (!nearest || distance < m_enemy.distance)
        {
            nearest = &other;
            m_enemy.id = other.GetId();
            m_enemy.offset = offset;
            m_enemy.velocity = other.GetVelocity();
            m_enemy.distance = distance;
        }
    }
    if (nearest)
        m_enemy.inSight = m_enemy.distance < kFireRange && world.HasClearLine(ship, *nearest);
}

// A ship that cloaks or dies vanishes from view at once, and the pilot stops
// shooting where it was.
bool CPilot::StillInView(CGameWorld& world) const
{
    const CShip* enemy = world.FindPlayer(m_enemy.id);
    return enemy && Visible(*enemy);
}

void CPilot::PlanWeapons(CGameWorld& world, const CShip& ship)
{
    m_fire = m_enemy.id != 0 && m_enemy.inSight;
    if (m_fire)
        AimAt(ship);
    PlanSpecials(world, ship);
}

// Leads the enemy as it was seen, with this decision's aim error; the
// nearer the enemy, the wider the trigger's tolerance.
void CPilot::AimAt(const CShip& ship)
{
    CVector relative = m_enemy.velocity - ship.GetVelocity();
    relative.SetZ(0);
    CVector aim = m_enemy.offset;
    double time = 0;
    if (gunnery::InterceptTime(m_enemy.offset, relative, g_settings.BulletMinSpeed, time))
        aim = m_enemy.offset + relative * time;
    float error = m_random.Between(-kAimErrorDegrees, kAimErrorDegrees);
    m_aimAngle = std::fmod(gunnery::HeadingAngle(aim) + error + 360.0f, 360.0f);
    double spread = std::atan2(kTargetHalfWidth, std::max(Length(aim), 1.0)) * kDegreesPerRadian;
    m_aimTolerance = std::clamp(static_cast<float>(spread), kMinTolerance, kMaxTolerance);
}

// Missiles at an enemy in sight; a mine or plasma mine laid in the way of an
// enemy coming straight at the pilot; the repulsor against anything about to
// hit; the cloak once an enemy is near.
void CPilot::PlanSpecials(CGameWorld& world, const CShip& ship)
{
    bool sighted = m_enemy.id != 0 && m_enemy.inSight;
    CVector closing = m_enemy.velocity - ship.GetVelocity();
    bool coming = sighted && m_enemy.distance < kMineLayRange &&
                  closing.Dot(m_enemy.offset) < -kChargeSpeed * m_enemy.distance;
    m_missile = sighted && ship.GetMissiles() > 0 && m_enemy.distance < kMissileRange &&
                m_enemy.distance > kMissileNear;
    m_mine = coming && ship.GetMines() > 0;
    m_plasma = coming && !m_mine && ship.GetPlasmaMines() > 0;
    m_repulse = ship.GetRepulses() > 0 && (EnemyClose(world, ship, kRepulseRange) || m_threat);
    m_cloak = ship.TestStatusBits(STATUS_CLOAK_HELD) && !ship.TestStatusBits(STATUS_CLOAKED) && sighted;
}

// Whether `other` comes closer and its course passes within reach of the
// ship soon. What moves away is no threat, however near: the pilot's own
// shot leaving the muzzle above all.
bool CPilot::OnCollisionCourse(const CGameWorld& world, const CShip& ship, const CGameObject& other) const
{
    double reach = (g_settings.BulletMaxSpeed + ship.GetMaxSpeed()) * kThreatHorizon;
    CVector offset = Between(world, ship, other);
    if (std::fabs(offset.GetX()) > reach || std::fabs(offset.GetY()) > reach)
        return false;
    CVector relative = other.GetVelocity() - ship.GetVelocity();
    relative.SetZ(0);
    if (relative.Dot(offset) >= 0)
        return false;
    double near = ship.GetRadius() + other.GetRadius() + kThreatMargin;
    return gunnery::ClosestApproach(offset, relative, kThreatHorizon) < near;
}

// A bullet, missile, fragment or mine, or a ship in sight, about to hit.
bool CPilot::SomethingComing(CGameWorld& world, const CShip& ship) const
{
    for (const CGameObject& object : world.Objects())
        if (object.IsActive() && IsProjectile(object.GetKind()) && OnCollisionCourse(world, ship, object))
            return true;
    for (const CShip& other : world.Players())
        if (&other != &ship && Visible(other) && OnCollisionCourse(world, ship, other))
            return true;
    return false;
}

// A mine near the pilot that a ship is about to set off: an enemy's mine
// that the pilot itself comes near, or the pilot's own with an enemy by it.
bool CPilot::MineAboutToBlow(CGameWorld& world, const CShip& ship) const
{
    for (const CGameObject& mine : world.Objects())
    {
        if (!mine.IsActive() || !IsMine(mine.GetKind()))
            continue;
        double distance = Length(Between(world, ship, mine));
        if (distance > kBlastWatch)
            continue;
        if (mine.GetOwnerId() != ship.GetId())
            return true;
        for (const CShip& other : world.Players())
        {
            double gap = Length(Between(world, other, mine));
            if (&other != &ship && Visible(other) && gap < kBlastWatch)
                return true;
        }
    }
    return false;
}

bool CPilot::EnemyClose(CGameWorld& world, const CShip& ship, double range) const
{
    for (const CShip& other : world.Players())
        if (&other != &ship && Visible(other) && Length(Between(world, ship, other)) < range)
            return true;
    return false;
}
