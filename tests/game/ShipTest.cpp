// The ship on its own: fuel, rate of fire, frags, pickups, cloak and respawn.
#include "game/Ship.h"

#include "game/Powerup.h"
#include "game/Settings.h"
#include "game/World.h"
#include "platform/Clock.h"
#include "tests/support/DefaultGameSettings.h"

#include <gtest/gtest.h>

namespace
{
class ShipTest : public ::testing::Test
{
protected:
    void SetUp() override { ship.ForceRespawn(100, 100); }

    // Holds `codes` for one tick of `elapsed` ms.
    void Hold(std::initializer_list<uint32_t> codes, int32_t elapsed)
    {
        std::vector<uint32_t> held(codes);
        ship.ApplyControls(held.data(), held.size(), elapsed, world);
    }

    testing_support::DefaultGameSettings settings;
    platform::FakeClock clock{50000};
    CGameWorld world;
    CShip ship;
};
} // namespace

// Thrust and shields are paid for the whole tick or not at all, and shields
// stay up only while held.
TEST_F(ShipTest, ThrustAndShieldsArePaidForTheWholeTickOrNotAtAll)
{
    ship.SetFuel(0.5f);
    Hold({KEY_THRUST}, 4000);
    EXPECT_NEAR(ship.GetFuel(), 0.1f, 1e-5) << "0.4 for 4000 ms";
    EXPECT_GT(ship.GetVelocity().Length(), 0);
    ship.SetVelocity(CVector(0, 0, 0));
    ship.SetFuel(0.5f);
    Hold({KEY_THRUST}, 6000);
    EXPECT_FLOAT_EQ(ship.GetFuel(), 0.5f) << "0.6 is more than the tank holds";
    EXPECT_EQ(ship.GetVelocity().Length(), 0);

    ship.SetFuel(100);
    Hold({KEY_SHIELDS}, 100);
    EXPECT_TRUE(ship.ShieldsUp());
    Hold({}, 100);
    EXPECT_FALSE(ship.ShieldsUp());
    ship.SetFuel(0.01f);
    Hold({KEY_SHIELDS}, 100);
    EXPECT_FALSE(ship.ShieldsUp()) << "0.05 for 100 ms is more than the tank holds";
}

TEST_F(ShipTest, RateOfFireIntervalMustBeExceededAndPlasmaMinesShareIt)
{
    EXPECT_TRUE(ship.CanFireBullet());
    clock.Advance(100);
    EXPECT_FALSE(ship.CanFireBullet()) << "exactly 1000 / 10 ms is refused";
    clock.Advance(1);
    ship.SetPlasmaMines(1);
    EXPECT_TRUE(ship.CanFireBullet());
    Hold({KEY_FIRE_PLASMA}, 10);
    EXPECT_EQ(ship.GetPlasmaMines(), 1) << "refused right after a bullet";
    ship.SetStatusBits(STATUS_SHIELDS);
    clock.Advance(500);
    EXPECT_FALSE(ship.CanFireBullet()) << "no shots through shields";
    ship.ClearStatusBits(STATUS_SHIELDS);
    EXPECT_TRUE(ship.CanFireBullet()) << "the refused check left the timer alone";
}

TEST_F(ShipTest, TripleShotThatCannotBePaidStillRestartsTheTimer)
{
    ship.SetStatusBits(STATUS_TRIPLE_SHOT);
    ship.SetFuel(0.1f);
    Hold({KEY_FIRE_BULLET}, 10);
    EXPECT_FLOAT_EQ(ship.GetFuel(), 0.1f) << "0.15 for three bullets";
    ship.SetFuel(50);
    clock.Advance(50);
    Hold({KEY_FIRE_BULLET}, 10);
    EXPECT_FLOAT_EQ(ship.GetFuel(), 50) << "the bullet timer was restarted by the failed shot";
}

TEST_F(ShipTest, FragsAreClampedAndOutOfRangeChangesIgnored)
{
    ship.SetFrags(126);
    ship.AddFrags(1);
    ship.AddFrags(1);
    EXPECT_EQ(ship.GetFrags(), 127);
    ship.SetFrags(-126);
    ship.AddFrags(-1);
    EXPECT_EQ(ship.GetFrags(), -126);
    ship.AddFrags(127);
    EXPECT_EQ(ship.GetFrags(), -126) << "a delta of 127 does nothing";
    ship.SetFrags(127);
    EXPECT_EQ(ship.GetFrags(), -126) << "127 is out of range for set";
}

TEST_F(ShipTest, PickupsAddAmmunitionUpToTheMaximumsAndTankThenFuel)
{
    for (int i = 0; i < 5; ++i)
        ship.PickUp(POWERUP_MISSILES);
    EXPECT_EQ(ship.GetMissiles(), g_settings.MaxMissiles);
    ship.SetFuel(50);
    ship.PickUp(POWERUP_EXTRA_TANK);
    EXPECT_FLOAT_EQ(ship.GetCapacity(), 200);
    EXPECT_FLOAT_EQ(ship.GetFuel(), 50) << "a bigger tank, not more fuel";
    ship.PickUp(POWERUP_FUEL);
    EXPECT_FLOAT_EQ(ship.GetFuel(), 200);
    ship.PickUp(POWERUP_CLOAK);
    ship.PickUp(POWERUP_TRIPLE_SHOT);
    EXPECT_TRUE(ship.TestStatusBits(STATUS_CLOAK_HELD | STATUS_TRIPLE_SHOT | STATUS_EXTRA_TANK));
}

TEST_F(ShipTest, CloakEndsAfterItsLifetimeOrWhenItsFuelRunsOutAndIsUsedUp)
{
    ship.PickUp(POWERUP_CLOAK);
    Hold({KEY_CLOAK}, 10);
    ASSERT_TRUE(ship.TestStatusBits(STATUS_CLOAKED));
    clock.Advance(static_cast<uint32_t>(g_settings.CloakLifetime));
    Hold({}, 10);
    EXPECT_TRUE(ship.TestStatusBits(STATUS_CLOAKED)) << "exactly the lifetime: still cloaked";
    clock.Advance(1);
    Hold({}, 10);
    EXPECT_FALSE(ship.TestStatusBits(STATUS_CLOAKED | STATUS_CLOAK_HELD));
    Hold({KEY_CLOAK}, 10);
    EXPECT_FALSE(ship.TestStatusBits(STATUS_CLOAKED)) << "needs a new cloak powerup";

    ship.PickUp(POWERUP_CLOAK);
    Hold({KEY_CLOAK}, 10);
    ship.SetFuel(0.5f);
    Hold({}, 1000);
    EXPECT_FALSE(ship.TestStatusBits(STATUS_CLOAKED)) << "1 per second is more than 0.5";
}

TEST_F(ShipTest, RespawnTakesAwayTripleShotTankAndCloak)
{
    ship.SetStatusBits(STATUS_TRIPLE_SHOT | STATUS_EXTRA_TANK | STATUS_CLOAK_HELD);
    ship.SetCapacity(200);
    ship.SetMissiles(3);
    ship.Kill();
    ship.AddDeadTime(5000);
    ship.Respawn(10, 10);
    EXPECT_EQ(ship.GetStatus(), 0);
    EXPECT_FLOAT_EQ(ship.GetCapacity(), g_settings.BaseFuelCapacity);
    EXPECT_FLOAT_EQ(ship.GetFuel(), g_settings.BaseFuelCapacity);
    EXPECT_EQ(ship.GetMissiles(), g_settings.StartingMissiles);
}

TEST_F(ShipTest, UnknownShipTypesHaveAnEmptyOutlineAndTheDefaultPicture)
{
    ship.SetShipType(9);
    EXPECT_STREQ(CShip::TextureName(9), "Triship.tga");
    ASSERT_EQ(ship.GetOutline().size(), 1u);
    EXPECT_TRUE(ship.GetOutline().front().GetPoints().empty());
    ship.SetShipType(-1);
    EXPECT_STREQ(CShip::TextureName(-1), "Triship.tga");
}
