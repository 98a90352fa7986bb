// CPathPlanner finds a pilot's way over a CNavGrid: A* on the torus, eight
// neighbours a cell (a diagonal step only where both cells beside it are
// open, so a path never cuts a rock's corner), each step costing its length
// plus the entered cell's extra cost. Its work arrays are kept between
// searches, so a search allocates nothing once they have grown.
#pragma once

#include "ai/NavGrid.h"

#include <cstdint>
#include <vector>

class CPathPlanner
{
public:
    // The cells from `start` (excluded) to `goal` (included); false, with
    // the path empty, when the goal is blocked or cannot be reached. The
    // start may be blocked (a ship's centre over a half wall): the search
    // leaves it for the open cells around it.
    bool FindPath(const CNavGrid& grid, CNavGrid::CellIndex start, CNavGrid::CellIndex goal,
                  std::vector<CNavGrid::CellIndex>& path);

private:
    struct OpenEntry
    {
        float estimate;
        CNavGrid::CellIndex cell;
    };

    void Prepare(const CNavGrid& grid);
    void Expand(const CNavGrid& grid, CNavGrid::CellIndex cell, CNavGrid::CellIndex goal);
    void Consider(const CNavGrid& grid, CNavGrid::CellIndex from, CNavGrid::CellIndex to, float step,
                  CNavGrid::CellIndex goal);
    float Estimate(const CNavGrid& grid, CNavGrid::CellIndex from, CNavGrid::CellIndex to) const;
    void Trace(CNavGrid::CellIndex start, CNavGrid::CellIndex goal,
               std::vector<CNavGrid::CellIndex>& path) const;
    bool Seen(CNavGrid::CellIndex cell) const { return m_stamp[static_cast<size_t>(cell)] == m_search; }

    // Per cell: the search that last touched it, its cost so far, where it
    // was reached from, and whether it is settled.
    std::vector<uint32_t> m_stamp;
    std::vector<float> m_cost;
    std::vector<CNavGrid::CellIndex> m_from;
    std::vector<bool> m_closed;
    std::vector<OpenEntry> m_open;
    uint32_t m_search = 0;
};
