// Collisions, damage and kills in the world: walls, rammings, objects and
// their owners, mines, turrets, powerups, the repulsor, and contacts across
// the world's edges.
#include "game/Powerup.h"
#include "game/Projectiles.h"
#include "game/Settings.h"
#include "tests/game/WorldFixture.h"

namespace
{
class CombatTest : public testing_support::WorldFixture
{
protected:
    // An open 20 x 20 map (640 units a side) with a wall column at x = 10,
    // which spans x 320..352.
    void SetUp() override
    {
        std::vector<std::string> rows(20, std::string(20, '.'));
        for (auto& row : rows)
            row[10] = '#';
        LoadMap(rows);
    }

    // The first object in the world's list; null when there is none.
    CGameObject* FirstObject()
    {
        COwnedRange<CGameObject> objects = world.Objects();
        return objects.begin() == objects.end() ? nullptr : &*objects.begin();
    }
};

// A point `across` units along one axis and `other` along the other.
CVector OnAxis(int axis, double across, double other, double z = 1)
{
    return axis == 0 ? CVector(across, other, z) : CVector(other, across, z);
}
} // namespace

TEST_F(CombatTest, UnshieldedShipDiesOnAWallAndLeavesShrapnel)
{
    CShip* ship = ShipAt(1, "Pilot", 300, 100);
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
    CShip* ship = ShipAt(1, "Pilot", 300, 100);
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
    CShip* a = ShipAt(1, "Alpha", 100, 100);
    CShip* b = ShipAt(2, "Beta", 105, 100);
    world.Tick(0);
    EXPECT_FALSE(a->IsActive() || b->IsActive());
    EXPECT_EQ(a->GetFrags(), 0) << "one lost, one gained";
    EXPECT_EQ(b->GetFrags(), 0);
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"Beta ran over Alpha", "Alpha ran over Beta"}));
    EXPECT_EQ(CountKind(KIND_SHRAPNEL), 0u) << "rammings leave no shrapnel";
}

TEST_F(CombatTest, KillsByObjectsAreCreditedToTheirOwners)
{
    CShip* victim = ShipAt(1, "Victim", 100, 100);
    CShip* killer = ShipAt(2, "Killer", 500, 500);
    const std::pair<ObjectId, bool> shots[] = {{2, false}, {2, true}, {0, false}, {1, false}};
    for (size_t i = 0; i < std::size(shots); ++i)
    {
        // A fresh spot each time, away from the shrapnel of the last death.
        float spot = 100 + 60 * float(i);
        victim->ForceRespawn(spot, 100);
        if (shots[i].second)
            ObjectAt<CShrapnel>(spot, 100, shots[i].first);
        else
            ObjectAt<CBullet>(spot, 100, shots[i].first);
        world.Tick(0);
        EXPECT_FALSE(victim->IsActive());
    }
    EXPECT_EQ(LogLines(), (std::vector<std::string>{
                              "Victim was killed by Killer", "Victim crashed into Killer's debris field",
                              "Seems the locals didn't like Victim very much", "Victim committed suicide"}));
    EXPECT_EQ(killer->GetFrags(), 2);
    EXPECT_EQ(victim->GetFrags(), -5) << "one each, and a suicide costs two";
}

TEST_F(CombatTest, ShieldsAbsorbHitsAtAFuelCostUntilTheTankIsEmpty)
{
    CShip* ship = ShipAt(1, "Tank", 100, 100);
    ship->SetStatusBits(STATUS_SHIELDS);
    ObjectAt<CBullet>(100, 100);
    world.Tick(0);
    EXPECT_TRUE(ship->IsActive());
    EXPECT_FLOAT_EQ(ship->GetFuel(), g_settings.BaseFuelCapacity - g_settings.BulletDamage);

    ship->SetFuel(g_settings.BaseFuelCapacity);
    ship->SetStatusBits(STATUS_SHIELDS);
    ObjectAt<CMine>(100, 100)->Kill(); // its blast, right on the ship
    world.Tick(0);
    EXPECT_TRUE(ship->IsActive());
    EXPECT_FLOAT_EQ(ship->GetFuel(), g_settings.BaseFuelCapacity - g_settings.MineDamage);

    ship->SetFuel(1);
    ship->SetStatusBits(STATUS_SHIELDS);
    ObjectAt<CMissile>(100, 100);
    world.Tick(0);
    EXPECT_FALSE(ship->IsActive()) << "a hit the tank cannot pay for empties it and kills";
    EXPECT_FLOAT_EQ(ship->GetFuel(), 0);
}

TEST_F(CombatTest, MinesTriggerStrictlyInsideTheirRangeButNotForTheirOwner)
{
    CShip* owner = ShipAt(1, "Owner", 100, 150);
    CMine* mine = ObjectAt<CMine>(100, 100, 1);
    world.Tick(0);
    EXPECT_TRUE(owner->IsActive() && mine->IsActive()) << "never for its owner";
    owner->SetPosition(CVector(100, 500, 1));
    CShip* other = ShipAt(2, "Other", 100, 100 + 196);
    world.Tick(0);
    EXPECT_TRUE(mine->IsActive()) << "196 is not inside 196";
    other->SetPosition(CVector(100, 100 + 195, 1));
    world.Tick(0);
    EXPECT_EQ(CountKind(KIND_MINE), 0u) << "set off, exploded and removed in the same tick";
}

TEST_F(CombatTest, BlastKillsWithinDamageRangeAndPushesBeyondIt)
{
    CShip* owner = ShipAt(1, "Owner", 600, 600);
    CShip* near = ShipAt(2, "Near", 100, 300 - 242);
    CShip* far = ShipAt(3, "Far", 100, 300 + 243);
    ObjectAt<CMine>(100, 300, 1)->Kill();
    world.Tick(0);
    EXPECT_FALSE(near->IsActive());
    EXPECT_TRUE(far->IsActive());
    EXPECT_EQ(owner->GetFrags(), 1);
    EXPECT_EQ(near->GetFrags(), -1);
    EXPECT_EQ(LogLines(), std::vector<std::string>{"Near was killed by Owner's mine"});
    EXPECT_NEAR(far->GetVelocity().GetY(), (1 - 243.0 / 288.0) * 1024, 1e-3);
}

TEST_F(CombatTest, TurretsSeeOnlyTheirHalfPlaneAndNotAcrossTheSeam)
{
    CTurret turret;
    turret.SetPosition(CVector(100, 300, 1)); // facing up, towards -y
    const std::pair<CVector, bool> cases[] = {
        {CVector(200, 300, 1), false},       // level with the turret
        {CVector(100, 300 - 256, 1), true},  // 256 straight ahead
        {CVector(100, 300 + 256, 1), false}, // behind it
    };
    for (const auto& [at, seen] : cases)
    {
        CShip ship;
        ship.SetPosition(at);
        EXPECT_EQ(turret.InRange(ship), seen) << at.GetX() << ", " << at.GetY();
    }
    turret.SetPosition(CVector(100, 16, 1));
    CShip across;
    across.SetPosition(CVector(100, 640 - 16, 1));
    EXPECT_FALSE(turret.InRange(across)) << "just across the wrap seam, measured without wrapping";
}

TEST_F(CombatTest, TurretBulletsBelongToNobody)
{
    TurretAt(CVector(100, 300, 1))->SetId(1);
    ShipAt(1, "Target", 100, 200);
    world.Tick(0);
    ASSERT_EQ(CountKind(KIND_BULLET), 1u) << "the turret fired at the only ship in view";
    CGameObject* bullet = FirstObject();
    EXPECT_EQ(bullet->GetOwnerId(), 0u);
    EXPECT_LT(bullet->GetVelocity().GetY(), 0) << "towards the ship";
}

TEST_F(CombatTest, PowerupIsPickedUpWithShieldsDownAndBouncedWithThemUp)
{
    CShip* ship = ShipAt(1, "Picker", 100, 100);
    auto* powerup = ObjectAt<CPowerup>(100, 100);
    powerup->SetType(POWERUP_MISSILES);
    powerup->SetVelocity(CVector(0, 60, 0));
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
    CShip* ship = ShipAt(1, "Pusher", 100, 100);
    CShip* near = ShipAt(2, "Near", 100, 200);
    CShip* behindWall = ShipAt(3, "Hidden", 360, 100); // 260 away, behind the wall column
    ship->SetRepulses(1);
    world.FireRepulsor(*ship);
    EXPECT_NEAR(near->GetVelocity().GetY(), (1 - 100.0 / 288.0) * 1500, 1e-3);
    EXPECT_EQ(behindWall->GetVelocity().Length(), 0);
    EXPECT_EQ(ship->GetRepulses(), 0);
}

// Shielded ships 4 units apart across an edge bounce only when the first
// listed is at the high edge (its own test wraps only that way); unshielded
// ones never meet there. Every pair flies towards the other.
TEST_F(CombatTest, ShipsMeetAcrossTheSeamOnlyShieldedAndSeenFromTheHighEdge)
{
    struct Pair
    {
        int axis;
        bool firstHigh, shields;
        CShip *first, *second;
    };
    std::vector<Pair> pairs;
    for (int axis : {0, 1})
        for (bool firstHigh : {false, true})
            for (bool shields : {false, true})
            {
                double other = 100 + 100 * double(pairs.size() % 4), sign = firstHigh ? 1 : -1;
                ObjectId id = ObjectId(2 * pairs.size() + 1);
                CVector first = OnAxis(axis, firstHigh ? 638 : 2, other),
                        second = OnAxis(axis, firstHigh ? 2 : 638, other);
                Pair pair{axis, firstHigh, shields, ShipAt(id, "A", first.GetX(), first.GetY()),
                          ShipAt(id + 1, "B", second.GetX(), second.GetY())};
                pair.first->SetVelocity(OnAxis(axis, 100 * sign, 0, 0));
                pair.second->SetVelocity(OnAxis(axis, -100 * sign, 0, 0));
                for (CShip* ship : {pair.first, pair.second})
                    ship->SetStatusBits(shields ? STATUS_SHIELDS : 0);
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
    std::vector<std::pair<CShip*, CTurret*>> hit;
    for (int axis : {0, 1})
    {
        CVector edge = OnAxis(axis, 638, 100), low = OnAxis(axis, 2, 100), high = OnAxis(axis, 638, 508);
        CShip* ship = ShipAt(ObjectId(axis + 1), "Edge", edge.GetX(), edge.GetY());
        // The turret's triangle points towards +y, or +x.
        hit.emplace_back(ship, TurretAt(OnAxis(axis, 4, 500), axis == 0 ? FACING_UP : FACING_LEFT));
        ObjectAt<CBullet>(low.GetX(), low.GetY());
        ObjectAt<CBullet>(high.GetX(), high.GetY());
    }
    world.Tick(0);
    for (int axis : {0, 1})
    {
        EXPECT_FALSE(hit[axis].first->IsActive()) << "axis " << axis;
        EXPECT_FALSE(hit[axis].second->IsActive()) << "axis " << axis;
    }
}
