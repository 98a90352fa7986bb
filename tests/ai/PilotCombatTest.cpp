// A pilot fighting on an open field: it fires its missiles at a ship that
// circles, shields against bullets it sees coming, and never shoots at a ship
// it cannot see. Whether its aim scores is the determinism game's kills.
#include "game/Projectiles.h"
#include "tests/ai/PilotArena.h"
#include "tests/support/MapFile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace testing_support;

namespace
{
// A walled open field, 24 x 24 cells, with a spawn point at either end.
std::string OpenField(const TempDir& dir)
{
    std::vector<std::string> rows(24, "#......................#");
    rows.front() = rows.back() = std::string(24, '#');
    rows[4][12] = '7';
    rows[19][12] = '7';
    return MapFile(rows, "Field").WriteTo(dir.Path() + "/Field.smp");
}

// Keeps a ship going round a circle of 96 units about the field's centre at
// 200 units a second, facing where it goes. It never shields or shoots.
void FlyInCircle(CShip& ship, double& phase)
{
    constexpr double kRadius = 96, kSpeed = 200, kCentre = 12 * 32;
    phase += kSpeed * PilotArena::kTickMs / 1000.0 / kRadius;
    CVector at(kCentre + kRadius * std::cos(phase), kCentre + kRadius * std::sin(phase), 1);
    CVector velocity(-std::sin(phase) * kSpeed, std::cos(phase) * kSpeed, 0);
    ship.SetPosition(at - velocity * (PilotArena::kTickMs / 1000.0));
    ship.SetVelocity(velocity);
    ship.SetAngle(static_cast<float>(std::atan2(-velocity.GetX(), velocity.GetY()) * 180 / M_PI + 360));
}

bool FiredBy(CGameWorld& world, const CShip& ship, int32_t kind = KIND_BULLET)
{
    for (const CGameObject& object : world.Objects())
        if (object.GetKind() == kind && object.GetOwnerId() == ship.GetId())
            return true;
    return false;
}

// A turret's kind of bullet, 150 units from the ship and coming straight at
// it at 400 units a second: it hits in 375 ms unless the ship moves.
void ShootAt(CGameWorld& world, const CShip& ship, double degrees)
{
    CVector from(std::cos(degrees * M_PI / 180), std::sin(degrees * M_PI / 180), 0);
    auto* bullet = new CBullet();
    bullet->Respawn(static_cast<float>(ship.GetPosition().GetX() + from.GetX() * 150),
                    static_cast<float>(ship.GetPosition().GetY() + from.GetY() * 150));
    bullet->SetMaxSpeed(896);
    bullet->SetVelocity(from * -400.0);
    world.AddObject(bullet);
}
} // namespace

TEST(PilotCombat, NeverShootsAtACloakedShip)
{
    TempDir dir;
    PilotArena arena(OpenField(dir), 5);
    ASSERT_TRUE(arena.IsLoaded());
    g_settings.CloakLifetime = 1 << 30;
    g_settings.CloakCost = 0;
    CShip& hidden = arena.AddShip("Hidden");
    CShip& pilot = arena.AddPilot("Vega [bot]");
    double phase = 0;
    bool fired = false;
    arena.Run(20000,
              [&]
              {
                  // Cloaked from its first tick in play: the pilot never saw it.
                  if (hidden.IsActive())
                  {
                      hidden.SetStatusBits(STATUS_CLOAK_HELD | STATUS_CLOAKED);
                      FlyInCircle(hidden, phase);
                  }
                  fired |= FiredBy(arena.World(), pilot);
              });
    EXPECT_TRUE(hidden.TestStatusBits(STATUS_CLOAKED));
    EXPECT_FALSE(fired) << "a bullet of the pilot's while the only other ship was cloaked";
}

// Bullets from nowhere, one every half second from all round: the pilot
// sees each coming and takes it on its shields.
TEST(PilotCombat, RaisesShieldsAgainstBulletsAboutToHit)
{
    TempDir dir;
    PilotArena arena(OpenField(dir), 8);
    ASSERT_TRUE(arena.IsLoaded());
    CShip& pilot = arena.AddPilot("Vega [bot]");
    int ticks = 0, shots = 0;
    bool shielded = false;
    arena.Run(10000,
              [&]
              {
                  if (pilot.IsActive() && ++ticks % 32 == 0)
                      ShootAt(arena.World(), pilot, 45.0 * shots++);
                  shielded |= pilot.ShieldsUp();
              });
    EXPECT_GE(shots, 15);
    EXPECT_TRUE(shielded);
    EXPECT_EQ(arena.Count("Seems the locals didn't like Vega [bot]"), 0)
        << "killed by a bullet it saw coming";
}

TEST(PilotCombat, FiresItsMissilesAtAnEnemyInSight)
{
    TempDir dir;
    PilotArena arena(OpenField(dir), 9);
    ASSERT_TRUE(arena.IsLoaded());
    CShip& target = arena.AddShip("Target");
    CShip& pilot = arena.AddPilot("Vega [bot]");
    double phase = 0;
    bool armed = false, launched = false;
    arena.Run(10000,
              [&]
              {
                  if (pilot.IsActive() && !armed)
                      pilot.SetMissiles(2), armed = true;
                  if (target.IsActive())
                      FlyInCircle(target, phase);
                  launched |= FiredBy(arena.World(), pilot, KIND_MISSILE);
              });
    EXPECT_TRUE(launched);
}
