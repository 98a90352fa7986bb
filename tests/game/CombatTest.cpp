// Collisions, damage and kills in the world: walls, rammings, objects and
// their owners, mines, turrets, powerups and the repulsor.
#include "game/World.h"

#include "common/MessageLog.h"
#include "game/Powerup.h"
#include "game/Projectiles.h"
#include "game/Settings.h"
#include "platform/Clock.h"
#include "tests/support/MapFile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using testing_support::MapFile;
using testing_support::TempDir;

namespace
{
class CombatTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_settings = GameSettings{};
        CMessageLog::DestroyServerLog();
        CMessageLog::GetServerLog().SetMaxLines(50);
    }
    void TearDown() override
    {
        g_settings = GameSettings{};
        CMessageLog::DestroyServerLog();
    }

    void LoadMap(const std::vector<std::string>& rows)
    {
        auto* map = new CMap();
        ASSERT_TRUE(map->LoadFromFile(MapFile(rows).WriteTo(dir.File("combat.smp"))));
        world.AttachMap(map);
    }

    // An open 20 x 20 map with a wall column at x = 10.
    void LoadArena()
    {
        std::vector<std::string> rows(20, std::string(20, '.'));
        for (auto& row : rows)
            row[10] = '#';
        LoadMap(rows);
    }

    CShip* AddShip(ObjectId id, const char* name, float x, float y)
    {
        auto* ship = new CShip();
        ship->SetId(id);
        ship->SetName(name);
        ship->ForceRespawn(x, y);
        world.AddPlayer(ship);
        return ship;
    }

    std::vector<std::string> LogLines()
    {
        std::vector<std::string> lines;
        char buffer[1024];
        CMessageLog& log = CMessageLog::GetServerLog();
        log.ResetCursor();
        while (log.NextLine(buffer, sizeof buffer))
            lines.insert(lines.begin(), buffer);
        return lines;
    }

    size_t CountKind(int32_t kind)
    {
        size_t count = 0;
        for (const CGameObject& object : world.Objects())
            count += object.GetKind() == kind;
        return count;
    }

    // The first object in the world's list; null when there is none.
    CGameObject* FirstObject()
    {
        COwnedRange<CGameObject> objects = world.Objects();
        return objects.begin() == objects.end() ? nullptr : &*objects.begin();
    }

    platform::FakeClock clock{80000};
    TempDir dir;
    CGameWorld world;
};
} // namespace

TEST_F(CombatTest, UnshieldedShipDiesOnAWallAndLeavesShrapnel)
{
    LoadArena();
    // The wall cell spans x 320..352; the ship flies into it from the left.
    CShip* ship = AddShip(1, "Pilot", 300, 100);
    ship->SetVelocity(CVector(200, 0, 0));
    world.Tick(100);
    EXPECT_FALSE(ship->IsActive());
    EXPECT_EQ(ship->GetFrags(), -1);
    EXPECT_EQ(LogLines(), std::vector<std::string>{"Pilot tried to land.  It didn't go so well..."});
    EXPECT_EQ(CountKind(KIND_SHRAPNEL), static_cast<size_t>(g_settings.ShrapnelCount));
    CGameObject* piece = FirstObject();
    ASSERT_NE(piece, nullptr);
    EXPECT_EQ(piece->GetOwnerId(), 1u);
    EXPECT_NEAR(piece->GetVelocity().Length(), g_settings.ShrapnelSpeed, 1e-3);
}

TEST_F(CombatTest, ShieldedShipBouncesOffAWallAndPaysForTheImpact)
{
    LoadArena();
    CShip* ship = AddShip(1, "Pilot", 300, 100);
    ship->SetStatusBits(STATUS_SHIELDS);
    double speed = 384;
    ship->SetVelocity(CVector(speed, 0, 0));
    world.CollideWithWalls(*ship, 100, 640, 640);
    EXPECT_TRUE(ship->IsActive());
    EXPECT_LT(ship->GetVelocity().GetX(), 0) << "sent back";
    double cost =
        g_settings.BaseCollisionCost * (speed / g_settings.BaseMaxSpeed) * (speed / g_settings.BaseMaxSpeed);
    EXPECT_NEAR(ship->GetFuel(), g_settings.BaseFuelCapacity - cost, 1e-3);
    EXPECT_EQ(ship->GetPosition().GetX(), 300) << "the wall test never moves the ship";
}

TEST_F(CombatTest, TwoUnshieldedShipsBothDieInOneCollision)
{
    LoadArena();
    CShip* a = AddShip(1, "Alpha", 100, 100);
    CShip* b = AddShip(2, "Beta", 105, 100);
    world.Tick(0);
    EXPECT_FALSE(a->IsActive());
    EXPECT_FALSE(b->IsActive());
    EXPECT_EQ(a->GetFrags(), 0) << "one lost, one gained";
    EXPECT_EQ(b->GetFrags(), 0);
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"Beta ran over Alpha", "Alpha ran over Beta"}));
    EXPECT_EQ(CountKind(KIND_SHRAPNEL), 0u) << "rammings leave no shrapnel";
}

TEST_F(CombatTest, KillsByObjectsAreCreditedToTheirOwners)
{
    LoadArena();
    CShip* victim = AddShip(1, "Victim", 100, 100);
    CShip* killer = AddShip(2, "Killer", 500, 500);
    float spot = 40;
    auto shoot = [&](ObjectId owner, int32_t kind)
    {
        // A fresh spot each time, away from the shrapnel of the last death.
        spot += 60;
        victim->ForceRespawn(spot, 100);
        CGameObject* shot =
            kind == KIND_SHRAPNEL ? static_cast<CGameObject*>(new CShrapnel()) : new CBullet();
        shot->ForceRespawn(spot, 100);
        shot->SetOwnerId(owner);
        world.AddObject(shot);
        world.Tick(0);
        EXPECT_FALSE(victim->IsActive());
    };
    shoot(2, KIND_BULLET);
    shoot(2, KIND_SHRAPNEL);
    shoot(0, KIND_BULLET);
    shoot(1, KIND_BULLET);
    EXPECT_EQ(LogLines(), (std::vector<std::string>{
                              "Victim was killed by Killer", "Victim crashed into Killer's debris field",
                              "Seems the locals didn't like Victim very much", "Victim committed suicide"}));
    EXPECT_EQ(killer->GetFrags(), 2);
    EXPECT_EQ(victim->GetFrags(), -5) << "one each, and a suicide costs two";
}

TEST_F(CombatTest, ShieldedShipAbsorbsABulletAtAFuelCost)
{
    LoadArena();
    CShip* ship = AddShip(1, "Tank", 100, 100);
    ship->SetStatusBits(STATUS_SHIELDS);
    auto* bullet = new CBullet();
    bullet->ForceRespawn(100, 100);
    world.AddObject(bullet);
    world.Tick(0);
    EXPECT_TRUE(ship->IsActive());
    EXPECT_FLOAT_EQ(ship->GetFuel(), g_settings.BaseFuelCapacity - g_settings.BulletDamage);
    ship->SetFuel(1);
    ship->SetStatusBits(STATUS_SHIELDS);
    auto* missile = new CMissile();
    missile->ForceRespawn(100, 100);
    world.AddObject(missile);
    world.Tick(0);
    EXPECT_FALSE(ship->IsActive()) << "a hit the tank cannot pay for empties it and kills";
    EXPECT_FLOAT_EQ(ship->GetFuel(), 0);
}

TEST_F(CombatTest, MinesTriggerStrictlyInsideTheirRangeButNotForTheirOwner)
{
    LoadArena();
    CShip* owner = AddShip(1, "Owner", 100, 150);
    auto* mine = new CMine();
    mine->ForceRespawn(100, 100);
    mine->SetOwnerId(1);
    world.AddObject(mine);
    world.Tick(0);
    EXPECT_TRUE(owner->IsActive() && mine->IsActive()) << "never for its owner";
    owner->SetPosition(CVector(100, 500, 1));
    CShip* other = AddShip(2, "Other", 100, 100 + 196);
    world.Tick(0);
    EXPECT_TRUE(mine->IsActive()) << "196 is not inside 196";
    other->SetPosition(CVector(100, 100 + 195, 1));
    world.Tick(0);
    EXPECT_EQ(CountKind(KIND_MINE), 0u) << "set off, exploded and removed in the same tick";
}

TEST_F(CombatTest, BlastKillsWithinDamageRangeAndPushesBeyondIt)
{
    LoadArena();
    CShip* owner = AddShip(1, "Owner", 600, 600);
    CShip* near = AddShip(2, "Near", 100, 300 - 242);
    CShip* far = AddShip(3, "Far", 100, 300 + 243);
    auto* mine = new CMine();
    mine->ForceRespawn(100, 300);
    mine->SetOwnerId(1);
    world.AddObject(mine);
    mine->Kill();
    world.Tick(0);
    EXPECT_FALSE(near->IsActive());
    EXPECT_TRUE(far->IsActive());
    EXPECT_EQ(owner->GetFrags(), 1);
    EXPECT_EQ(near->GetFrags(), -1);
    EXPECT_EQ(LogLines(), std::vector<std::string>{"Near was killed by Owner's mine"});
    double push = (1 - 243.0 / 288.0) * 1024;
    EXPECT_NEAR(far->GetVelocity().GetY(), push, 1e-3);
}

TEST_F(CombatTest, ShieldedShipAtTheBlastLosesTheMinesDamage)
{
    LoadArena();
    CShip* ship = AddShip(1, "Shielded", 100, 100);
    ship->SetStatusBits(STATUS_SHIELDS);
    auto* mine = new CMine();
    mine->ForceRespawn(100, 100);
    world.AddObject(mine);
    mine->Kill();
    world.Tick(0);
    EXPECT_TRUE(ship->IsActive());
    EXPECT_FLOAT_EQ(ship->GetFuel(), g_settings.BaseFuelCapacity - g_settings.MineDamage);
}

TEST_F(CombatTest, WallsBlockTheLineOfSight)
{
    LoadArena();
    CShip* left = AddShip(1, "L", 300, 100);
    CShip* right = AddShip(2, "R", 380, 100);
    CShip* beside = AddShip(3, "B", 305, 110);
    EXPECT_FALSE(world.HasClearLine(*left, *right));
    EXPECT_TRUE(world.HasClearLine(*left, *beside));
    EXPECT_TRUE(world.HasClearLine(*left, *left));
}

TEST_F(CombatTest, TurretsSeeOnlyTheirHalfPlaneAndNotAcrossTheSeam)
{
    LoadArena();
    CTurret turret;
    turret.SetFacing(FACING_UP);
    turret.ForceRespawn(0, 0);
    turret.SetPosition(CVector(100, 300, 1));
    CShip level, ahead, seam;
    level.SetPosition(CVector(200, 300, 1));
    ahead.SetPosition(CVector(100, 300 - 256, 1));
    seam.SetPosition(CVector(100, 300 + 256, 1));
    EXPECT_FALSE(turret.InRange(level)) << "level with the turret";
    EXPECT_TRUE(turret.InRange(ahead)) << "256 straight ahead";
    EXPECT_FALSE(turret.InRange(seam)) << "behind it";
    CTurret edge;
    edge.SetFacing(FACING_UP);
    edge.SetPosition(CVector(100, 16, 1));
    CShip across;
    across.SetPosition(CVector(100, 640 - 16, 1));
    EXPECT_FALSE(edge.InRange(across)) << "just across the wrap seam, measured without wrapping";
}

TEST_F(CombatTest, TurretBulletKillIsCreditedToNobody)
{
    LoadArena();
    auto* turret = new CTurret();
    turret->SetFacing(FACING_UP);
    turret->SetPosition(CVector(100, 300, 1));
    turret->SetId(1);
    world.AddTurret(turret);
    CShip* ship = AddShip(1, "Target", 100, 200);
    world.Tick(0);
    ASSERT_EQ(CountKind(KIND_BULLET), 1u) << "the turret fired at the only ship in view";
    CGameObject* bullet = FirstObject();
    EXPECT_EQ(bullet->GetOwnerId(), 0u);
    EXPECT_LT(bullet->GetVelocity().GetY(), 0) << "towards the ship";
    for (int i = 0; i < 30 && ship->IsActive(); ++i)
        world.Tick(20);
    EXPECT_FALSE(ship->IsActive());
    EXPECT_EQ(LogLines().back(), "Seems the locals didn't like Target very much");
}

TEST_F(CombatTest, PowerupIsPickedUpWithShieldsDownAndBouncedWithThemUp)
{
    LoadArena();
    CShip* ship = AddShip(1, "Picker", 100, 100);
    auto* powerup = new CPowerup();
    powerup->SetType(POWERUP_MISSILES);
    powerup->ForceRespawn(100, 100);
    powerup->SetVelocity(CVector(0, 60, 0));
    world.AddObject(powerup);
    ship->SetStatusBits(STATUS_SHIELDS); // held until this tick's controls drop them
    world.Tick(0);
    EXPECT_TRUE(powerup->IsActive()) << "a shielded ship pushes it away";
    EXPECT_EQ(ship->GetMissiles(), 0);
    EXPECT_NE(powerup->GetVelocity().GetY(), 60) << "bounced";
    world.Tick(0);
    EXPECT_EQ(ship->GetMissiles(), g_settings.MissilesPerPowerup);
    EXPECT_EQ(CountKind(KIND_POWERUP), 0u) << "picked up and removed";
}

TEST_F(CombatTest, RepulsorPushesWhatIsInRangeAndInSight)
{
    LoadArena();
    CShip* ship = AddShip(1, "Pusher", 100, 100);
    CShip* near = AddShip(2, "Near", 100, 200);
    CShip* behindWall = AddShip(3, "Hidden", 360, 100); // 260 away, behind the wall column
    ship->SetRepulses(1);
    world.FireRepulsor(*ship);
    EXPECT_NEAR(near->GetVelocity().GetY(), (1 - 100.0 / 288.0) * 1500, 1e-3);
    EXPECT_EQ(behindWall->GetVelocity().Length(), 0);
    EXPECT_EQ(ship->GetRepulses(), 0);
}

// A point `across` units along one axis of the 640-unit world and `other`
// along the other.
CVector OnAxis(int axis, double across, double other, double z = 1)
{
    return axis == 0 ? CVector(across, other, z) : CVector(other, across, z);
}

// Shielded ships 4 units apart across an edge bounce only when the first
// listed is at the high edge (its own test wraps only that way); unshielded
// ones never meet there. Every pair flies towards the other.
TEST_F(CombatTest, ShipsMeetAcrossTheSeamOnlyShieldedAndSeenFromTheHighEdge)
{
    LoadArena();
    struct Pair
    {
        int axis;
        bool firstHigh, shields;
        CShip *first, *second;
    };
    std::vector<Pair> pairs;
    ObjectId id = 1;
    for (int axis : {0, 1})
        for (bool firstHigh : {false, true})
            for (bool shields : {false, true})
            {
                double other = 100 + 100 * double(pairs.size() % 4), sign = firstHigh ? 1 : -1;
                Pair pair{axis, firstHigh, shields, AddShip(id, "A", 0, 0), AddShip(id + 1, "B", 0, 0)};
                id += 2;
                pair.first->SetPosition(OnAxis(axis, firstHigh ? 638 : 2, other));
                pair.second->SetPosition(OnAxis(axis, firstHigh ? 2 : 638, other));
                pair.first->SetVelocity(OnAxis(axis, 100 * sign, 0, 0));
                pair.second->SetVelocity(OnAxis(axis, -100 * sign, 0, 0));
                for (CShip* ship : {pair.first, pair.second})
                    if (shields)
                        ship->SetStatusBits(STATUS_SHIELDS);
                pairs.push_back(pair);
            }
    world.Tick(0);
    for (const Pair& p : pairs)
    {
        std::string what = std::string(p.axis == 0 ? "x" : "y") +
                           (p.firstHigh ? ", first high" : ", first low") + (p.shields ? ", shielded" : "");
        EXPECT_TRUE(p.first->IsActive() && p.second->IsActive()) << what;
        CVector along = OnAxis(p.axis, p.firstHigh ? 1 : -1, 0, 0);
        bool bounced = p.first->GetVelocity().Dot(along) < 0 && p.second->GetVelocity().Dot(along) > 0;
        EXPECT_EQ(bounced, p.shields && p.firstHigh) << what;
    }
}

// The pairs' cheap first look wraps either way: a ship at the high edge meets
// a bullet at the low one, and a turret at the low edge one at the high edge.
TEST_F(CombatTest, ObjectsMeetShipsAndTurretsAcrossTheSeam)
{
    LoadArena();
    std::vector<std::pair<CShip*, CTurret*>> hit;
    for (int axis : {0, 1})
    {
        CShip* ship = AddShip(ObjectId(axis + 1), "Edge", 0, 0);
        ship->SetPosition(OnAxis(axis, 638, 100));
        auto* turret = new CTurret();
        turret->SetFacing(axis == 0 ? FACING_UP : FACING_LEFT); // its triangle towards +y, or +x
        turret->ForceRespawn(0, 0);
        turret->SetPosition(OnAxis(axis, 4, 500));
        world.AddTurret(turret);
        for (CVector at : {OnAxis(axis, 2, 100), OnAxis(axis, 638, 508)})
        {
            auto* bullet = new CBullet();
            bullet->ForceRespawn(static_cast<float>(at.GetX()), static_cast<float>(at.GetY()));
            world.AddObject(bullet);
        }
        hit.emplace_back(ship, turret);
    }
    world.Tick(0);
    for (int axis : {0, 1})
    {
        EXPECT_FALSE(hit[axis].first->IsActive()) << "axis " << axis;
        EXPECT_FALSE(hit[axis].second->IsActive()) << "axis " << axis;
    }
}
