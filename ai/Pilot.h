// CPilot flies one ship for the computer. Each tick it chooses the keys its
// ship holds, as a player's client would, so the ship obeys every rule a
// player's does; what it goes by is what a player could see: the map, its
// own ship, the ships that are not cloaked and the objects in the world. It
// never reads another player's keys.
//
// It thinks on three clocks, all in game time:
// - a decision every 150 to 250 ms (a player's reaction time): what to go
//   for (an enemy, a powerup, a fuel block when fuel is low, or somewhere to
//   roam), whom to shoot and where to aim (with lead and a small error),
//   which special weapon would help, and whether something is about to hit;
// - its way, planned over the CNavGrid with A*, at most a few times a second
//   and reused in between;
// - its hands, every 30 ms: the velocity it wants along the path (slow
//   enough to stop before the rock it cannot see past), and shields when the
//   ship is about to touch rock; then every tick the turn, thrust, fire and
//   refuel keys that bring the ship to that velocity and aim. A ship that
//   cloaks or dies is out of its sight at once, and no longer shot at.
//
// Every random choice comes from the pilot's own seeded generator, so the
// same seed and the same world give the same flight.
#pragma once

#include "ai/NavGrid.h"
#include "ai/PathPlanner.h"
#include "game/HeldKeys.h"
#include "game/ObjectId.h"
#include "game/Vector.h"
#include "platform/Random.h"

#include <cstdint>
#include <vector>

class CGameWorld;
class CShip;
class CGameObject;

class CPilot
{
public:
    CPilot(ObjectId shipId, uint32_t seed);

    ObjectId GetShipId() const { return m_shipId; }
    // Chooses the keys for the coming tick; `elapsed` is the game time since
    // the last call. The grid must follow the world's map. No keys while the
    // ship is out of play.
    const HeldKeys& Think(CGameWorld& world, const CNavGrid& grid, int32_t elapsed);
    const HeldKeys& GetKeys() const { return m_keys; }

private:
    enum class Goal
    {
        Roam,
        Hunt,
        Engage,
        Powerup,
        Refuel,
    };

    // What the pilot saw of the nearest enemy at its last decision.
    struct Sighting
    {
        ObjectId id = 0;
        CVector offset;   // from the own ship, the short way round
        CVector velocity; // the enemy's own
        double distance = 0;
        bool inSight = false; // nothing solid between
    };

    void Restart(const CNavGrid& grid);
    void Decide(CGameWorld& world, const CNavGrid& grid, const CShip& ship);

    // Goals and the way to them (Pilot.cpp).
    void UpdateFuelNeed(const CShip& ship);
    void ChooseGoal(CGameWorld& world, const CNavGrid& grid, const CShip& ship);
    bool NearestPowerup(CGameWorld& world, const CNavGrid& grid, const CShip& ship,
                        CNavGrid::CellIndex& cell) const;
    CNavGrid::CellIndex NearestStation(const CNavGrid& grid, const CShip& ship) const;
    CNavGrid::CellIndex RoamCell(const CNavGrid& grid);
    CNavGrid::CellIndex OpenCellNear(const CNavGrid& grid, CNavGrid::CellIndex cell) const;
    void SetGoal(Goal goal, CNavGrid::CellIndex cell);
    void PlanIfDue(const CNavGrid& grid, const CShip& ship);

    // Seeing and fighting (PilotCombat.cpp).
    void LookForEnemy(CGameWorld& world, const CShip& ship);
    bool StillInView(CGameWorld& world) const;
    void PlanWeapons(CGameWorld& world, const CShip& ship);
    void AimAt(const CShip& ship);
    void PlanSpecials(CGameWorld& world, const CShip& ship);
    bool OnCollisionCourse(const CGameWorld& world, const CShip& ship, const CGameObject& other) const;
    bool SomethingComing(CGameWorld& world, const CShip& ship) const;
    bool MineAboutToBlow(CGameWorld& world, const CShip& ship) const;
    bool EnemyClose(CGameWorld& world, const CShip& ship, double range) const;

    // Flying (PilotFlight.cpp).
    void Steer(const CNavGrid& grid, const CShip& ship);
    CVector FollowPath(const CNavGrid& grid, const CShip& ship);
    CVector HoldAtGoal(const CNavGrid& grid, const CShip& ship) const;
    CVector SeekPoint(const CShip& ship, const CVector& offset, bool stop) const;
    CVector EngageVelocity(const CNavGrid& grid, const CShip& ship) const;
    void AdvanceAlongPath(const CNavGrid& grid, const CVector& position);
    bool RockAhead(const CNavGrid& grid, const CShip& ship) const;
    void PressKeys(const CShip& ship, int32_t elapsed);
    void PressFlightKeys(const CShip& ship, int32_t elapsed, bool aiming);
    void PressWeaponKeys(const CShip& ship, bool shields);
    void Hold(uint32_t code);

    ObjectId m_shipId;
    platform::RandomStream m_random;
    HeldKeys m_keys{};
    size_t m_keyCount = 0;

    // Game time, ms, since the pilot first flew, and when each clock is due.
    int64_t m_clock = 0;
    int64_t m_nextDecision = 0;
    int64_t m_nextSteer = 0;
    int64_t m_lastPlan = -1000000;
    bool m_wasInPlay = false;
    uint32_t m_gridGeneration = 0;

    // The decision's outcome.
    Goal m_goal = Goal::Roam;
    CNavGrid::CellIndex m_goalCell = -1;
    CNavGrid::CellIndex m_plannedGoal = -1;
    bool m_refuelling = false;
    Sighting m_enemy;
    bool m_fire = false;
    float m_aimAngle = 0;
    float m_aimTolerance = 0;
    bool m_threat = false;
    // One press each, cleared once held.
    bool m_missile = false, m_mine = false, m_plasma = false, m_repulse = false, m_cloak = false;

    // The way and the hands.
    CPathPlanner m_planner;
    std::vector<CNavGrid::CellIndex> m_path;
    size_t m_pathIndex = 0;
    bool m_offPath = false;
    CVector m_wantedVelocity;
    bool m_rockAhead = false;
};
