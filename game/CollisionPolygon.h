// CollisionPolygon is the one shape of the collision model: a convex outline
// of float points in its own frame, placed in the world by a position vector.
// Every object's outline is a list of them, a ship has a second list for its
// shield, and the map hands out one per wall cell.
//
// The points must run counter-clockwise when +y points up, so that a point is
// inside when it lies on the left of, or on, every directed edge. Edge i
// (counted from 1) runs from point i to point i + 1, the last one back to the
// first. Only x and y of the position are used.
//
// Pure geometry: no locking, and no allocation beyond the point list.
#pragma once

#include "game/Vector.h"

#include <cstddef>
#include <initializer_list>
#include <vector>

class CollisionPolygon
{
public:
    struct Point
    {
        float x;
        float y;
    };

    CollisionPolygon() = default;
    // An outline of these points, in order.
    CollisionPolygon(std::initializer_list<Point> points) : m_points(points) {}

    // Appends a point to the outline.
    void AddPoint(float x, float y);
    // Removes every point; the position stays.
    void Clear();
    const std::vector<Point>& GetPoints() const { return m_points; }

    void SetPosition(const CVector& position) { m_position = position; }
    const CVector& GetPosition() const { return m_position; }

    // True when (x, y), in the polygon's frame, is inside or on an edge. A
    // polygon without points contains every point.
    bool ContainsPoint(float x, float y) const;

    // True when one of this polygon's points lies inside `other`, both placed
    // by their positions. One-sided: callers wanting a symmetric test ask both
    // ways. A polygon without points overlaps nothing.
    bool Overlaps(const CollisionPolygon& other) const;
    // The same test with this polygon's points moved by (dx, dy) into other's
    // frame, whatever the two positions say: Overlaps with dx, dy the offset
    // of this position from other's.
    bool OverlapsAt(const CollisionPolygon& other, double dx, double dy) const;

    // The 1-based index of the edge the segment (x0, y0)-(x1, y1), in the
    // polygon's frame, crosses nearest to (x0, y0), or 0 for none; `edge`
    // receives that edge's vector (z = 0). An edge parallel to the segment ends
    // the search at once: its index is the result when the segment's start
    // projects onto the segment's span (whether or not the two touch), and
    // `edge` is not written for it.
    int CrossedEdge(float x0, float y0, float x1, float y1, CVector& edge) const;

    // Looks for the edge crossed by the segment from (position - point) to the
    // origin; true with its vector in `edge` when there is one. Bounces only
    // need the edge's direction.
    bool EdgeToward(const CVector& point, CVector& edge) const;

private:
    // Where the segment start + t * along meets the parallel edge starting at
    // `from`, measured along the segment; -1 for a zero-length segment.
    static double ParallelPlace(const CVector& from, const CVector& start, const CVector& along);

    std::vector<Point> m_points;
    CVector m_position;
};
