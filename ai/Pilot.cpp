// The pilot's decisions: when it thinks, what it goes for, and its way there.
#include "ai/Pilot.h"

#include "ai/Gunnery.h"

#include "game/Powerup.h"
#include "game/Ship.h"
#include "game/World.h"

#include <algorithm>
#include <cmath>

namespace
{
// A player's reaction time: the pilot decides anew after each such pause.
constexpr float kReactionMinMs = 150;
constexpr float kReactionMaxMs = 250;
// Fuel shares of the tank: below the first it heads for fuel, and it stays
// there until the second.
constexpr float kFuelLow = 0.35f;
constexpr float kFuelFull = 0.95f;
// Powerups further than this (units) are not worth the trip.
constexpr double kPowerupReach = 420;
// An enemy in sight this close is fought where the pilot is.
constexpr double kEngageRange = 420;
// Planning: never more often than this (ms), and again after this long when
// the goal moves.
constexpr int64_t kPlanPauseMs = 300;
constexpr int64_t kReplanMovingMs = 1200;
// A goal this many cells from the planned one still uses the old path.
constexpr int32_t kGoalSlackCells = 2;
} // namespace

CPilot::CPilot(ObjectId shipId, uint32_t seed) : m_shipId(shipId), m_random(seed) {}

const HeldKeys& CPilot::Think(CGameWorld& world, const CNavGrid& grid, int32_t elapsed)
{
    m_keys.fill(KEY_NONE);
    m_keyCount = 0;
    CShip* ship = world.FindPlayer(m_shipId);
    if (!ship || !ship->IsActive() || grid.IsEmpty())
    {
        m_wasInPlay = false;
        return m_keys;
    }
    if (!m_wasInPlay || grid.GetGeneration() != m_gridGeneration)
        Restart(grid);
    m_clock += std::max(elapsed, 0);
    if (m_clock >= m_nextDecision)
    {
        Decide(world, grid, *ship);
        m_nextDecision = m_clock + static_cast<int64_t>(m_random.Between(kReactionMinMs, kReactionMaxMs));
    }
    if (m_clock >= m_nextSteer)
        Steer(grid, *ship);
    if (m_fire && !StillInView(world))
        m_fire = false;
    PressKeys(*ship, elapsed);
    return m_keys;
}

// A new life, or a new map: nothing planned holds any more.
void CPilot::Restart(const CNavGrid& grid)
{
    m_wasInPlay = true;
    m_gridGeneration = grid.GetGeneration();
    m_path.clear();
    m_pathIndex = 0;
    m_goal = Goal::Roam;
    m_goalCell = m_plannedGoal = -1;
    m_refuelling = false;
    m_enemy = Sighting{};
    m_fire = m_threat = m_rockAhead = false;
    m_missile = m_mine = m_plasma = m_repulse = m_cloak = false;
    m_wantedVelocity = CVector();
    m_nextDecision = m_nextSteer = m_clock;
}

void CPilot::Decide(CGameWorld& world, const CNavGrid& grid, const CShip& ship)
{
    UpdateFuelNeed(ship);
    LookForEnemy(world, ship);
    ChooseGoal(world, grid, ship);
    PlanIfDue(grid, ship);
    m_threat = SomethingComing(world, ship) || MineAboutToBlow(world, ship);
    PlanWeapons(world, ship);
}

void CPilot::UpdateFuelNeed(const CShip& ship)
{
    float share = ship.GetCapacity() > 0 ? ship.GetFuel() / ship.GetCapacity() : 1.0f;
    if (share < kFuelLow)
        m_refuelling = true;
    else if (share >= kFuelFull)
        m_refuelling = false;
}

void CPilot::ChooseGoal(CGameWorld& world, const CNavGrid& grid, const CShip& ship)
{
    CNavGrid::CellIndex powerup = -1, station = m_refuelling ? NearestStation(grid, ship) : -1;
    if (station >= 0)
        SetGoal(Goal::Refuel, station);
    else if (m_enemy.id != 0 && m_enemy.inSight && m_enemy.distance < kEngageRange)
        SetGoal(Goal::Engage, grid.CellAt(ship.GetPosition()));
    else if (NearestPowerup(world, grid, ship, powerup))
        SetGoal(Goal::Powerup, powerup);
    else if (m_enemy.id != 0)
        SetGoal(Goal::Hunt, OpenCellNear(grid, grid.CellAt(ship.GetPosition() + m_enemy.offset)));
    else if (m_goal != Goal::Roam || m_goalCell < 0 || grid.CellAt(ship.GetPosition()) == m_goalCell)
        SetGoal(Goal::Roam, RoamCell(grid));
}

void CPilot::SetGoal(Goal goal, CNavGrid::CellIndex cell)
{
    m_goal = goal;
    m_goalCell = cell;
}

// The nearest powerup in play within reach, and nearer than any enemy.
bool CPilot::NearestPowerup(CGameWorld& world, const CNavGrid& grid, const CShip& ship,
                            CNavGrid::CellIndex& cell) const
{
    double best = m_enemy.id != 0 ? std::min(kPowerupReach, m_enemy.distance) : kPowerupReach;
    bool found = false;
    for (const CGameObject& object : world.Objects())
    {
        if (object.GetKind() != KIND_POWERUP || !object.IsActive())
            continue;
        CVector offset = WrappedOffset(ship.GetPosition(), object.GetPosition(), grid.GetWorldWidth(),
                                       grid.GetWorldHeight());
        double distance = gunnery::PlanarLength(offset);
        CNavGrid::CellIndex at = grid.CellAt(object.GetPosition());
        if (distance < best && !grid.IsBlocked(at))
        {
            best = distance;
            cell = at;
            found = true;
        }
    }
    return found;
}

CNavGrid::CellIndex CPilot::NearestStation(const CNavGrid& grid, const CShip& ship) const
{
    CNavGrid::CellIndex here = grid.CellAt(ship.GetPosition()), best = -1;
    int32_t bestDistance = 0;
    for (CNavGrid::CellIndex station : grid.GetFuelStations())
    {
        int32_t dx = 0, dy = 0;
        grid.Offset(here, station, dx, dy);
        int32_t distance = dx * dx + dy * dy;
        if (best < 0 || distance < bestDistance)
            best = station, bestDistance = distance;
    }
    return best;
}

// Somewhere open and away from rock to fly to when nothing else calls.
CNavGrid::CellIndex CPilot::RoamCell(const CNavGrid& grid)
{
    constexpr int kTries = 64;
    int32_t cells = grid.GetColumns() * grid.GetRows();
    CNavGrid::CellIndex cell = -1;
    for (int i = 0; i < kTries; ++i)
    {
        cell = (m_random.Next() * (platform::kRandMax + 1) + m_random.Next()) % cells;
        if (!grid.IsBlocked(cell) && grid.ExtraCost(cell) < 1.5f)
            return cell;
    }
    return OpenCellNear(grid, cell);
}

// The cell itself when open, else the first open one around it.
CNavGrid::CellIndex CPilot::OpenCellNear(const CNavGrid& grid, CNavGrid::CellIndex cell) const
{
    if (cell < 0 || !grid.IsBlocked(cell))
        return cell;
    int32_t x = grid.ColumnOf(cell), y = grid.RowOf(cell);
    for (int32_t reach = 1; reach <= 3; ++reach)
        for (int32_t dy = -reach; dy <= reach; ++dy)
            for (int32_t dx = -reach; dx <= reach; ++dx)
                if (!grid.IsBlocked(grid.Index(x + dx, y + dy)))
                    return grid.Index(x + dx, y + dy);
    return -1;
}

// A new path when the goal moved away from the planned one, the ship left
// its path or the path ran out, or a moving goal's path has grown old; never
// more often than the planning pause allows.
void CPilot::PlanIfDue(const CNavGrid& grid, const CShip& ship)
{
    if (m_goal == Goal::Engage || m_goalCell < 0 || m_clock - m_lastPlan < kPlanPauseMs)
        return;
    int32_t dx = kGoalSlackCells + 1, dy = 0;
    if (m_plannedGoal >= 0)
        grid.Offset(m_plannedGoal, m_goalCell, dx, dy);
    bool goalMoved = std::max(std::abs(dx), std::abs(dy)) > kGoalSlackCells;
    bool stale = m_goal == Goal::Hunt && m_clock - m_lastPlan >= kReplanMovingMs;
    bool lost = m_offPath || m_pathIndex >= m_path.size();
    if (!goalMoved && !stale && !lost)
        return;
    m_lastPlan = m_clock;
    m_plannedGoal = m_goalCell;
    m_pathIndex = 0;
    m_offPath = false;
    if (!m_planner.FindPath(grid, grid.CellAt(ship.GetPosition()), m_goalCell, m_path) &&
        m_goal == Goal::Roam)
        m_goalCell = -1; // somewhere else next time
}
