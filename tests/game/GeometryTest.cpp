// The geometry under the collisions: CVector's component-wise arithmetic over
// all three components, division by zero and lengths; CollisionPolygon's
// inside test, its one-sided overlap, and the edge a segment crosses (with
// its quirks for parallel edges).
#include "game/CollisionPolygon.h"
#include "game/Vector.h"

#include <gtest/gtest.h>

namespace
{
// The 34-unit square that the edge cases are built on, counter-clockwise.
CollisionPolygon Square(double x = 0, double y = 0)
{
    CollisionPolygon square{{-17, -17}, {17, -17}, {17, 17}, {-17, 17}};
    square.SetPosition(CVector(x, y, 1));
    return square;
}

void ExpectComponents(const CVector& v, double x, double y, double z)
{
    EXPECT_DOUBLE_EQ(v.GetX(), x);
    EXPECT_DOUBLE_EQ(v.GetY(), y);
    EXPECT_DOUBLE_EQ(v.GetZ(), z);
}
} // namespace

TEST(Vector, ArithmeticIsComponentWiseAndDivisionByZeroGivesZero)
{
    CVector a(3, 4, 1), b(1, -2, 1);
    ExpectComponents(a + b, 4, 2, 2);
    ExpectComponents(a - b, 2, 6, 0);
    ExpectComponents(a * 2.5, 7.5, 10, 2.5);
    ExpectComponents(a / 2, 1.5, 2, 0.5);
    ExpectComponents(a / 0.0, 0, 0, 0);
    EXPECT_DOUBLE_EQ(a.Dot(b), 3 - 8 + 1);
}

TEST(Vector, LengthAndNormalizeCountEveryComponentAndLeaveZeroAlone)
{
    CVector v;
    v.Set(12, 0, 5);
    EXPECT_DOUBLE_EQ(v.Length(), 13.0);
    v.Normalize();
    ExpectComponents(v, 12.0 / 13, 0, 5.0 / 13);
    CVector zero;
    zero.Normalize();
    ExpectComponents(zero, 0, 0, 0);
}

TEST(CollisionPolygon, ContainsPointCountsEdgesAsInsideAndUsesEveryEdge)
{
    CollisionPolygon square = Square();
    CollisionPolygon turret{{0, 0}, {16, 16}, {-16, 16}}; // apex at the centre, base on the far edge
    const struct
    {
        const CollisionPolygon* polygon;
        float x, y;
        bool inside;
    } cases[] = {
        {&square, 0, 0, true},      {&square, 17, 0, true},       {&square, -17, -17, true},
        {&square, 17.5f, 0, false}, {&square, 0, -17.01f, false}, {&turret, 0, 10, true},
        {&turret, 10, 5, false},    {&turret, 0, 17, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.polygon->ContainsPoint(c.x, c.y), c.inside) << c.x << ", " << c.y;
    EXPECT_TRUE(CollisionPolygon().ContainsPoint(1e6f, -1e6f)) << "no points contain everything";
}

TEST(CollisionPolygon, OverlapsTestsOnlyItsOwnPointsWhereTheyArePlaced)
{
    EXPECT_TRUE(Square(0, 0).Overlaps(Square(30, 0)));
    EXPECT_TRUE(Square(30, 0).Overlaps(Square(0, 0)));
    EXPECT_FALSE(Square(0, 0).Overlaps(Square(35, 0)));
    EXPECT_TRUE(Square(100, 100).Overlaps(Square(70, 75))) << "x and y offsets both count";
    EXPECT_FALSE(Square(100, 100).Overlaps(Square(100, 135)));

    CollisionPolygon small{
        {-1, -1}, {1, -1}, {1, 1}, {-1, 1}}; // inside the square, holding none of its corners
    EXPECT_TRUE(small.Overlaps(Square()));
    EXPECT_FALSE(Square().Overlaps(small));
    EXPECT_FALSE(CollisionPolygon().Overlaps(Square()));
    EXPECT_TRUE(Square().Overlaps(CollisionPolygon()));
}

TEST(CollisionPolygon, CrossedEdgeFindsTheNearestCrossing)
{
    CVector edge(9, 9, 9);
    EXPECT_EQ(Square().CrossedEdge(-5, -30, 5, 30, edge), 1);
    ExpectComponents(edge, 34, 0, 0);
    EXPECT_EQ(Square().CrossedEdge(5, 30, -5, -30, edge), 3) << "from the other end the top edge is nearer";
    ExpectComponents(edge, -34, 0, 0);
    EXPECT_EQ(Square().CrossedEdge(-40, -20, -30, 0, edge), 0) << "a segment that misses";
    EXPECT_EQ(Square().CrossedEdge(3, 3, 3, 3, edge), 0) << "zero-length segment";
    EXPECT_EQ(CollisionPolygon().CrossedEdge(-30, 0, 30, 0, edge), 0) << "no points";
}

TEST(CollisionPolygon, CrossedEdgeStopsAtTheFirstParallelEdge)
{
    CVector edge(9, 9, 9);
    EXPECT_EQ(Square().CrossedEdge(-30, 5, 30, 5, edge), 1) << "parallel edge 1 is reported without a touch";
    EXPECT_EQ(edge.GetX(), 9.0) << "not written for a parallel edge";
    EXPECT_EQ(edge.GetZ(), 9.0);
    EXPECT_EQ(Square().CrossedEdge(0, -30, 0, 30, edge), 2);
    ExpectComponents(edge, 34, 0, 0); // edge 1's vector stays
    EXPECT_EQ(Square().CrossedEdge(-30, 5, -20, 5, edge), 0)
        << "parallel edge out of the span ends with none";
}

TEST(CollisionPolygon, EdgeTowardUsesPositionMinusPoint)
{
    CollisionPolygon wall = Square(100, 100);
    CVector edge;
    // Position - point = (-40, -10): the segment enters through the left edge.
    ASSERT_TRUE(wall.EdgeToward(CVector(140, 110, 1), edge));
    ExpectComponents(edge, 0, -34, 0);
    // Position - point = (5, 40): enters through the top edge.
    ASSERT_TRUE(wall.EdgeToward(CVector(95, 60, 1), edge));
    ExpectComponents(edge, -34, 0, 0);
    EXPECT_FALSE(CollisionPolygon().EdgeToward(CVector(1, 1, 1), edge));
}
