// CVector: component-wise arithmetic over all three components, division by
// zero, and lengths.
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
    CVector v(1, 0, 0);
    v.Set(0, 3, 4);
    EXPECT_DOUBLE_EQ(v.Length(), 5.0);
    v.SetX(12);
    v.SetY(0);
    v.SetZ(5);
    ExpectComponents(v, 12, 0, 5);
    v.Normalize();
    ExpectComponents(v, 12.0 / 13, 0, 5.0 / 13);
    EXPECT_DOUBLE_EQ(v.Length(), 1.0);
    CVector zero;
    zero.Normalize();
    ExpectComponents(zero, 0, 0, 0);
}
