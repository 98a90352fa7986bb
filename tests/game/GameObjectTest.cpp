#include "game/GameObject.h"

#include "game/Trig.h"
#include "gfx/RecordingBackend.h"
#include "gfx/RenderBackend.h"
#include "platform/Clock.h"

#include <gtest/gtest.h>

namespace
{
CollisionPolygon Square(float half)
{
    CollisionPolygon square;
    square.AddPoint(-half, -half);
    square.AddPoint(half, -half);
    square.AddPoint(half, half);
    square.AddPoint(-half, half);
    return square;
}

CGameObject Box(float x, float y, float radius = 4, float half = 2)
{
    CGameObject object(KIND_BULLET);
    object.AddOutline(Square(half));
    object.SetRadius(radius);
    object.ForceRespawn(x, y);
    return object;
}
} // namespace

// Angles are normalised as the tables expect, degree 0 is +y, and angles
// turn towards -x.
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

    CVector up = trig::Heading(0);
    EXPECT_NEAR(up.GetX(), 0, 1e-6);
    EXPECT_NEAR(up.GetY(), 1, 1e-6);
    CVector quarter = trig::Heading(90);
    EXPECT_NEAR(quarter.GetX(), -1, 1e-6);
    CVector turned = trig::Rotate(CVector(0, 10, 1), 90);
    EXPECT_NEAR(turned.GetX(), -10, 1e-5);
    EXPECT_NEAR(turned.GetY(), 0, 1e-5);
    EXPECT_EQ(turned.GetZ(), 1);
}

TEST(GameObject, RespawnWaitsForTheDelayAndForceRespawnAlwaysWorks)
{
    CGameObject object;
    EXPECT_FALSE(object.IsActive());
    EXPECT_TRUE(object.CanRespawn()) << "a new object starts past its delay";
    object.Respawn(10, 20);
    ASSERT_TRUE(object.IsActive());
    object.SetVelocity(CVector(5, 5, 0));
    object.Kill();
    EXPECT_EQ(object.GetDeadTime(), 0);
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

TEST(GameObject, CollisionsTakeTheShortWayAcrossTheSeam)
{
    const float W = 640, H = 640;
    CGameObject low = Box(1, 100), high = Box(W - 1, 100);
    EXPECT_TRUE(low.Collides(high, W, H)) << "x = 1 and x = W - 1 are 2 units apart";
    CGameObject far = Box(20, 100);
    EXPECT_FALSE(low.Collides(far, W, H));
    CGameObject overlapping = Box(4, 102);
    EXPECT_TRUE(low.Collides(overlapping, W, H));
    CGameObject outlineless(KIND_BULLET);
    outlineless.SetRadius(4);
    outlineless.ForceRespawn(2, 100);
    EXPECT_FALSE(low.Collides(outlineless, W, H)) << "no outline, no overlap";
}

TEST(GameObject, DefaultDrawIsATexturedQuadAboutTheScreenPoint)
{
    CRecordingBackend recording;
    SetRenderBackend(&recording);
    CGameObject object;
    object.Draw(0, 0);
    EXPECT_TRUE(recording.Triangles().empty()) << "inactive objects draw nothing";
    object.ForceRespawn(50, 40);
    object.Draw(10, 20);
    SetRenderBackend(nullptr);
    ASSERT_EQ(recording.Triangles().size(), 2u);
    // Screen point (50 - 10 + 100, -(40 - 20)) = (140, -20); B is (-16, 16).
    const RenderVertex& b = recording.Triangles()[0].vertices[0];
    EXPECT_EQ(b.x, 124);
    EXPECT_EQ(b.y, -36);
    EXPECT_EQ(b.v, 1);
}
