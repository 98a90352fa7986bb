// Powerups: their types, the octagon they collide with, and pickup against a
// bounce. Their lifetime is checked with the projectiles', their pictures with
// every object's.
#include "game/Powerup.h"

#include "game/Settings.h"
#include "game/Ship.h"
#include "platform/Clock.h"
#include "tests/game/ObjectTestHelpers.h"
#include "tests/support/DefaultGameSettings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

using testing_support::WallCell;

namespace
{
class PowerupTest : public ::testing::Test
{
protected:
    testing_support::DefaultGameSettings settings;
    platform::FakeClock clock{100000};
};

CPowerup PowerupAt(float x, float y, double vx, double vy)
{
    CPowerup powerup;
    powerup.ForceRespawn(x, y);
    powerup.SetVelocity(CVector(vx, vy, 0));
    return powerup;
}
} // namespace

TEST_F(PowerupTest, TypesOutsideTheTableBecomeTripleShot)
{
    CPowerup powerup;
    EXPECT_EQ(powerup.GetType(), POWERUP_TRIPLE_SHOT);
    for (int32_t type = 0; type < CPowerup::kTypes; ++type)
    {
        powerup.SetType(type);
        EXPECT_EQ(powerup.GetType(), type);
        EXPECT_EQ(powerup.GetStateSubtype(), type) << "state reports carry the type";
    }
    for (int32_t bad :
         {-1, 8, 1000, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()})
    {
        powerup.SetType(POWERUP_REPULSE);
        powerup.SetType(bad);
        EXPECT_EQ(powerup.GetType(), POWERUP_TRIPLE_SHOT) << bad;
    }
    EXPECT_STREQ(CPowerup::TextureName(POWERUP_FUEL), "pup_fuel.tga");
    EXPECT_STREQ(CPowerup::TextureName(-3), "pup_triple.tga");
    EXPECT_STREQ(CPowerup::TextureName(8), "pup_triple.tga");
}

TEST_F(PowerupTest, OutlineIsAClosedOctagonOfRadiusSixteen)
{
    CPowerup powerup;
    powerup.SetType(POWERUP_CLOAK);
    powerup.SetType(POWERUP_MINES);
    ASSERT_EQ(powerup.GetOutline().size(), 1u) << "each SetType replaces the outline";
    const auto& points = powerup.GetOutline().front().GetPoints();
    ASSERT_EQ(points.size(), 9u);
    EXPECT_EQ(points[0].x, 0);
    EXPECT_EQ(points[0].y, -16);
    EXPECT_EQ(points[8].x, points[0].x) << "the ninth point closes the ring";
    EXPECT_EQ(points[8].y, points[0].y);
    for (size_t i = 0; i < 8; ++i)
    {
        double expected = (static_cast<double>(i) * 45 - 90) * M_PI / 180; // from -y, counter-clockwise
        EXPECT_NEAR(points[i].x, 16 * std::cos(expected), 1e-4) << i;
        EXPECT_NEAR(points[i].y, 16 * std::sin(expected), 1e-4) << i;
    }
    EXPECT_EQ(powerup.GetRadius(), 0) << "the other object's radius alone decides the circle test";

    CShip ship;
    ship.SetShipType(0);
    ship.ForceRespawn(100, 100);
    powerup.ForceRespawn(100, 110);
    EXPECT_TRUE(ship.Collides(powerup, 640, 640) || powerup.Collides(ship, 640, 640));
}

// A ship with its shields up is a wall to a powerup; one with them down takes
// it. The powerup leaves the ship itself alone either way.
TEST_F(PowerupTest, ShieldsDecideBetweenPickupAndBounce)
{
    CShip ship;
    ship.SetShipType(3); // its outline has a flat edge across y = -8
    ship.ForceRespawn(200, 200);
    ship.SetStatusBits(STATUS_SHIELDS);
    CPowerup bounced = PowerupAt(203, 220, 0, -100);
    bounced.OnCollide(ship);
    EXPECT_TRUE(bounced.IsActive());
    EXPECT_NEAR(bounced.GetVelocity().GetX(), 0, 1e-9);
    EXPECT_NEAR(bounced.GetVelocity().GetY(), 100, 1e-9) << "sent back the way it came";
    EXPECT_TRUE(ship.ShieldsUp());

    ship.ClearStatusBits(STATUS_SHIELDS);
    CPowerup taken = PowerupAt(203, 220, 0, -100);
    taken.OnCollide(ship);
    EXPECT_FALSE(taken.IsActive());

    CGameObject wall = WallCell(5, 5);
    CPowerup sliding = PowerupAt(166, 156, 100, 10);
    sliding.OnCollide(wall);
    EXPECT_TRUE(sliding.IsActive());
    EXPECT_NEAR(sliding.GetVelocity().GetX(), 100, 1e-9) << "walls bounce it as they bounce mines";
    EXPECT_NEAR(sliding.GetVelocity().GetY(), -10, 1e-9);

    CGameObject bullet(KIND_BULLET);
    bullet.ForceRespawn(200, 200);
    CPowerup shot = PowerupAt(200, 190, 0, 50);
    shot.OnCollide(bullet);
    EXPECT_TRUE(shot.IsActive()) << "only ships pick powerups up";
    EXPECT_EQ(shot.GetVelocity().GetY(), -50);
}
