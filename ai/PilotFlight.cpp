// The pilot's hands: the velocity it wants, and the keys that get it there.
#include "ai/Gunnery.h"
#include "ai/Pilot.h"

#include "game/Settings.h"
#include "game/Ship.h"
#include "game/World.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace
{
// The hands look again after this much game time (ms).
constexpr int64_t kSteerMs = 30;
// Top speed the pilot flies at (units/s); the ship could go 768, but then it
// could never stop before the rock it does not yet see.
constexpr double kCruiseSpeed = 380;
// With too little fuel left for shields against rock, it flies slower.
constexpr double kCarefulSpeed = 200;
constexpr float kCarefulFuel = 15;
// Turning about before braking, with a little hesitation (s).
constexpr double kTurnAboutSeconds = 0.6;
// The path's cells it looks ahead along for a straight run, and the room
// (units from the ship's centre) a run must leave to the rock; a tight
// tunnel makes do with less.
constexpr size_t kLookaheadCells = 8;
constexpr double kRoomyClearance = 18;
constexpr double kTightClearance = 10;
// A path cell this near counts as reached; one this far means the ship has
// left its path.
constexpr double kReachedUnits = 20;
constexpr double kOffPathUnits = 4 * 32;
// Without a path, a goal this near is flown to straight.
constexpr double kNearGoalUnits = 1.5 * 32;
// Rock within the ship's reach over this many seconds of its course raises
// the shields.
constexpr double kRockHorizon = 0.3;
// The furthest point of any ship's outline from its centre, and a margin.
constexpr double kShipReach = 14;
// A ship grazing rock wants this much speed (units/s per unit of overlap)
// away from it: a shielded ship sliding along a wall would otherwise stay
// caught on it.
constexpr double kEscapePerUnit = 12;
// The shield outline's reach: rock this near is touched with shields up.
constexpr double kShieldReach = 17;
// Velocity errors below this (units/s) are left alone; above the second the
// pilot flies first and aims second.
constexpr double kVelocitySlack = 12;
constexpr double kUrgentError = 70;
// Thrust only with the nose this close (degrees) to the wanted change.
constexpr float kThrustCone = 20;
// Special weapons go when the nose is this close to the aim.
constexpr float kSpecialCone = 25;
// Shields against rock only with more fuel than this in the tank; against
// a shot only with enough to take the hit (a shot that empties the tank
// kills through the shields).
constexpr float kShieldReserve = 3;
// Where the pilot likes to fight from (units from the enemy).
constexpr double kFightNear = 170, kFightFar = 330;
constexpr double kFightSpeed = 140;

double Length(const CVector& v)
{
    return gunnery::PlanarLength(v);
}
CVector Scaled(const CVector& direction, double length)
{
    double current = Length(direction);
    return current > 0 ? CVector(direction.GetX() * length / current, direction.GetY() * length / current, 0)
                       : CVector();
}
} // namespace

void CPilot::Steer(const CNavGrid& grid, const CShip& ship)
{
    m_nextSteer = m_clock + kSteerMs;
    m_wantedVelocity = m_goal == Goal::Engage ? EngageVelocity(grid, ship) : FollowPath(grid, ship);
    m_wantedVelocity =
        m_wantedVelocity + grid.AwayFromRock(ship.GetPosition(), kShieldReach) * kEscapePerUnit;
    m_rockAhead = RockAhead(grid, ship);
}

// Towards the furthest cell of the path ahead that the ship can fly to in a
// straight line, at a speed it can still stop from before that point.
CVector CPilot::FollowPath(const CNavGrid& grid, const CShip& ship)
{
    CVector position = ship.GetPosition();
    float width = grid.GetWorldWidth(), height = grid.GetWorldHeight();
    AdvanceAlongPath(grid, position);
    if (m_pathIndex >= m_path.size())
        return HoldAtGoal(grid, ship);
    size_t last = std::min(m_pathIndex + kLookaheadCells, m_path.size() - 1);
    for (double clearance : {kRoomyClearance, kTightClearance})
        for (size_t k = last + 1; k-- > m_pathIndex;)
        {
            CVector offset = WrappedOffset(position, grid.FlyPoint(m_path[k]), width, height);
            if (grid.IsSweepClear(position, offset, clearance))
                return SeekPoint(ship, offset, k + 1 == m_path.size());
        }
    CVector next = WrappedOffset(position, grid.FlyPoint(m_path[m_pathIndex]), width, height);
    return SeekPoint(ship, next, true);
}

// At the goal, the pilot holds there; anywhere else (no way found yet) it
// waits for a path rather than fly straight at the goal.
CVector CPilot::HoldAtGoal(const CNavGrid& grid, const CShip& ship) const
{
    if (m_goalCell < 0)
        return SeekPoint(ship, CVector(), true);
    CVector offset = WrappedOffset(ship.GetPosition(), grid.FlyPoint(m_goalCell), grid.GetWorldWidth(),
                                   grid.GetWorldHeight());
    return SeekPoint(ship, Length(offset) < kNearGoalUnits ? offset : CVector(), true);
}

void CPilot::AdvanceAlongPath(const CNavGrid& grid, const CVector& position)
{
    float width = grid.GetWorldWidth(), height = grid.GetWorldHeight();
    auto distanceTo = [&](size_t index)
    { return Length(WrappedOffset(position, grid.FlyPoint(m_path[index]), width, height)); };
    while (m_pathIndex < m_path.size() && distanceTo(m_pathIndex) < kReachedUnits)
        ++m_pathIndex;
    if (m_pathIndex + 1 < m_path.size() && distanceTo(m_pathIndex + 1) < distanceTo(m_pathIndex))
        ++m_pathIndex;
    m_offPath = m_pathIndex < m_path.size() && distanceTo(m_pathIndex) > kOffPathUnits;
}

// The velocity that takes the ship to `offset` away: as fast as it can
// still stop from (at the point itself when `stop`, a cell further
// otherwise), and slowing to rest there when `stop`.
CVector CPilot::SeekPoint(const CShip& ship, const CVector& offset, bool stop) const
{
    double distance = Length(offset);
    double room = stop ? distance : distance + 32;
    double cruise = ship.GetFuel() < kCarefulFuel ? kCarefulSpeed : kCruiseSpeed;
    double speed =
        std::min(cruise, gunnery::StoppingSpeed(room, ship.GetAccelerationRate(), kTurnAboutSeconds));
    if (stop)
        speed = std::min(speed, distance * 2.0);
    return Scaled(offset, speed);
}

// Keeps the enemy between the near and far fighting distances, and holds
// still rather than fly into rock.
CVector CPilot::EngageVelocity(const CNavGrid& grid, const CShip& ship) const
{
    CVector wanted;
    if (m_enemy.distance > kFightFar)
        wanted = Scaled(m_enemy.offset, kFightSpeed);
    else if (m_enemy.distance < kFightNear)
        wanted = Scaled(m_enemy.offset, -kFightSpeed);
    if (!grid.IsSweepClear(ship.GetPosition(), wanted * kTurnAboutSeconds, kRoomyClearance))
        return CVector();
    return wanted;
}

bool CPilot::RockAhead(const CNavGrid& grid, const CShip& ship) const
{
    return !grid.IsSweepClear(ship.GetPosition(), ship.GetVelocity() * kRockHorizon, kShipReach);
}

void CPilot::PressKeys(const CShip& ship, int32_t elapsed)
{
    bool shields = (m_threat && ship.GetFuel() > g_settings.BulletDamage) ||
                   (m_rockAhead && ship.GetFuel() > kShieldReserve);
    PressFlightKeys(ship, elapsed, m_fire);
    if (shields)
        Hold(KEY_SHIELDS);
    PressWeaponKeys(ship, shields);
    if (!shields && ship.GetFuel() < ship.GetCapacity())
        Hold(KEY_FUEL_UP);
}

// Turns towards the wanted change of velocity and thrusts once the nose is
// on it; with little to change, turns to the aim instead.
void CPilot::PressFlightKeys(const CShip& ship, int32_t elapsed, bool aiming)
{
    CVector change = m_wantedVelocity - ship.GetVelocity();
    change.SetZ(0);
    double error = Length(change);
    float changeAngle = gunnery::HeadingAngle(change);
    float face = ship.GetAngle();
    if (error > kUrgentError || (!aiming && error > kVelocitySlack))
        face = changeAngle;
    else if (aiming)
        face = m_aimAngle;
    else if (m_enemy.id != 0)
        face = gunnery::HeadingAngle(m_enemy.offset);
    float turn = gunnery::TurnNeeded(ship.GetAngle(), face);
    float step = ship.GetTurnRate() * static_cast<float>(std::max(elapsed, 1)) / 1000.0f;
    if (std::fabs(turn) > step / 2)
        Hold(turn > 0 ? KEY_TURN_RIGHT : KEY_TURN_LEFT);
    if (error > kVelocitySlack && std::fabs(gunnery::TurnNeeded(ship.GetAngle(), changeAngle)) < kThrustCone)
        Hold(KEY_THRUST);
}

void CPilot::PressWeaponKeys(const CShip& ship, bool shields)
{
    if (m_repulse)
        Hold(KEY_FIRE_REPULSOR);
    if (m_cloak)
        Hold(KEY_CLOAK);
    m_repulse = m_cloak = false;
    if (shields || !m_fire)
        return;
    float off = std::fabs(gunnery::TurnNeeded(ship.GetAngle(), m_aimAngle));
    if (off < m_aimTolerance)
        Hold(KEY_FIRE_BULLET);
    if (off >= kSpecialCone)
        return;
    if (std::exchange(m_missile, false))
        Hold(KEY_FIRE_MISSILE);
    if (std::exchange(m_mine, false))
        Hold(KEY_FIRE_MINE);
    if (std::exchange(m_plasma, false))
        Hold(KEY_FIRE_PLASMA);
}

void CPilot::Hold(uint32_t code)
{
    if (m_keyCount < m_keys.size())
        m_keys[m_keyCount++] = code;
}
