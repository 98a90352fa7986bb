// The world's tick and bookkeeping: spawning, movement, what it reports to
// its host and in which order, round limits, turrets coming back, the lists
// of ships and objects (walked, nested, by the collision tests), and fuel
// blocks in range.
#include "game/Settings.h"
#include "tests/game/WorldFixture.h"

#include <climits>

namespace
{
// Records what the world reports, as the server session would send it.
class RecordingHost : public IWorldHost
{
public:
    void OnShipInPlay(const CShip& ship) override { Note("info", ship); }
    void OnShipState(const CShip& ship) override { Note("ship", ship); }
    void OnShipOutOfPlay(const CShip& ship) override { Note("died", ship); }
    void OnObjectState(const CGameObject& object, int32_t) override { Note("object", object); }
    void OnObjectGone(const CGameObject& object) override { Note("gone", object); }
    void OnTurretState(const CTurret& turret) override { Note("turret", turret); }

    void Note(const std::string& what, const CGameObject& object)
    {
        reports.push_back(what + " " + std::to_string(object.GetId()));
    }

    std::vector<std::string> reports;
};

class WorldTest : public testing_support::WorldFixture
{
protected:
    // A world on a map made from rows of tile codes ('7' spawn, '#' wall ...).
    void LoadWorld(const std::vector<std::string>& rows)
    {
        LoadMap(rows);
        world.SetHost(&host);
    }

    RecordingHost host;
};

using Strings = std::vector<std::string>;
} // namespace

TEST_F(WorldTest, WithoutAMapATickChangesNothing)
{
    world.SetHost(&host);
    CShip* ship = AddShip(1);
    world.Tick(100);
    EXPECT_FALSE(ship->IsActive());
    EXPECT_TRUE(host.reports.empty());
}

// Spawn cells are handed out newest first: (1,1) is read after (0,0), and
// ships that spawn together take them round robin.
TEST_F(WorldTest, NewShipsRespawnAtTheFirstTickTakingSpawnCellsInTurn)
{
    LoadWorld({"7...", ".7..", "....", "...."});
    CShip* first = AddShip(1);
    CShip* second = AddShip(2);
    CShip* third = AddShip(3);
    world.Tick(0);
    ASSERT_TRUE(first->IsActive() && second->IsActive() && third->IsActive());
    EXPECT_EQ(first->GetPosition().GetX(), 48) << "the last spawn cell of the file comes first";
    EXPECT_EQ(second->GetPosition().GetX(), 16);
    EXPECT_EQ(third->GetPosition().GetX(), 48) << "round robin wraps to the first cell";
    EXPECT_EQ(host.reports, (Strings{"died 1", "died 2", "died 3", "info 1", "ship 1", "info 2", "ship 2",
                                     "info 3", "ship 3"}))
        << "new ships start out of play, so they are reported dead before they spawn";
}

TEST_F(WorldTest, MovementWrapsAroundTheTorusAndNoTimeMovesNothingButStillReports)
{
    LoadWorld({"7...", "....", "....", "9..."});
    CShip* ship = AddShip(1);
    TurretAt(CVector(16, 112, 1), FACING_DOWN); // away from the ship, so it holds its fire
    world.Tick(0);
    ship->SetPosition(CVector(world.GetWorldWidth() - 1, 40, 1));
    ship->SetVelocity(CVector(30, 0, 0));
    host.reports.clear();
    world.Tick(0);
    EXPECT_EQ(ship->GetPosition().GetX(), world.GetWorldWidth() - 1);
    EXPECT_EQ(host.reports, (Strings{"ship 1", "turret 0"}));
    world.Tick(100);
    EXPECT_NEAR(ship->GetPosition().GetX(), 2, 1e-9);
}

TEST_F(WorldTest, DeadShipsAreReportedEveryTickUntilTheyRespawn)
{
    LoadWorld({"7...", "....", "....", "...."});
    CShip* ship = AddShip(1);
    world.Tick(0);
    ship->Kill();
    host.reports.clear();
    world.Tick(2000);
    world.Tick(2000);
    EXPECT_EQ(host.reports, (Strings{"died 1", "died 1"}));
    host.reports.clear();
    world.Tick(1000);
    EXPECT_EQ(host.reports, (Strings{"died 1", "info 1", "ship 1"})) << "5000 ms of dead time";
}

TEST_F(WorldTest, HeldControlsSteerTheShip)
{
    LoadWorld({"7...", "....", "....", "...."});
    CShip* ship = AddShip(1);
    HeldKeys keys{KEY_TURN_RIGHT, KEY_THRUST, KEY_NONE, KEY_TURN_RIGHT};
    ship->SetHeldKeys(&keys);
    world.Tick(0);
    world.Tick(250);
    EXPECT_FLOAT_EQ(ship->GetAngle(), 90) << "one turn; codes after the first 0 are not read";
    EXPECT_LT(ship->GetFuel(), g_settings.BaseFuelCapacity) << "thrust is paid for";
    EXPECT_NE(ship->GetVelocity().Length(), 0);
}

// Limits of 0 or less are ignored; the frag limit counts ships out of play
// too, and the time limit runs from the clock's start.
TEST_F(WorldTest, RoundLimitsOfFragsAndTime)
{
    CShip* ship = AddShip(1);
    world.SetFragLimit(5);
    world.SetFragLimit(0);
    const std::pair<int, bool> cases[] = {{4, false}, {5, true}, {-3, false}};
    for (auto [frags, reached] : cases)
    {
        ship->SetFrags(frags);
        EXPECT_EQ(world.IsFragLimitReached(), reached) << frags;
    }
    world.SetTimeLimit(2);
    world.SetTimeLimit(-1);
    world.StartClock();
    clock.Advance(119999);
    EXPECT_FALSE(world.IsTimeLimitReached());
    clock.Advance(1);
    EXPECT_TRUE(world.IsTimeLimitReached());
    for (int32_t minutes : {71583, INT32_MAX})
    {
        world.SetTimeLimit(minutes);
        EXPECT_EQ(world.GetTimeLimitMs(), 71582u * 60000u) << "a limit past 32 bits of ms is the longest one";
    }
}

TEST_F(WorldTest, ResetClearsTheRoundAndAZeroTimeLimitEndsTheNextAtOnce)
{
    LoadWorld({"7...", "....", "....", "9..."});
    CShip* ship = AddShip(1);
    world.AddTurret(new CTurret());
    world.Tick(0);
    ship->SetFrags(3);
    g_settings.DefaultTimeLimit = 0;
    world.Reset();
    EXPECT_EQ(world.GetMap(), nullptr);
    EXPECT_EQ(world.GetTurretCount(), 0u);
    EXPECT_EQ(world.GetPlayerCount(), 1u) << "ships stay, out of play";
    EXPECT_FALSE(ship->IsActive());
    EXPECT_EQ(ship->GetFrags(), 0);
    world.StartClock();
    EXPECT_TRUE(world.IsTimeLimitReached());
}

TEST_F(WorldTest, DeadTurretsComeBackInPlaceAfterFifteenSeconds)
{
    LoadWorld({"7...", "....", "....", "...."});
    auto* turret = new CTurret();
    turret->SetPosition(CVector(48, 48, 1));
    world.AddTurret(turret);
    world.Tick(0);
    ASSERT_TRUE(turret->IsActive()) << "a new turret starts past its delay";
    turret->Kill();
    world.Tick(14999);
    EXPECT_FALSE(turret->IsActive());
    world.Tick(1);
    EXPECT_TRUE(turret->IsActive());
    EXPECT_EQ(turret->GetPosition().GetX(), 48);
}

// Objects are numbered from 0 by the world unless given an id; the first
// held object of a shared id is found; removed ships are gone.
TEST_F(WorldTest, IdsAreFoundAfterAddsRemovalsAndResets)
{
    CShip* ship = AddShip(7);
    auto live = [](int32_t kind)
    {
        auto* object = new CGameObject(kind);
        object->ForceRespawn(16, 16);
        return object;
    };
    auto* counted = live(KIND_BULLET);
    world.AddObject(counted);
    auto* first = live(KIND_MINE);
    auto* second = live(KIND_MINE);
    world.AddObjectWithId(first, 40);
    world.AddObjectWithId(second, 40);
    world.AddObject(live(KIND_BULLET));
    EXPECT_EQ(world.FindObject(0), counted);
    EXPECT_EQ(world.FindObject(1)->GetId(), 1u) << "a given id does not take the counter's";
    EXPECT_EQ(world.FindObject(40), first);
    EXPECT_EQ(world.FindPlayer(7), ship);

    first->Kill();
    world.RemoveInactiveObjects();
    EXPECT_EQ(world.FindObject(40), second) << "the next holder of the id takes over";
    second->Kill();
    world.RemoveInactiveObjects();
    EXPECT_EQ(world.FindObject(40), nullptr);
    EXPECT_EQ(world.FindObject(0), counted);
    world.RemovePlayer(ship);
    world.RemovePlayer(nullptr);
    world.AddPlayer(nullptr);
    EXPECT_EQ(world.FindPlayer(7), nullptr);
    EXPECT_EQ(world.GetPlayerCount(), 0u);

    world.Reset();
    EXPECT_EQ(world.FindObject(0), nullptr);
    auto* reused = live(KIND_BULLET);
    world.AddObjectWithId(reused, 0);
    EXPECT_EQ(world.FindObject(0), reused) << "a server id may come back after a reset";
}

// Between taking dead objects out of play and erasing their entries, the tick
// reports the ships out of play: a host that walks the objects then must meet
// only the ones still held.
TEST_F(WorldTest, AHostWalkingTheObjectsDuringATickMeetsNoEmptiedEntries)
{
    class WalkingHost : public RecordingHost
    {
    public:
        explicit WalkingHost(CGameWorld& world) : m_world(world) {}
        void OnShipOutOfPlay(const CShip&) override
        {
            for (const CGameObject& object : m_world.Objects())
                walked.push_back(object.GetId());
        }
        std::vector<ObjectId> walked;

    private:
        CGameWorld& m_world;
    };
    LoadWorld({"7...", "....", "....", "...."});
    WalkingHost walker(world);
    world.SetHost(&walker);
    AddShip(1);
    world.AddObject(new CGameObject(KIND_BULLET)); // never in play: emptied by the tick
    auto* held = new CGameObject(KIND_BULLET);
    held->ForceRespawn(80, 80);
    world.AddObject(held);
    world.Tick(0);
    EXPECT_EQ(walker.walked, std::vector<ObjectId>{1}) << "one report of the new ship, one held object";
}

TEST_F(WorldTest, FuelBlocksAreFoundWithinTheShipsRangeTheShortWayRound)
{
    LoadWorld({"........", "........", "......F.", "........"});
    CShip* ship = AddShip(1);
    ship->SetPosition(CVector(48, 80, 1)); // cell (1, 2): the block is 3 cells left across the seam
    for (int32_t range : {2, -1, 3, 4, 1000000})
    {
        ship->SetFuelRange(range);
        int32_t column = -1, row = -1;
        bool found = world.FindFuelTile(*ship, column, row);
        EXPECT_EQ(found, range >= 3) << range;
        EXPECT_EQ(std::pair(column, row), found ? std::pair(6, 2) : std::pair(-1, -1)) << range;
    }
}
