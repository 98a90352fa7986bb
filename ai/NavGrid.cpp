#include "ai/NavGrid.h"

#include "game/Turret.h"

#include <algorithm>
#include <cmath>

namespace
{
// Extra cost of a cell by its distance to the nearest rock, in cells: a path
// pays to hug a wall, so it keeps a ship's width off it where there is room.
constexpr float kBesideRockCost = 4.0f;
constexpr float kNearRockCost = 1.0f;
// Extra cost of a cell inside a turret's field of fire.
constexpr float kTurretFieldCost = 2.0f;
// A turret's reach (256 units) in cells.
constexpr int32_t kTurretReachCells = 8;

int32_t Wrap(int32_t value, int32_t size)
{
    value %= size;
    return value < 0 ? value + size : value;
}
} // namespace

bool CNavGrid::Follow(const CMap& map, int32_t fuelRange)
{
    if (&map == m_map && map.GetName() == m_mapName && fuelRange == m_fuelRange &&
        map.GetColumns() == m_columns && map.GetRows() == m_rows)
        return false;
    m_map = &map;
    m_mapName = map.GetName();
    m_fuelRange = fuelRange;
    Build(map, fuelRange);
    ++m_generation;
    return true;
}

void CNavGrid::Build(const CMap& map, int32_t fuelRange)
{
    m_columns = map.HasCells() ? map.GetColumns() : 0;
    m_rows = map.HasCells() ? map.GetRows() : 0;
    m_cells.assign(static_cast<size_t>(m_columns) * static_cast<size_t>(m_rows), NavCell{});
    m_fuelStations.clear();
    if (m_cells.empty())
        return;
    for (int32_t y = 0; y < m_rows; ++y)
        for (int32_t x = 0; x < m_columns; ++x)
        {
            int32_t code = map.GetTile(x, y);
            At(x, y).blocked = IsSolidTile(code) || IsTurretTile(code);
            At(x, y).fuel = code == TILE_FUEL;
        }
    AddWallCosts();
    AddTurretCosts(map);
    AddNudges();
    FindFuelStations(fuelRange);
}

void CNavGrid::AddWallCosts()
{
    for (CellIndex cell = 0; cell < static_cast<CellIndex>(m_cells.size()); ++cell)
    {
        NavCell& nav = m_cells[static_cast<size_t>(cell)];
        nav.roomy = !HasNear(cell, 1, &NavCell::blocked);
        if (!nav.roomy)
            nav.extraCost += kBesideRockCost;
        else if (HasNear(cell, 2, &NavCell::blocked))
            nav.extraCost += kNearRockCost;
    }
}

// The cells in reach of a turret on the side it faces.
void CNavGrid::AddTurretCosts(const CMap& map)
{
    CTurret probe;
    for (const CMap::Cell& turretCell : map.GetTurretCells())
    {
        probe.SetFacing(CTurret::FacingForTileCode(map.GetTile(turretCell.x, turretCell.y)));
        const CVector& gun = probe.GetGunOffset();
        for (int32_t dy = -kTurretReachCells; dy <= kTurretReachCells; ++dy)
            for (int32_t dx = -kTurretReachCells; dx <= kTurretReachCells; ++dx)
            {
                bool faced = dx * gun.GetX() + dy * gun.GetY() > 0;
                if (faced && dx * dx + dy * dy <= kTurretReachCells * kTurretReachCells)
                    At(turretCell.x + dx, turretCell.y + dy).extraCost += kTurretFieldCost;
            }
    }
}

// Half a cell away from rock on one side; nothing along an axis with rock
// on both sides; a quarter cell away from rock met only at a corner.
void CNavGrid::AddNudges()
{
    constexpr float kHalf = CMap::kTileSize / 2.0f;
    for (int32_t y = 0; y < m_rows; ++y)
        for (int32_t x = 0; x < m_columns; ++x)
        {
            bool cornerLeft = At(x - 1, y - 1).blocked || At(x - 1, y + 1).blocked;
            bool cornerRight = At(x + 1, y - 1).blocked || At(x + 1, y + 1).blocked;
            bool cornerUp = At(x - 1, y - 1).blocked || At(x + 1, y - 1).blocked;
            bool cornerDown = At(x - 1, y + 1).blocked || At(x + 1, y + 1).blocked;
            At(x, y).nudgeX =
                kHalf * Nudge(At(x - 1, y).blocked, At(x + 1, y).blocked, cornerLeft, cornerRight);
            At(x, y).nudgeY = kHalf * Nudge(At(x, y - 1).blocked, At(x, y + 1).blocked, cornerUp, cornerDown);
        }
}

// The share of half a cell to move along one axis: +1 away from rock before
// (at the lower coordinate), -1 away from rock after.
float CNavGrid::Nudge(bool rockBefore, bool rockAfter, bool cornerBefore, bool cornerAfter)
{
    if (rockBefore != rockAfter)
        return rockBefore ? 1.0f : -1.0f;
    if (rockBefore || cornerBefore == cornerAfter)
        return 0.0f;
    return cornerBefore ? 0.5f : -0.5f;
}

// A station is an open cell with a fuel block within the fuel range and no
// rock right beside it, so a ship can hang there at rest without shields.
// Where no such cell exists, cells beside rock will do.
void CNavGrid::FindFuelStations(int32_t fuelRange)
{
    int32_t reach = std::max(fuelRange, 0);
    for (bool roomy : {true, false})
    {
        for (CellIndex cell = 0; cell < static_cast<CellIndex>(m_cells.size()); ++cell)
        {
            bool open = !IsBlocked(cell) && (!roomy || !HasNear(cell, 1, &NavCell::blocked));
            if (open && HasNear(cell, reach, &NavCell::fuel))
                m_fuelStations.push_back(cell);
        }
        if (!m_fuelStations.empty())
            return;
    }
}

bool CNavGrid::HasNear(CellIndex cell, int32_t reach, bool NavCell::*flag) const
{
    int32_t x = ColumnOf(cell), y = RowOf(cell);
    for (int32_t dy = -reach; dy <= reach; ++dy)
        for (int32_t dx = -reach; dx <= reach; ++dx)
            if (At(x + dx, y + dy).*flag)
                return true;
    return false;
}

CNavGrid::CellIndex CNavGrid::Index(int32_t x, int32_t y) const
{
    return Wrap(y, m_rows) * m_columns + Wrap(x, m_columns);
}

CNavGrid::CellIndex CNavGrid::CellAt(const CVector& position) const
{
    return Index(static_cast<int32_t>(std::floor(position.GetX() / CMap::kTileSize)),
                 static_cast<int32_t>(std::floor(position.GetY() / CMap::kTileSize)));
}

CVector CNavGrid::Centre(CellIndex cell) const
{
    constexpr double half = CMap::kTileSize / 2.0;
    return CVector(ColumnOf(cell) * CMap::kTileSize + half, RowOf(cell) * CMap::kTileSize + half, 1);
}

CVector CNavGrid::FlyPoint(CellIndex cell) const
{
    const NavCell& nav = m_cells[static_cast<size_t>(cell)];
    CVector centre = Centre(cell);
    return CVector(centre.GetX() + nav.nudgeX, centre.GetY() + nav.nudgeY, 1);
}

void CNavGrid::Offset(CellIndex from, CellIndex to, int32_t& dx, int32_t& dy) const
{
    dx = Wrap(ColumnOf(to) - ColumnOf(from), m_columns);
    dy = Wrap(RowOf(to) - RowOf(from), m_rows);
    if (dx > m_columns / 2)
        dx -= m_columns;
    if (dy > m_rows / 2)
        dy -= m_rows;
}

CVector CNavGrid::AwayFromRock(const CVector& point, double radius) const
{
    constexpr double tile = CMap::kTileSize, reach = CMap::kOutlineReach;
    int32_t cx = static_cast<int32_t>(std::floor(point.GetX() / tile)),
            cy = static_cast<int32_t>(std::floor(point.GetY() / tile));
    int32_t span = 1 + static_cast<int32_t>(radius / tile);
    double awayX = 0, awayY = 0;
    for (int32_t dy = -span; dy <= span; ++dy)
        for (int32_t dx = -span; dx <= span; ++dx)
        {
            if (!At(cx + dx, cy + dy).blocked)
                continue;
            double fromX = point.GetX() - ((cx + dx) * tile + tile / 2),
                   fromY = point.GetY() - ((cy + dy) * tile + tile / 2);
            // The nearest point of the cell's square, and the overlap with it.
            double nearX = std::clamp(fromX, -reach, reach), nearY = std::clamp(fromY, -reach, reach);
            double gapX = fromX - nearX, gapY = fromY - nearY;
            double gap = std::sqrt(gapX * gapX + gapY * gapY);
            if (gap >= radius || gap <= 0)
                continue;
            awayX += gapX / gap * (radius - gap);
            awayY += gapY / gap * (radius - gap);
        }
    return CVector(awayX, awayY, 0);
}

bool CNavGrid::IsClear(const CVector& point, double radius) const
{
    constexpr double tile = CMap::kTileSize, reach = CMap::kOutlineReach;
    // Rock two cells away is at least this far from any point of a cell.
    constexpr double kRoomyReach = 2 * tile - reach - tile / 2;
    int32_t cx = static_cast<int32_t>(std::floor(point.GetX() / tile)),
            cy = static_cast<int32_t>(std::floor(point.GetY() / tile));
    if (radius <= kRoomyReach && At(cx, cy).roomy)
        return true;
    int32_t span = 1 + static_cast<int32_t>(radius / tile);
    for (int32_t dy = -span; dy <= span; ++dy)
        for (int32_t dx = -span; dx <= span; ++dx)
        {
            if (!At(cx + dx, cy + dy).blocked)
                continue;
            // Distance from the point to the cell's square, in unwrapped cells.
            double ox = std::max(std::fabs(point.GetX() - ((cx + dx) * tile + tile / 2)) - reach, 0.0);
            double oy = std::max(std::fabs(point.GetY() - ((cy + dy) * tile + tile / 2)) - reach, 0.0);
            if (ox * ox + oy * oy < radius * radius)
                return false;
        }
    return true;
}

bool CNavGrid::IsSweepClear(const CVector& from, const CVector& offset, double radius) const
{
    constexpr double kStep = 8.0;
    double length = std::sqrt(offset.GetX() * offset.GetX() + offset.GetY() * offset.GetY());
    int32_t steps = std::max(1, static_cast<int32_t>(std::ceil(length / kStep)));
    for (int32_t i = 0; i <= steps; ++i)
    {
        double t = static_cast<double>(i) / steps;
        if (!IsClear(CVector(from.GetX() + offset.GetX() * t, from.GetY() + offset.GetY() * t, 1), radius))
            return false;
    }
    return true;
}
