#include "game/CollisionPolygon.h"

namespace
{
CVector PlanePoint(double x, double y)
{
    return CVector(x, y, 0.0);
}

// The edge's left normal: inside the outline lies on this side of every edge.
CVector LeftNormal(const CVector& direction)
{
    return PlanePoint(-direction.GetY(), direction.GetX());
}

bool InUnitSpan(double t)
{
    return t >= 0.0 && t <= 1.0;
}
} // namespace

void CollisionPolygon::AddPoint(float x, float y)
{
    m_points.push_back({x, y});
}

void CollisionPolygon::Clear()
{
    m_points.clear();
}

bool CollisionPolygon::ContainsPoint(float x, float y) const
{
    const size_t count = m_points.size();
    for (size_t i = 0; i < count; ++i)
    {
        const Point& v = m_points[i];
        const Point& w = m_points[(i + 1) % count];
        double normalX = static_cast<double>(v.y) - w.y;
        double normalY = static_cast<double>(w.x) - v.x;
        double side = (static_cast<double>(x) - v.x) * normalX + (static_cast<double>(y) - v.y) * normalY;
        if (side < 0.0)
            return false;
    }
    return true;
}

bool CollisionPolygon::Overlaps(const CollisionPolygon& other) const
{
    return OverlapsAt(other, m_position.GetX() - other.m_position.GetX(),
                      m_position.GetY() - other.m_position.GetY());
}

bool CollisionPolygon::OverlapsAt(const CollisionPolygon& other, double offsetX, double offsetY) const
{
    for (const Point& p : m_points)
    {
        if (other.ContainsPoint(static_cast<float>(p.x + offsetX), static_cast<float>(p.y + offsetY)))
            return true;
    }
    return false;
}

double CollisionPolygon::ParallelPlace(const CVector& from, const CVector& start, const CVector& along)
{
    CVector toEdge = from - start;
    if (along.GetX() != 0.0)
        return toEdge.GetX() / along.GetX();
    if (along.GetY() != 0.0)
        return toEdge.GetY() / along.GetY();
    return -1.0;
}

int CollisionPolygon::CrossedEdge(float x0, float y0, float x1, float y1, CVector& edge) const
{
    const CVector start = PlanePoint(x0, y0);
    const CVector along = PlanePoint(x1, y1) - start;
    const CVector segmentNormal = LeftNormal(along);
    const size_t count = m_points.size();
    double best = 2.0;
    int result = 0;
    for (size_t i = 0; i < count; ++i)
    {
        const int index = static_cast<int>(i) + 1;
        const CVector v = PlanePoint(m_points[i].x, m_points[i].y);
        const CVector w = PlanePoint(m_points[(i + 1) % count].x, m_points[(i + 1) % count].y);
        const CVector edgeVector = w - v;
        const CVector edgeNormal = LeftNormal(edgeVector);
        const double denominator = edgeNormal.Dot(along);
        if (denominator == 0.0)
            return InUnitSpan(ParallelPlace(v, start, along)) ? index : 0;
        double t = edgeNormal.Dot(v - start) / denominator;
        double u = segmentNormal.Dot(start - v) / segmentNormal.Dot(edgeVector);
        if (InUnitSpan(u) && InUnitSpan(t) && t < best)
        {
            edge = edgeVector;
            best = t;
            result = index;
        }
    }
    return result;
}

bool CollisionPolygon::EdgeToward(const CVector& point, CVector& edge) const
{
    float x0 = static_cast<float>(m_position.GetX() - point.GetX());
    float y0 = static_cast<float>(m_position.GetY() - point.GetY());
    return CrossedEdge(x0, y0, 0.0f, 0.0f, edge) != 0;
}
