// Checks that a map makes a fair arena for two to eight players. Ships are
// about 20 units across and die on touching a wall unshielded, so "open"
// here means passable with room to spare: a ship's way is a chain of open
// 2 x 2 cell blocks. Open cells are empty space, spawn points and powerup
// spawners; walls, half walls, fuel blocks and turrets are not.
#pragma once

#include "tools/maptool/MapGrid.h"

#include <string>
#include <vector>

namespace maptool
{

struct ArenaCounts
{
    int spawnPoints = 0;
    int spawners = 0;
    int fuelBlocks = 0;
    int halfWalls = 0;
    int turrets[4] = {}; // facing up, left, down, right (codes 9 to 12)
};

ArenaCounts CountTiles(const MapGrid& grid);

bool IsOpenTile(uint8_t code);

// Every 2 x 2 block (by its upper left cell) from which a ship can reach the
// block at (x, y), across the wrap.
std::vector<bool> ReachableBlocks(const MapGrid& grid, int32_t x, int32_t y);

// The arena's problems, one sentence each (at most 40); empty when it passes:
//   - at least 8 spawn points, each with its cell and 8 neighbours open, at
//     least 8 cells (the short way round) from every other;
//   - at least 3 powerup spawners, some fuel blocks and half walls;
//   - turrets of all four facings, each backed by a solid cell and facing an
//     open one, and no spawn point within a turret's reach (8 cells in the
//     half-plane it faces, measured as the game does: without wrapping);
//   - a 2-cell-wide passage across the left/right seam and across the
//     top/bottom seam;
//   - every spawn point reachable from every other.
std::vector<std::string> CheckArena(const MapGrid& grid);

} // namespace maptool
