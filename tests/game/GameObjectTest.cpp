// CGameObject: angles, respawn, motion, wrapping onto the torus, the
// collision test.
#include "game/GameObject.h"

#include "game/Trig.h"

#include <gtest/gtest.h>

namespace
{
// A 4 x 4 box of radius 4 in play at (x, y).
CGameObject Box(float x, float y)
{
    CGameObject object(KIND_BULLET);
    object.AddOutline(CollisionPolygon{{-2, -2}, {2, -2}, {2, 2}, {-2, 2}});
    object.SetRadius(4);
    object.ForceRespawn(x, y);
    return object;
}
} // namespace

// Angles are normalised as the tables expect (the headings they give are
// checked by every steering test).
TEST(GameObject, AnglesAreNormalisedAndFollowTheTablesConvention)
{
    CGameObject object;
    object.SetAngle(360);
    EXPECT_FLOAT_EQ(object.GetAngle(), 0);
    object.SetAngle(359.5f);
    EXPECT_FLOAT_EQ(object.GetAngle(), -0.5f) << "every value above 359 loses 360";
    object.SetAngle(-1);
    EXPECT_FLOAT_EQ(object.GetAngle(), 359);
    EXPECT_FLOAT_EQ(trig::Sin(-0.5f), 0) << "table lookups truncate toward zero";
    object.SetAngle(1e30f);
    EXPECT_GE(object.GetAngle(), -1);
    EXPECT_LE(object.GetAngle(), 359) << "huge values do not spin forever";
    object.SetAngle(std::numeric_limits<float>::quiet_NaN());
    EXPECT_FLOAT_EQ(object.GetAngle(), 0);
}

TEST(GameObject, RespawnWaitsForTheDelayAndForceRespawnAlwaysWorks)
{
    CGameObject object;
    EXPECT_TRUE(object.CanRespawn()) << "a new object starts past its delay";
    object.Respawn(10, 20);
    ASSERT_TRUE(object.IsActive());
    object.SetVelocity(CVector(5, 5, 0));
    object.Kill();
    object.AddDeadTime(4999);
    object.Respawn(1, 2);
    EXPECT_FALSE(object.IsActive()) << "4999 ms is short of the 5000 ms delay";
    object.AddDeadTime(1);
    object.Respawn(1, 2);
    EXPECT_TRUE(object.IsActive());
    EXPECT_EQ(object.GetPosition().GetX(), 1);
    EXPECT_EQ(object.GetVelocity().Length(), 0);
    object.AddDeadTime(100);
    EXPECT_EQ(object.GetDeadTime(), 5000) << "dead time only grows while out of play";
    object.Kill();
    object.ForceRespawn(7, 8);
    EXPECT_TRUE(object.IsActive());
    EXPECT_EQ(object.GetPosition().GetZ(), 1);
}

// Negative rates and sizes are ignored; turns and thrust scale by the time
// given, and thrust never takes the speed past the maximum.
TEST(GameObject, MotionScalesByElapsedTimeUpToTheMaximumSpeed)
{
    CGameObject object;
    object.SetRadius(5);
    object.SetTurnRate(360);
    object.SetAccelerationRate(1000);
    object.SetMaxSpeed(1000);
    object.SetRadius(-1);
    object.SetTurnRate(-5);
    object.SetAccelerationRate(-5);
    object.SetMaxSpeed(-1);
    EXPECT_EQ(object.GetRadius(), 5);
    object.Turn(-1, 250);
    EXPECT_FLOAT_EQ(object.GetAngle(), 270);
    object.Turn(1, 0);
    EXPECT_FLOAT_EQ(object.GetAngle(), 270) << "no time, no turn";
    object.Thrust(0);
    EXPECT_EQ(object.GetVelocity().Length(), 0);
    object.Thrust(100);
    EXPECT_NEAR(object.GetVelocity().GetX(), 100, 1e-4) << "heading of 270 is +x";

    object.SetMaxSpeed(10);
    object.SetVelocity(CVector(0, 0, 0));
    object.AddVelocity(CVector(30, 40, 0));
    EXPECT_NEAR(object.GetVelocity().Length(), 10, 1e-9);
    EXPECT_NEAR(object.GetVelocity().GetX(), 6, 1e-9) << "the direction is kept";
}

TEST(GameObject, WrapPositionBringsCoordinatesOntoTheTorus)
{
    CGameObject object;
    object.SetPosition(CVector(-3, 650, 0));
    object.WrapPosition(640, 640);
    EXPECT_EQ(object.GetPosition().GetX(), 637);
    EXPECT_EQ(object.GetPosition().GetY(), 10);
    object.SetPosition(CVector(640, 0, 0));
    object.WrapPosition(640, 640);
    EXPECT_EQ(object.GetPosition().GetX(), 640) << "the far edge itself stays";
    object.SetPosition(CVector(5, 5, 0));
    object.WrapPosition(0, 0);
    EXPECT_EQ(object.GetPosition().GetX(), 5) << "no map, nothing to wrap onto";
}

// Across the seam, collisions are the world's tests' business.
TEST(GameObject, CollisionsNeedBothTheCirclesAndTheOutlinesToMeet)
{
    CGameObject low = Box(1, 100);
    CGameObject far = Box(20, 100), overlapping = Box(4, 102);
    EXPECT_FALSE(low.Collides(far, 640, 640));
    EXPECT_TRUE(low.Collides(overlapping, 640, 640));
    CGameObject outlineless(KIND_BULLET);
    outlineless.SetRadius(4);
    outlineless.ForceRespawn(2, 100);
    EXPECT_FALSE(low.Collides(outlineless, 640, 640)) << "no outline, no overlap";
}
