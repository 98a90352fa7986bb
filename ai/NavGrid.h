// CNavGrid is what a computer pilot knows of the map's shape: which cells a
// ship may fly through, what each step costs (cells beside rock cost more, so
// paths keep off the walls; cells a turret covers cost more, so paths keep out
// of its fire), and the cells a ship can refuel from. It is built from the
// tile codes once per map and shared by every pilot on that map.
//
// Cells wrap like the map: the grid is a torus, and every cell argument is
// brought onto it.
#pragma once

#include "game/Map.h"
#include "game/Vector.h"

#include <cstdint>
#include <string>
#include <vector>

class CNavGrid
{
public:
    // A cell's index: y * columns + x.
    using CellIndex = int32_t;

    // Builds the grid for `map` unless it already is that map's; true when
    // it was rebuilt (a new round, or a new map).
    bool Follow(const CMap& map, int32_t fuelRange);
    // Counts the rebuilds, so a pilot can tell its path belongs to an old map.
    uint32_t GetGeneration() const { return m_generation; }

    int32_t GetColumns() const { return m_columns; }
    int32_t GetRows() const { return m_rows; }
    float GetWorldWidth() const { return static_cast<float>(m_columns * CMap::kTileSize); }
    float GetWorldHeight() const { return static_cast<float>(m_rows * CMap::kTileSize); }
    bool IsEmpty() const { return m_cells.empty(); }

    CellIndex Index(int32_t x, int32_t y) const;
    int32_t ColumnOf(CellIndex cell) const { return cell % m_columns; }
    int32_t RowOf(CellIndex cell) const { return cell / m_columns; }
    CellIndex CellAt(const CVector& position) const;
    CVector Centre(CellIndex cell) const;
    // Where to fly through a cell: its centre moved away from the rock beside
    // it, so a two-cell tunnel is flown down its middle.
    CVector FlyPoint(CellIndex cell) const;

    // Rock, fuel blocks and turrets: a ship touching them without shields dies.
    bool IsBlocked(CellIndex cell) const { return m_cells[static_cast<size_t>(cell)].blocked; }
    // What entering the cell costs on top of the distance.
    float ExtraCost(CellIndex cell) const { return m_cells[static_cast<size_t>(cell)].extraCost; }
    // Open cells with a fuel block in reach and no rock beside them.
    const std::vector<CellIndex>& GetFuelStations() const { return m_fuelStations; }

    // True when a circle of `radius` at `point` touches no blocked cell
    // (every blocked cell taken as its full square, which is never smaller
    // than its outline).
    bool IsClear(const CVector& point, double radius) const;
    // True when the circle stays clear all along the straight line from
    // `from` by `offset`.
    bool IsSweepClear(const CVector& from, const CVector& offset, double radius) const;
    // Which way, and how hard, the rock within `radius` of `point` pushes
    // it off: the sum of the overlaps, each pointing away from its cell.
    CVector AwayFromRock(const CVector& point, double radius) const;
    // Cells from one cell to another, the short way round each axis.
    void Offset(CellIndex from, CellIndex to, int32_t& dx, int32_t& dy) const;

private:
    struct NavCell
    {
        bool blocked = false;
        bool fuel = false;
        bool roomy = false; // no rock in the 3 x 3 cells about it
        float extraCost = 0;
        float nudgeX = 0, nudgeY = 0; // from the centre to the fly point
    };

    void Build(const CMap& map, int32_t fuelRange);
    void AddWallCosts();
    void AddTurretCosts(const CMap& map);
    void AddNudges();
    static float Nudge(bool rockBefore, bool rockAfter, bool cornerBefore, bool cornerAfter);
    void FindFuelStations(int32_t fuelRange);
    bool HasNear(CellIndex cell, int32_t reach, bool NavCell::*flag) const;
    NavCell& At(int32_t x, int32_t y) { return m_cells[static_cast<size_t>(Index(x, y))]; }
    const NavCell& At(int32_t x, int32_t y) const { return m_cells[static_cast<size_t>(Index(x, y))]; }

    // What the grid was built from: a new round loads its map anew.
    const CMap* m_map = nullptr;
    std::string m_mapName;
    int32_t m_fuelRange = -1;
    uint32_t m_generation = 0;

    int32_t m_columns = 0;
    int32_t m_rows = 0;
    std::vector<NavCell> m_cells;
    std::vector<CellIndex> m_fuelStations;
};
