#include "game/CollisionPolygon.h"

#include <gtest/gtest.h>

namespace
{
// The 34-unit square that the edge cases are built on, counter-clockwise.
CollisionPolygon Square(double x = 0, double y = 0)
{
    CollisionPolygon square;
    square.AddPoint(-17, -17);
    square.AddPoint(17, -17);
    square.AddPoint(17, 17);
    square.AddPoint(-17, 17);
    square.SetPosition(CVector(x, y, 1));
    return square;
}

void ExpectEdge(const CVector& edge, double x, double y)
{
    EXPECT_DOUBLE_EQ(edge.GetX(), x);
    EXPECT_DOUBLE_EQ(edge.GetY(), y);
    EXPECT_DOUBLE_EQ(edge.GetZ(), 0.0);
}
} // namespace

TEST(CollisionPolygon, ContainsPointCountsEdgesAsInside)
{
    CollisionPolygon square = Square();
    EXPECT_TRUE(square.ContainsPoint(0, 0));
    EXPECT_TRUE(square.ContainsPoint(17, 0));
    EXPECT_TRUE(square.ContainsPoint(-17, -17));
    EXPECT_FALSE(square.ContainsPoint(17.5f, 0));
    EXPECT_FALSE(square.ContainsPoint(0, -17.01f));
}

TEST(CollisionPolygon, ContainsPointOfTriangleUsesEveryEdge)
{
    CollisionPolygon turret; // apex at the centre, base on the far edge
    turret.AddPoint(0, 0);
    turret.AddPoint(16, 16);
    turret.AddPoint(-16, 16);
    EXPECT_TRUE(turret.ContainsPoint(0, 10));
    EXPECT_FALSE(turret.ContainsPoint(10, 5)) << "right of the first edge";
    EXPECT_FALSE(turret.ContainsPoint(0, 17)) << "beyond the base";
}

TEST(CollisionPolygon, EmptyPolygonContainsEverythingAndOverlapsNothing)
{
    CollisionPolygon empty;
    CollisionPolygon square = Square();
    EXPECT_TRUE(empty.ContainsPoint(1e6f, -1e6f));
    EXPECT_FALSE(empty.Overlaps(square));
    EXPECT_TRUE(square.Overlaps(empty));
    EXPECT_FALSE(empty.Overlaps(empty));
}

TEST(CollisionPolygon, OverlapsDependsOnPlacement)
{
    EXPECT_TRUE(Square(0, 0).Overlaps(Square(30, 0)));
    EXPECT_TRUE(Square(30, 0).Overlaps(Square(0, 0)));
    EXPECT_FALSE(Square(0, 0).Overlaps(Square(35, 0)));
    EXPECT_TRUE(Square(100, 100).Overlaps(Square(70, 75))) << "x and y offsets both count";
    EXPECT_FALSE(Square(100, 100).Overlaps(Square(100, 135)));
}

TEST(CollisionPolygon, OverlapsTestsOnlyOwnPoints)
{
    CollisionPolygon small; // lies wholly inside the square: none of the square's corners is in it
    small.AddPoint(-1, -1);
    small.AddPoint(1, -1);
    small.AddPoint(1, 1);
    small.AddPoint(-1, 1);
    EXPECT_TRUE(small.Overlaps(Square()));
    EXPECT_FALSE(Square().Overlaps(small));
}

TEST(CollisionPolygon, CopiesKeepPointsInOrderAndPosition)
{
    CollisionPolygon original = Square(5, 6);
    CollisionPolygon copy(original);
    CollisionPolygon assigned;
    assigned.AddPoint(1, 1);
    assigned = original;
    original.Clear();
    for (const CollisionPolygon* polygon : {&copy, &assigned})
    {
        ASSERT_EQ(polygon->GetPoints().size(), 4u);
        EXPECT_EQ(polygon->GetPoints()[1].x, 17.0f);
        EXPECT_EQ(polygon->GetPoints()[1].y, -17.0f);
        EXPECT_EQ(polygon->GetPosition().GetX(), 5.0);
        EXPECT_EQ(polygon->GetPosition().GetY(), 6.0);
    }
    EXPECT_TRUE(original.GetPoints().empty());
    EXPECT_EQ(original.GetPosition().GetX(), 5.0) << "clearing keeps the placement";
}

TEST(CollisionPolygon, CrossedEdgeFindsNearestCrossing)
{
    CVector edge(9, 9, 9);
    EXPECT_EQ(Square().CrossedEdge(-5, -30, 5, 30, edge), 1);
    ExpectEdge(edge, 34, 0);

    EXPECT_EQ(Square().CrossedEdge(5, 30, -5, -30, edge), 3) << "from the other end the top edge is nearer";
    ExpectEdge(edge, -34, 0);

    EXPECT_EQ(Square().CrossedEdge(-40, -20, -30, 0, edge), 0) << "a segment that misses";
}

TEST(CollisionPolygon, CrossedEdgeStopsAtFirstParallelEdge)
{
    CVector edge(9, 9, 9);
    EXPECT_EQ(Square().CrossedEdge(-30, 5, 30, 5, edge), 1) << "parallel edge 1 is reported without a touch";
    EXPECT_EQ(edge.GetX(), 9.0) << "not written for a parallel edge";
    EXPECT_EQ(edge.GetZ(), 9.0);

    EXPECT_EQ(Square().CrossedEdge(0, -30, 0, 30, edge), 2);
    ExpectEdge(edge, 34, 0); // edge 1's vector stays

    EXPECT_EQ(Square().CrossedEdge(-30, 5, -20, 5, edge), 0)
        << "parallel edge out of the span ends with none";
}

TEST(CollisionPolygon, CrossedEdgeOfDegenerateInputsIsZero)
{
    CVector edge;
    EXPECT_EQ(Square().CrossedEdge(3, 3, 3, 3, edge), 0) << "zero-length segment";
    EXPECT_EQ(CollisionPolygon().CrossedEdge(-30, 0, 30, 0, edge), 0) << "no points";
}

TEST(CollisionPolygon, EdgeTowardUsesPositionMinusPoint)
{
    CollisionPolygon wall = Square(100, 100);
    CVector edge;
    // Position - point = (-40, -10): the segment enters through the left edge.
    ASSERT_TRUE(wall.EdgeToward(CVector(140, 110, 1), edge));
    ExpectEdge(edge, 0, -34);

    // Position - point = (5, 40): enters through the top edge.
    ASSERT_TRUE(wall.EdgeToward(CVector(95, 60, 1), edge));
    ExpectEdge(edge, -34, 0);

    EXPECT_FALSE(CollisionPolygon().EdgeToward(CVector(1, 1, 1), edge));
}
