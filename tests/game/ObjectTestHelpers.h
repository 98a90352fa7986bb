// Small builders shared by the object tests: the world's temporary wall
// object and a check of the outline winding the collision code relies on.
#pragma once

#include "game/GameObject.h"

#include <gtest/gtest.h>

namespace testing_support
{

// A full wall cell as the world's wall test sets it up: kind 0, the 34-unit
// square about the centre of cell (column, row), radius 23.
inline CGameObject WallCell(int32_t column, int32_t row)
{
    CollisionPolygon square;
    square.AddPoint(-17, -17);
    square.AddPoint(17, -17);
    square.AddPoint(17, 17);
    square.AddPoint(-17, 17);
    CGameObject wall(KIND_MAP);
    wall.AddOutline(square);
    wall.SetRadius(23);
    wall.SetPosition(CVector(column * 32 + 16, row * 32 + 16, 1));
    return wall;
}

// Every outline polygon turns left (or runs straight) at each corner and
// holds the object's centre: counter-clockwise and convex.
inline void ExpectCounterClockwiseAboutCentre(const CGameObject& object)
{
    ASSERT_FALSE(object.GetOutline().empty());
    for (const CollisionPolygon& polygon : object.GetOutline())
    {
        const auto& points = polygon.GetPoints();
        ASSERT_GE(points.size(), 3u);
        for (size_t i = 0; i < points.size(); ++i)
        {
            const auto& a = points[i];
            const auto& b = points[(i + 1) % points.size()];
            const auto& c = points[(i + 2) % points.size()];
            float cross = (b.x - a.x) * (c.y - b.y) - (b.y - a.y) * (c.x - b.x);
            EXPECT_GE(cross, -1e-4f) << "corner " << i + 1 << " of kind " << object.GetKind();
        }
        EXPECT_TRUE(polygon.ContainsPoint(0, 0)) << "kind " << object.GetKind();
    }
}

} // namespace testing_support
