// The client's advance of its world between server updates: dead reckoning,
// closing the gap to the reported position the short way round, the update
// flag's jump, turrets coming back, and objects out of play deleted. Corrupt
// reports are the client-receive fuzz target's business.
#include "game/ClientAdvance.h"

#include "game/Projectiles.h"
#include "tests/game/WorldFixture.h"

namespace
{
class ClientAdvance : public testing_support::WorldFixture
{
protected:
    // A 64 x 4 map: 2048 x 128 units.
    void SetUp() override { LoadMap(std::vector<std::string>(4, std::string(64, '.'))); }

    // A ship in play at (x, y), reported there, moving at `velocity`.
    CShip* ShipAt(double x, double y, CVector velocity = CVector(0, 0, 0))
    {
        CShip* ship = WorldFixture::ShipAt(ObjectId(world.GetPlayerCount() + 1), "", x, y);
        ship->SetReportedPosition(CVector(x, y, 1));
        ship->SetVelocity(velocity);
        return ship;
    }
};

TEST_F(ClientAdvance, MovesByVelocityThenClosesTheGapAtTheWholeGapPerSecond)
{
    CShip* ship = ShipAt(100, 50, CVector(100, 0, 0));
    AdvanceClientWorld(world, 100);
    // 100 + 10 along the velocity, then a tenth of the gap of -10 back.
    EXPECT_DOUBLE_EQ(ship->GetPosition().GetX(), 109);
    EXPECT_DOUBLE_EQ(ship->GetPosition().GetY(), 50);

    ship->SetVelocity(CVector(0, 0, 0));
    ship->SetReportedPosition(CVector(209, 30, 1));
    AdvanceClientWorld(world, 500);
    EXPECT_DOUBLE_EQ(ship->GetPosition().GetX(), 159);
    EXPECT_DOUBLE_EQ(ship->GetPosition().GetY(), 40);
    AdvanceClientWorld(world, 0);
    EXPECT_DOUBLE_EQ(ship->GetPosition().GetX(), 159) << "no time, no movement";
}

TEST_F(ClientAdvance, TheGapIsClosedTheShortWayRound)
{
    CShip* ship = ShipAt(2040, 120);
    ship->SetReportedPosition(CVector(8, 4, 1)); // 16 to the right and 12 down, across both edges
    AdvanceClientWorld(world, 250);
    EXPECT_DOUBLE_EQ(ship->GetPosition().GetX(), 2044);
    EXPECT_DOUBLE_EQ(ship->GetPosition().GetY(), 123);
    AdvanceClientWorld(world, 1000);
    EXPECT_DOUBLE_EQ(ship->GetPosition().GetX(), 8) << "wrapped back into the world";
    EXPECT_DOUBLE_EQ(ship->GetPosition().GetY(), 4);
}

// The update flag makes ships in play jump to their reported positions once;
// ships out of play stay put, and are never deleted by the advance.
TEST_F(ClientAdvance, TheUpdateFlagJumpsToReportedPositionsAndShipsOutOfPlayStayPut)
{
    CShip* ship = ShipAt(100, 50, CVector(100, 0, 0));
    CShip* dead = ShipAt(100, 50, CVector(100, 0, 0));
    ship->SetReportedPosition(CVector(700, 60, 1));
    dead->SetReportedPosition(CVector(700, 60, 1));
    dead->Kill();
    world.SetUpdateFlag(true);
    AdvanceClientWorld(world, 100);
    EXPECT_DOUBLE_EQ(ship->GetPosition().GetX(), 700);
    EXPECT_FALSE(world.GetUpdateFlag());
    EXPECT_DOUBLE_EQ(dead->GetPosition().GetX(), 100);
    EXPECT_EQ(world.GetPlayerCount(), 2u);
}

TEST_F(ClientAdvance, TurretsComeBackAfterTheirDelay)
{
    auto* turret = new CTurret();
    turret->SetPosition(CVector(48, 48, 1));
    world.AddTurret(turret);
    turret->ForceRespawn(0, 0);
    turret->Kill();
    AdvanceClientWorld(world, CTurret::kRespawnDelay - 1);
    EXPECT_FALSE(turret->IsActive());
    AdvanceClientWorld(world, 1);
    EXPECT_TRUE(turret->IsActive());
    EXPECT_DOUBLE_EQ(turret->GetPosition().GetX(), 48) << "back where it stands";
}

TEST_F(ClientAdvance, ObjectsFollowTheirReportsAndAreDeletedOutOfPlay)
{
    auto* bullet = new CBullet();
    world.AddObject(bullet);
    bullet->ForceRespawn(10, 10);
    bullet->SetReportedPosition(CVector(10, 10, 1));
    bullet->SetVelocity(CVector(0, 100, 0));
    auto* mine = new CMine();
    world.AddObject(mine);
    mine->Kill();
    AdvanceClientWorld(world, 100);
    EXPECT_DOUBLE_EQ(bullet->GetPosition().GetY(), 19);
    EXPECT_EQ(world.GetObjectCount(), 1u);
    bullet->Kill();
    AdvanceClientWorld(world, 10);
    EXPECT_EQ(world.GetObjectCount(), 0u);
}

// The server reports every 50 ms; the client draws at about 60 frames a
// second, so two frames in three go by without a report.
TEST_F(ClientAdvance, SparseReportsOfAStraightFlightAreDrawnNearItAndNeverBack)
{
    const double speed = 400;
    CShip* ship = ShipAt(100, 50, CVector(speed, 0, 0));
    const int32_t frames[] = {17, 17, 16};
    int32_t now = 0;
    double lastX = 100;
    for (int frame = 0; frame < 90; ++frame)
    {
        int32_t dt = frames[frame % 3];
        for (int32_t t = now + 1; t <= now + dt; ++t)
            if (t % 50 == 0)
                ship->SetReportedPosition(CVector(100 + speed * t / 1000, 50, 1));
        now += dt;
        AdvanceClientWorld(world, dt);
        double x = ship->GetPosition().GetX();
        EXPECT_NEAR(x, 100 + speed * now / 1000, 4) << "at " << now << " ms";
        EXPECT_GE(x, lastX) << "at " << now << " ms";
        lastX = x;
    }
}

TEST_F(ClientAdvance, ReportsBeforeEveryFrameAgainAreFollowedAsBefore)
{
    CShip* ship = ShipAt(100, 50, CVector(100, 0, 0));
    AdvanceClientWorld(world, 20);
    AdvanceClientWorld(world, 20); // no report: updates are sparse from the next one
    ship->SetReportedPosition(CVector(104, 50, 1));
    AdvanceClientWorld(world, 20);
    ship->SetReportedPosition(CVector(106, 50, 1));
    ship->SetVelocity(CVector(50, 0, 0));
    double x = ship->GetPosition().GetX();
    AdvanceClientWorld(world, 100);
    double reckoned = x + 5;
    EXPECT_DOUBLE_EQ(ship->GetPosition().GetX(), reckoned + (106 - reckoned) * 0.1);
}

TEST(ClientAdvanceWithoutMap, DoesNothingAndKeepsTheFlag)
{
    CGameWorld world;
    auto* ship = new CShip();
    ship->ForceRespawn(5, 5);
    ship->SetVelocity(CVector(100, 0, 0));
    world.AddPlayer(ship);
    world.SetUpdateFlag(true);
    AdvanceClientWorld(world, 100);
    EXPECT_DOUBLE_EQ(ship->GetPosition().GetX(), 5);
    EXPECT_TRUE(world.GetUpdateFlag());
}
} // namespace
