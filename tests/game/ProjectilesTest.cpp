// Bullets, missiles, mines, plasma mines, shrapnel and powerups: lifetimes,
// the missile's steering, the bounce off walls and shields, pickup and shapes.
#include "game/Projectiles.h"

#include "game/Powerup.h"
#include "game/Settings.h"
#include "game/Ship.h"
#include "game/Trig.h"
#include "platform/Clock.h"
#include "tests/support/DefaultGameSettings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>

namespace
{
class ProjectileTest : public ::testing::Test
{
protected:
    testing_support::DefaultGameSettings settings;
    platform::FakeClock clock{100000};
};

// Turns come out a hair short of the true angle (the steering's degree
// conversion divides by 6.283194), so steered angles are compared this closely.
constexpr double kTolerance = 1e-3;

// A stand-in for a ship to aim at: only position, velocity and activity count.
std::unique_ptr<CGameObject> TargetAt(double x, double y)
{
    auto target = std::make_unique<CGameObject>(KIND_SHIP);
    target->ForceRespawn(static_cast<float>(x), static_cast<float>(y));
    return target;
}

std::unique_ptr<CMissile> MissileAt(double x, double y, float angle, const CGameObject* target)
{
    auto missile = std::make_unique<CMissile>();
    missile->ForceRespawn(static_cast<float>(x), static_cast<float>(y));
    missile->SetAngle(angle);
    missile->SetTarget(target);
    return missile;
}

// A full wall cell as the world's wall test sets it up: kind 0, the 34-unit
// square about the centre of cell (5, 5), (176, 176), radius 23.
CGameObject WallCell()
{
    CGameObject wall(KIND_MAP);
    wall.AddOutline(CollisionPolygon{{-17, -17}, {17, -17}, {17, 17}, {-17, 17}});
    wall.SetRadius(23);
    wall.SetPosition(CVector(176, 176, 1));
    return wall;
}

CPowerup PowerupAt(float x, float y, double vx, double vy)
{
    CPowerup powerup;
    powerup.ForceRespawn(x, y);
    powerup.SetVelocity(CVector(vx, vy, 0));
    return powerup;
}
} // namespace

// Each outline turns left (or runs straight) at every corner and holds the
// object's centre: counter-clockwise and convex, as the collision code needs.
TEST_F(ProjectileTest, EveryOutlineIsCounterClockwiseAboutItsCentre)
{
    CShrapnel second;
    second.SetShape(1);
    CBullet bullet;
    CMissile missile;
    CMine mine;
    CPlasmaMine plasma;
    CShrapnel first;
    CPowerup powerup;
    const std::pair<const CGameObject*, int32_t> objects[] = {
        {&bullet, KIND_BULLET},      {&missile, KIND_MISSILE}, {&mine, KIND_MINE},
        {&plasma, KIND_PLASMA_MINE}, {&first, KIND_SHRAPNEL},  {&second, KIND_SHRAPNEL},
        {&powerup, KIND_POWERUP}};
    for (const auto& [object, kind] : objects)
    {
        EXPECT_EQ(object->GetKind(), kind);
        ASSERT_EQ(object->GetOutline().size(), 1u);
        const auto& points = object->GetOutline().front().GetPoints();
        for (size_t i = 0; i < points.size(); ++i)
        {
            const auto &a = points[i], &b = points[(i + 1) % points.size()],
                       &c = points[(i + 2) % points.size()];
            float cross = (b.x - a.x) * (c.y - b.y) - (b.y - a.y) * (c.x - b.x);
            EXPECT_GE(cross, -1e-4f) << "corner " << i + 1 << " of kind " << kind;
        }
        EXPECT_TRUE(object->GetOutline().front().ContainsPoint(0, 0)) << "kind " << kind;
    }
}

// Each timed thing lives exactly its configured lifetime: still in play at
// the lifetime, gone one millisecond later, even across the tick counter's
// wrap.
TEST_F(ProjectileTest, LifetimesEndOneMillisecondAfterTheConfiguredTime)
{
    struct Case
    {
        const char* name;
        int GameSettings::*lifetime;
        std::function<std::unique_ptr<CGameObject>()> make;
    };
    auto target = TargetAt(0, 0);
    const Case cases[] = {
        {"bullet", &GameSettings::BulletLifetime, [] { return std::make_unique<CBullet>(); }},
        {"mine", &GameSettings::MineLifetime, [] { return std::make_unique<CMine>(); }},
        {"plasma mine", &GameSettings::MineLifetime, [] { return std::make_unique<CPlasmaMine>(); }},
        {"shrapnel", &GameSettings::ShrapnelLifespan, [] { return std::make_unique<CShrapnel>(); }},
        {"powerup", &GameSettings::PowerupLifetime, [] { return std::make_unique<CPowerup>(); }},
        {"missile with a live target", &GameSettings::MissileLifetime,
         [&] { return MissileAt(500, 500, 0, target.get()); }},
    };
    for (const Case& c : cases)
    {
        testing_support::DefaultGameSettings defaults;
        g_settings.*c.lifetime = 1234;
        clock.SetTick(0xFFFFFC00u); // wraps 1024 ms later
        std::unique_ptr<CGameObject> object = c.make();
        object->ForceRespawn(500, 500);
        clock.Advance(1234);
        object->Update(16);
        EXPECT_TRUE(object->IsActive()) << c.name << " at exactly its lifetime";
        clock.Advance(1);
        object->Update(16);
        EXPECT_FALSE(object->IsActive()) << c.name << " one ms later";
    }
}

// Without a target in play a missile is inert: it keeps its heading and
// velocity and never ages out, however long it flies.
TEST_F(ProjectileTest, MissileWithoutALiveTargetFliesStraightAndNeverExpires)
{
    auto target = TargetAt(800, 800);
    auto missing = MissileAt(100, 100, 30, nullptr);
    auto orphaned = MissileAt(100, 100, 30, target.get());
    auto forgotten = MissileAt(100, 100, 30, target.get());
    target->Kill();
    auto other = TargetAt(0, 0);
    forgotten->ForgetTarget(other.get());
    EXPECT_EQ(forgotten->GetTarget(), target.get()) << "only the gone object is forgotten";
    forgotten->ForgetTarget(target.get());
    EXPECT_EQ(forgotten->GetTarget(), nullptr);

    for (CMissile* missile : {missing.get(), orphaned.get(), forgotten.get()})
    {
        missile->SetVelocity(CVector(10, 20, 0));
        for (int tick = 0; tick < 10; ++tick)
        {
            clock.Advance(static_cast<uint32_t>(g_settings.MissileLifetime));
            missile->Update(100);
        }
        EXPECT_TRUE(missile->IsActive());
        EXPECT_NEAR(missile->GetAngle(), 30, kTolerance);
        EXPECT_EQ(missile->GetVelocity().GetX(), 10);
        EXPECT_EQ(missile->GetVelocity().GetY(), 20);
    }
}

// One 100 ms tick of steering at 450 degrees a second: heading 0 is +y, and
// more angle turns the nose towards -x. The aim point is where the target
// will be one tick on, the short way round the world when the missile knows
// its size.
TEST_F(ProjectileTest, MissileTurnsTowardsItsAimPointByUpToItsRate)
{
    const struct
    {
        const char* what;
        double x, y;
        float angle;
        double targetX, targetY, targetVx;
        float worldSize, expected;
    } cases[] = {
        {"to the left", 100, 100, 0, 0, 200, 0, 0, 45},
        {"to the right", 100, 100, 0, 200, 200, 0, 0, 315},
        {"straight away: one full step, clockwise", 100, 100, 0, 100, 0, 0, 0, 315},
        {"behind and to the left: turns right, away", 100, 100, 0, 0, 0, 0, 0, 315},
        {"leading a target crossing to +x", 100, 100, 0, 100, 300, 2000, 0, 315},
        {"20 units on across the right edge, to +x", 630, 320, 0, 10, 320, 0, 640, 315},
        {"no world size: 620 units back, to -x", 630, 320, 0, 10, 320, 0, 0, 45},
        {"20 units on across the far edge, to +y", 320, 630, 90, 320, 10, 0, 640, 45},
    };
    for (const auto& c : cases)
    {
        auto target = TargetAt(c.targetX, c.targetY);
        target->SetVelocity(CVector(c.targetVx, 0, 0));
        auto missile = MissileAt(c.x, c.y, c.angle, target.get());
        if (c.worldSize > 0)
            missile->SetWorldSize(c.worldSize, c.worldSize);
        missile->Update(100);
        EXPECT_NEAR(missile->GetAngle(), c.expected, kTolerance) << c.what;
    }
}

TEST_F(ProjectileTest, MissileThrustsAlongItsNewHeadingUpToItsMaxSpeed)
{
    auto target = TargetAt(0, 200);
    auto missile = MissileAt(100, 100, 0, target.get());
    missile->Update(100);
    CVector velocity = missile->GetVelocity();
    EXPECT_NEAR(velocity.Length(), 70, 1e-4) << "acceleration 700 for 100 ms";
    // The turn stops a hair short of 45 degrees, and the tables take whole
    // degrees: the thrust goes along 44.
    EXPECT_NEAR(velocity.GetX(), -70 * trig::Sin(44), 1e-4);
    EXPECT_NEAR(velocity.GetY(), 70 * trig::Cos(44), 1e-4);

    g_settings.MissileMaxSpeed = 50;
    auto slow = MissileAt(100, 100, 0, target.get());
    slow->Update(100);
    EXPECT_NEAR(slow->GetVelocity().Length(), 50, 1e-4);
}

TEST_F(ProjectileTest, TurnByKeepsTheAngleInAFullTurnAndIgnoresBadInput)
{
    CMissile missile;
    missile.TurnBy(-0.5f, 100);
    EXPECT_FLOAT_EQ(missile.GetAngle(), 359.5f) << "[0, 360), not (-1, 359]";
    missile.TurnBy(1, 100);
    EXPECT_FLOAT_EQ(missile.GetAngle(), 0.5f);
    missile.TurnBy(std::numeric_limits<float>::quiet_NaN(), 100);
    missile.TurnBy(std::numeric_limits<float>::infinity(), 100);
    missile.TurnBy(90, -5);
    EXPECT_FLOAT_EQ(missile.GetAngle(), 0.5f);
    missile.TurnBy(1e30f, 100);
    EXPECT_FLOAT_EQ(missile.GetAngle(), 45.5f) << "450 degrees a second";
    missile.TurnBy(-1e30f, 20);
    EXPECT_FLOAT_EQ(missile.GetAngle(), 36.5f) << "9 degrees in a 20 ms tick";

    auto wild = TargetAt(0, 0);
    wild->SetVelocity(CVector(std::numeric_limits<double>::infinity(), 1e300, 0));
    auto chasing = MissileAt(100, 100, 10, wild.get());
    chasing->SetWorldSize(640, 640);
    chasing->Update(100);
    EXPECT_TRUE(chasing->IsActive());
    EXPECT_NEAR(chasing->GetAngle(), 10, kTolerance) << "no aim point, no turn";
}

// Against a wall edge a mine keeps the component of its velocity along the edge
// and reverses the component across it; touching a ship ends it.
TEST_F(ProjectileTest, MineBouncesOffAWallEdgeAndDiesOnAShip)
{
    CGameObject wall = WallCell(); // edges at 159 and 193
    struct Case
    {
        const char* name;
        double x, y, vx, vy;
        double bx, by;
    };
    const Case cases[] = {
        {"head-on from below", 176, 150, 0, 100, 0, -100},
        {"head-on, off centre", 170, 150, 0, 100, 0, -100},
        {"head-on from the left", 150, 176, 100, 0, -100, 0},
        {"sliding along the bottom edge", 166, 156, 100, 10, 100, -10},
        {"sliding along the left edge", 150, 170, 10, 100, -10, 100},
    };
    for (const Case& c : cases)
    {
        CMine mine;
        mine.ForceRespawn(static_cast<float>(c.x), static_cast<float>(c.y));
        mine.SetVelocity(CVector(c.vx, c.vy, 0));
        mine.OnCollide(wall);
        EXPECT_TRUE(mine.IsActive()) << c.name;
        EXPECT_NEAR(mine.GetVelocity().GetX(), c.bx, 1e-9) << c.name;
        EXPECT_NEAR(mine.GetVelocity().GetY(), c.by, 1e-9) << c.name;
    }
    CShip ship;
    ship.ForceRespawn(100, 100);
    CPlasmaMine plasma;
    plasma.ForceRespawn(110, 100);
    plasma.SetVelocity(CVector(50, 0, 0)); // already moving away
    plasma.OnCollide(ship);
    EXPECT_FALSE(plasma.IsActive()) << "a ship kills it, whatever its motion";
}

// A collapsed outline reports a parallel edge without giving its vector.
TEST_F(ProjectileTest, BounceReversesWhenNoUsableEdgeIsFound)
{
    CGameObject bare(KIND_BULLET), collapsed(KIND_BULLET);
    collapsed.AddOutline(CollisionPolygon{{0, 0}, {0, 0}, {0, 0}});
    for (CGameObject* wall : {&bare, &collapsed})
    {
        wall->SetPosition(CVector(100, 100, 1));
        CVector back = BounceOff(*wall, CVector(90, 100, 1), CVector(30, -40, 0));
        EXPECT_EQ(std::pair(back.GetX(), back.GetY()), std::pair(-30.0, 40.0));
    }
}

TEST_F(ProjectileTest, ShrapnelHasTwoShapesAndTakesTheFirstForAnyOther)
{
    CShrapnel shrapnel;
    EXPECT_EQ(shrapnel.GetShape(), 0);
    EXPECT_EQ(shrapnel.GetRadius(), 8);
    EXPECT_EQ(shrapnel.GetOutline().front().GetPoints().size(), 3u);
    shrapnel.SetShape(1);
    EXPECT_EQ(shrapnel.GetStateSubtype(), 1);
    ASSERT_EQ(shrapnel.GetOutline().size(), 1u) << "the shape replaces the outline";
    EXPECT_EQ(shrapnel.GetOutline().front().GetPoints().size(), 4u);
    for (int32_t bad : {2, -1, std::numeric_limits<int32_t>::min()})
    {
        shrapnel.SetShape(bad);
        EXPECT_EQ(shrapnel.GetShape(), 0) << bad;
        EXPECT_EQ(shrapnel.GetOutline().front().GetPoints().size(), 3u);
    }
}

// Types outside the table become triple shot. The outline is a regular
// octagon of radius 16, its first point repeated; the powerup has no radius
// of its own, so the other object's alone decides the circle test.
TEST_F(ProjectileTest, PowerupTypesAndOutline)
{
    CPowerup powerup;
    EXPECT_EQ(powerup.GetType(), POWERUP_TRIPLE_SHOT);
    for (int32_t type = 0; type < CPowerup::kTypes; ++type)
    {
        powerup.SetType(type);
        EXPECT_EQ(powerup.GetStateSubtype(), type) << "state reports carry the type";
    }
    for (int32_t bad : {-1, 8, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()})
    {
        powerup.SetType(POWERUP_REPULSE);
        powerup.SetType(bad);
        EXPECT_EQ(powerup.GetType(), POWERUP_TRIPLE_SHOT) << bad;
    }
    EXPECT_STREQ(CPowerup::TextureName(POWERUP_FUEL), "pup_fuel.tga");
    EXPECT_STREQ(CPowerup::TextureName(-3), "pup_triple.tga");
    EXPECT_STREQ(CPowerup::TextureName(8), "pup_triple.tga");

    ASSERT_EQ(powerup.GetOutline().size(), 1u) << "each SetType replaces the outline";
    const auto& points = powerup.GetOutline().front().GetPoints();
    ASSERT_EQ(points.size(), 9u);
    EXPECT_EQ(std::pair(points[8].x, points[8].y), std::pair(points[0].x, points[0].y));
    for (size_t i = 0; i < 8; ++i)
    {
        double expected = (static_cast<double>(i) * 45 - 90) * M_PI / 180;
        EXPECT_NEAR(points[i].x, 16 * std::cos(expected), 1e-4) << i;
        EXPECT_NEAR(points[i].y, 16 * std::sin(expected), 1e-4) << i;
    }
    EXPECT_EQ(powerup.GetRadius(), 0);
    CShip ship;
    ship.ForceRespawn(100, 100);
    powerup.ForceRespawn(100, 110);
    EXPECT_TRUE(ship.Collides(powerup, 640, 640) || powerup.Collides(ship, 640, 640));
}

// A ship with its shields up is a wall to a powerup; one with them down takes
// it; nothing else picks it up. The powerup leaves the ship itself alone.
TEST_F(ProjectileTest, PowerupShieldsDecideBetweenPickupAndBounce)
{
    CShip ship;
    ship.SetShipType(3); // its outline has a flat edge across y = -8
    ship.ForceRespawn(200, 200);
    ship.SetStatusBits(STATUS_SHIELDS);
    CPowerup bounced = PowerupAt(203, 220, 10, -100);
    bounced.OnCollide(ship);
    EXPECT_TRUE(bounced.IsActive());
    EXPECT_NEAR(bounced.GetVelocity().GetX(), 10, 1e-9) << "keeps its motion along the edge";
    EXPECT_NEAR(bounced.GetVelocity().GetY(), 100, 1e-9);
    EXPECT_TRUE(ship.ShieldsUp());

    ship.ClearStatusBits(STATUS_SHIELDS);
    CPowerup taken = PowerupAt(203, 220, 0, -100);
    taken.OnCollide(ship);
    EXPECT_FALSE(taken.IsActive());

    CGameObject bullet(KIND_BULLET);
    bullet.ForceRespawn(200, 200);
    CPowerup shot = PowerupAt(200, 190, 0, 50);
    shot.OnCollide(bullet);
    EXPECT_TRUE(shot.IsActive()) << "only ships pick powerups up";
    EXPECT_EQ(shot.GetVelocity().GetY(), -50);
}
