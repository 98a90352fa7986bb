#include "ai/PathPlanner.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace
{
constexpr float kDiagonal = 1.41421356f;

// A min-heap on the estimate; equal estimates by cell, so the order of
// expansion, and so the path, never depends on anything but the grid.
bool Later(const auto& a, const auto& b)
{
    return a.estimate != b.estimate ? a.estimate > b.estimate : a.cell > b.cell;
}
} // namespace

bool CPathPlanner::FindPath(const CNavGrid& grid, CNavGrid::CellIndex start, CNavGrid::CellIndex goal,
                            std::vector<CNavGrid::CellIndex>& path)
{
    path.clear();
    if (grid.IsEmpty() || grid.IsBlocked(goal))
        return false;
    Prepare(grid);
    m_stamp[static_cast<size_t>(start)] = m_search;
    m_cost[static_cast<size_t>(start)] = 0;
    m_from[static_cast<size_t>(start)] = start;
    m_open.push_back({Estimate(grid, start, goal), start});
    while (!m_open.empty())
    {
        std::pop_heap(m_open.begin(), m_open.end(), Later<OpenEntry, OpenEntry>);
        CNavGrid::CellIndex cell = m_open.back().cell;
        m_open.pop_back();
        if (m_closed[static_cast<size_t>(cell)])
            continue;
        if (cell == goal)
        {
            Trace(start, goal, path);
            return true;
        }
        m_closed[static_cast<size_t>(cell)] = true;
        Expand(grid, cell, goal);
    }
    return false;
}

void CPathPlanner::Prepare(const CNavGrid& grid)
{
    size_t cells = static_cast<size_t>(grid.GetColumns()) * static_cast<size_t>(grid.GetRows());
    if (m_stamp.size() != cells)
    {
        m_stamp.assign(cells, 0);
        m_cost.assign(cells, 0);
        m_from.assign(cells, 0);
        m_search = 0;
    }
    m_closed.assign(cells, false);
    m_open.clear();
    ++m_search;
}

void CPathPlanner::Expand(const CNavGrid& grid, CNavGrid::CellIndex cell, CNavGrid::CellIndex goal)
{
    int32_t x = grid.ColumnOf(cell), y = grid.RowOf(cell);
    for (int32_t dy = -1; dy <= 1; ++dy)
        for (int32_t dx = -1; dx <= 1; ++dx)
        {
            if (dx == 0 && dy == 0)
                continue;
            CNavGrid::CellIndex next = grid.Index(x + dx, y + dy);
            if (grid.IsBlocked(next))
                continue;
            bool diagonal = dx != 0 && dy != 0;
            if (diagonal && (grid.IsBlocked(grid.Index(x + dx, y)) || grid.IsBlocked(grid.Index(x, y + dy))))
                continue;
            Consider(grid, cell, next, diagonal ? kDiagonal : 1.0f, goal);
        }
}

void CPathPlanner::Consider(const CNavGrid& grid, CNavGrid::CellIndex from, CNavGrid::CellIndex to,
                            float step, CNavGrid::CellIndex goal)
{
    size_t index = static_cast<size_t>(to);
    float cost = m_cost[static_cast<size_t>(from)] + step + grid.ExtraCost(to);
    if (Seen(to) && (m_closed[index] || cost >= m_cost[index]))
        return;
    m_stamp[index] = m_search;
    m_cost[index] = cost;
    m_from[index] = from;
    m_open.push_back({cost + Estimate(grid, to, goal), to});
    std::push_heap(m_open.begin(), m_open.end(), Later<OpenEntry, OpenEntry>);
}

// The octile distance the short way round: never more than the true cost.
float CPathPlanner::Estimate(const CNavGrid& grid, CNavGrid::CellIndex from, CNavGrid::CellIndex to) const
{
    int32_t dx = 0, dy = 0;
    grid.Offset(from, to, dx, dy);
    float a = static_cast<float>(std::abs(dx)), b = static_cast<float>(std::abs(dy));
    return std::max(a, b) + (kDiagonal - 1.0f) * std::min(a, b);
}

void CPathPlanner::Trace(CNavGrid::CellIndex start, CNavGrid::CellIndex goal,
                         std::vector<CNavGrid::CellIndex>& path) const
{
    for (CNavGrid::CellIndex cell = goal; cell != start; cell = m_from[static_cast<size_t>(cell)])
        path.push_back(cell);
    std::reverse(path.begin(), path.end());
}
