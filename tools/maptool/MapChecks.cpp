#include "tools/maptool/MapChecks.h"

#include "game/Map.h"

#include <algorithm>
#include <cstdlib>
#include <deque>

namespace maptool
{
namespace
{
constexpr int kMinSpawnPoints = 8;
constexpr int kMinSpawners = 3;
constexpr int64_t kMinSpawnDistance = 8;
// A map with more problems than this is listed only this far: the rest say
// nothing new, and a badly broken map must not take long to check.
constexpr size_t kMaxProblems = 40;

struct Facing
{
    const char* name;
    int32_t dx, dy;
};
// Codes 9 to 12; "up" is towards row 0.
constexpr Facing kFacings[4] = {{"up", 0, -1}, {"left", -1, 0}, {"down", 0, 1}, {"right", 1, 0}};

bool BlockOpen(const MapGrid& grid, int32_t x, int32_t y)
{
    return IsOpenTile(grid.Code(x, y)) && IsOpenTile(grid.Code(x + 1, y)) &&
           IsOpenTile(grid.Code(x, y + 1)) && IsOpenTile(grid.Code(x + 1, y + 1));
}

std::string At(int32_t x, int32_t y)
{
    return "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
}

std::vector<std::pair<int32_t, int32_t>> SpawnCells(const MapGrid& grid)
{
    std::vector<std::pair<int32_t, int32_t>> cells;
    for (int32_t y = 0; y < grid.rows; ++y)
        for (int32_t x = 0; x < grid.columns; ++x)
            if (grid.Code(x, y) == TILE_SPAWN_POINT)
                cells.emplace_back(x, y);
    return cells;
}

void CheckCounts(const ArenaCounts& counts, std::vector<std::string>& problems)
{
    if (counts.spawnPoints < kMinSpawnPoints)
        problems.push_back("only " + std::to_string(counts.spawnPoints) +
                           " spawn points; eight players need " + std::to_string(kMinSpawnPoints));
    if (counts.spawners < kMinSpawners)
        problems.push_back("only " + std::to_string(counts.spawners) + " powerup spawners; place at least " +
                           std::to_string(kMinSpawners));
    if (counts.fuelBlocks == 0)
        problems.push_back("no fuel blocks: ships could never refuel");
    if (counts.halfWalls == 0)
        problems.push_back("no half walls");
    for (int i = 0; i < 4; ++i)
        if (counts.turrets[i] == 0)
            problems.push_back(std::string("no turret facing ") + kFacings[i].name);
}

void CheckSpawnPoints(const MapGrid& grid, std::vector<std::string>& problems)
{
    auto spawns = SpawnCells(grid);
    for (size_t i = 0; i < spawns.size(); ++i)
    {
        auto [x, y] = spawns[i];
        for (int32_t dy = -1; dy <= 1; ++dy)
            for (int32_t dx = -1; dx <= 1; ++dx)
                if (!IsOpenTile(grid.Code(x + dx, y + dy)) && problems.size() < kMaxProblems)
                    problems.push_back("spawn point " + At(x, y) + " has a blocked cell at " +
                                       At(x + dx, y + dy));
        for (size_t j = i + 1; j < spawns.size(); ++j)
        {
            int64_t dx = std::abs(spawns[j].first - x), dy = std::abs(spawns[j].second - y);
            dx = std::min<int64_t>(dx, grid.columns - dx);
            dy = std::min<int64_t>(dy, grid.rows - dy);
            if (dx * dx + dy * dy < kMinSpawnDistance * kMinSpawnDistance && problems.size() < kMaxProblems)
                problems.push_back("spawn points " + At(x, y) + " and " +
                                   At(spawns[j].first, spawns[j].second) + " are closer than " +
                                   std::to_string(kMinSpawnDistance) + " cells");
        }
    }
}

void CheckTurrets(const MapGrid& grid, std::vector<std::string>& problems)
{
    for (int32_t y = 0; y < grid.rows; ++y)
        for (int32_t x = 0; x < grid.columns; ++x)
        {
            uint8_t code = grid.Code(x, y);
            if (!IsTurretTile(code))
                continue;
            const Facing& f = kFacings[code - TILE_TURRET_UP];
            if (problems.size() >= kMaxProblems)
                return;
            if (!IsOpenTile(grid.Code(x + f.dx, y + f.dy)))
                problems.push_back("the turret at " + At(x, y) + " faces " + f.name + " into a blocked cell");
            if (!IsSolidTile(grid.Code(x - f.dx, y - f.dy)))
                problems.push_back("the turret at " + At(x, y) + " has no wall behind it");
        }
}

// A turret fires at ships within 8 cells in the half-plane it faces,
// measured without wrapping and through walls, so a ship must never appear
// in that reach.
void CheckSpawnSafety(const MapGrid& grid, std::vector<std::string>& problems)
{
    constexpr int64_t kTurretRangeCells = 8;
    std::vector<std::pair<int32_t, int32_t>> turrets;
    for (int32_t y = 0; y < grid.rows; ++y)
        for (int32_t x = 0; x < grid.columns; ++x)
            if (IsTurretTile(grid.Code(x, y)))
                turrets.emplace_back(x, y);
    for (auto [sx, sy] : SpawnCells(grid))
        for (auto [x, y] : turrets)
        {
            const Facing& f = kFacings[grid.Code(x, y) - TILE_TURRET_UP];
            int64_t dx = sx - x, dy = sy - y;
            if (dx * dx + dy * dy <= kTurretRangeCells * kTurretRangeCells && dx * f.dx + dy * f.dy > 0 &&
                problems.size() < kMaxProblems)
                problems.push_back("spawn point " + At(sx, sy) + " is within reach of the turret at " +
                                   At(x, y));
        }
}

void CheckPassages(const MapGrid& grid, std::vector<std::string>& problems)
{
    auto spawns = SpawnCells(grid);
    if (spawns.empty())
        return;
    std::vector<bool> reached = ReachableBlocks(grid, spawns.front().first, spawns.front().second);
    auto block = [&](int32_t x, int32_t y) { return reached[grid.Index(x, y)]; };
    for (auto [x, y] : spawns)
        if (!block(x, y) && problems.size() < kMaxProblems)
            problems.push_back("spawn point " + At(x, y) + " cannot be reached from spawn point " +
                               At(spawns.front().first, spawns.front().second));
    bool acrossSides = false, acrossTopBottom = false;
    for (int32_t y = 0; y < grid.rows; ++y)
        acrossSides = acrossSides || block(grid.columns - 1, y);
    for (int32_t x = 0; x < grid.columns; ++x)
        acrossTopBottom = acrossTopBottom || block(x, grid.rows - 1);
    if (!acrossSides)
        problems.push_back("no passage two cells wide across the left and right edges");
    if (!acrossTopBottom)
        problems.push_back("no passage two cells wide across the top and bottom edges");
}
} // namespace

bool IsOpenTile(uint8_t code)
{
    return code == TILE_EMPTY || code == TILE_SPAWN_POINT || code == TILE_POWERUP_SPAWNER ||
           code >= TILE_CODE_COUNT;
}

ArenaCounts CountTiles(const MapGrid& grid)
{
    ArenaCounts counts;
    for (uint8_t code : grid.codes)
    {
        counts.spawnPoints += code == TILE_SPAWN_POINT;
        counts.spawners += code == TILE_POWERUP_SPAWNER;
        counts.fuelBlocks += code == TILE_FUEL;
        counts.halfWalls += code >= TILE_WALL_LOWER_RIGHT && code <= TILE_WALL_UPPER_RIGHT;
        if (IsTurretTile(code))
            ++counts.turrets[code - TILE_TURRET_UP];
    }
    return counts;
}

std::vector<bool> ReachableBlocks(const MapGrid& grid, int32_t x, int32_t y)
{
    std::vector<bool> reached(grid.codes.size(), false);
    std::deque<std::pair<int32_t, int32_t>> pending;
    if (grid.codes.empty() || !BlockOpen(grid, x, y))
        return reached;
    reached[grid.Index(x, y)] = true;
    pending.emplace_back(x, y);
    while (!pending.empty())
    {
        auto [bx, by] = pending.front();
        pending.pop_front();
        for (const Facing& step : kFacings)
        {
            int32_t nx = bx + step.dx, ny = by + step.dy;
            size_t at = grid.Index(nx, ny);
            if (!reached[at] && BlockOpen(grid, nx, ny))
            {
                reached[at] = true;
                pending.emplace_back(int32_t(at % size_t(grid.columns)), int32_t(at / size_t(grid.columns)));
            }
        }
    }
    return reached;
}

std::vector<std::string> CheckArena(const MapGrid& grid)
{
    std::vector<std::string> problems;
    if (grid.codes.empty())
        return {"the map has no cells"};
    CheckCounts(CountTiles(grid), problems);
    CheckSpawnPoints(grid, problems);
    CheckTurrets(grid, problems);
    CheckSpawnSafety(grid, problems);
    CheckPassages(grid, problems);
    return problems;
}

} // namespace maptool
