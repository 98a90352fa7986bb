#include "game/Vector.h"

#include <gtest/gtest.h>

namespace
{
void ExpectComponents(const CVector& v, double x, double y, double z)
{
    EXPECT_DOUBLE_EQ(v.GetX(), x);
    EXPECT_DOUBLE_EQ(v.GetY(), y);
    EXPECT_DOUBLE_EQ(v.GetZ(), z);
}
} // namespace

TEST(Vector, ArithmeticIsComponentWise)
{
    CVector a(3, 4, 1);
    CVector b(1, -2, 1);
    ExpectComponents(a + b, 4, 2, 2);
    ExpectComponents(a - b, 2, 6, 0);
    ExpectComponents(a * 2.5, 7.5, 10, 2.5);
    ExpectComponents(a / 2, 1.5, 2, 0.5);
    EXPECT_DOUBLE_EQ(a.Dot(b), 3 - 8 + 1);
}

TEST(Vector, PositionDifferencesSeeOnlyXAndY)
{
    CVector from(10, 20, 1);
    CVector to(13, 24, 1);
    CVector velocity(2, 0, 0);
    CVector offset = to - from;
    EXPECT_DOUBLE_EQ(offset.Length(), 5.0);
    EXPECT_DOUBLE_EQ(offset.Dot(velocity), 6.0);
}

TEST(Vector, DivisionByZeroGivesZeroVector)
{
    ExpectComponents(CVector(5, -7, 1) / 0.0, 0, 0, 0);
}

TEST(Vector, NormalizeScalesToUnitLengthAndLeavesZeroAlone)
{
    CVector v(3, 0, 4);
    v.Normalize();
    ExpectComponents(v, 0.6, 0, 0.8);
    EXPECT_DOUBLE_EQ(v.Length(), 1.0);

    CVector zero;
    zero.Normalize();
    ExpectComponents(zero, 0, 0, 0);
    EXPECT_EQ(zero.Length(), 0.0);
}

TEST(Vector, SettersChangeComponentsAndLengthFollowsOnRequest)
{
    CVector v(1, 0, 0);
    v.Set(0, 3, 4);
    EXPECT_DOUBLE_EQ(v.Length(), 5.0);
    v.SetX(12);
    v.SetY(0);
    v.SetZ(5);
    ExpectComponents(v, 12, 0, 5);
    EXPECT_DOUBLE_EQ(v.Length(), 13.0);
}
