// CClient applying what the server sends: every batch goes in as bytes
// through the session's receive callback, built with CMessageBatch as the
// server builds them. Also the server list (duplicates, the browser's counts,
// the prefix rule).
#include "net/Client.h"

#include "game/Powerup.h"
#include "game/Projectiles.h"
#include "game/World.h"
#include "net/GameIdentity.h"
#include "net/MessageBatch.h"
#include "platform/Clock.h"

#include "tests/support/MapFile.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <tuple>

using testing_support::MapFile;
using testing_support::TempDir;

namespace
{
// 64 columns, 4 rows, named "Arena" in the Maps folder.
MapFile ArenaMap()
{
    std::string open(64, '.');
    return MapFile({open, "7" + std::string(63, '.'), open, std::string(64, '#')}, "Arena Title");
}

CMessage Text(const char* text)
{
    CMessage message;
    message.SetText(text);
    return message;
}

CMessage Map(const char* name)
{
    CMessage message;
    message.SetMap(name);
    return message;
}

CMessage ShipInfo(ObjectId id, int32_t x, int32_t y, uint32_t type, const char* name)
{
    CMessage message;
    message.SetShipInfo(id, x, y, type, name);
    return message;
}

CMessage ObjectState(ObjectId id, int32_t kind, CVector position, int32_t subtype = 0)
{
    CMessage message;
    message.SetObjectState(id, kind, position, CVector(10, -20, 0), 90.0f, subtype);
    return message;
}

CMessage IdOnly(MessageType type, ObjectId id)
{
    CMessage message;
    if (type == MSG_PLAYER_LEFT)
        message.SetPlayerLeft(id);
    else if (type == MSG_SHIP_DIED)
        message.SetShipDied(id);
    else
        message.SetObjectGone(id);
    return message;
}

std::vector<uint8_t> BatchBytes(const std::vector<CMessage>& messages)
{
    CMessageBatch batch;
    for (const CMessage& message : messages)
        EXPECT_TRUE(batch.Add(message));
    std::vector<uint8_t> bytes(batch.GetWireSize());
    EXPECT_TRUE(batch.Write(bytes.data(), bytes.size()));
    return bytes;
}

session::SessionDescription Session(uint8_t instance, const char* name, uint32_t maxPlayers, uint32_t current)
{
    session::SessionDescription session;
    session.instance.bytes[0] = instance;
    session.sessionName = name;
    session.maxPlayers = maxPlayers;
    session.currentPlayers = current;
    return session;
}

class ClientApplies : public ::testing::Test
{
protected:
    void SetUp() override
    {
        data.Write("Maps/Arena.smp", ArenaMap().Bytes());
        local = new CShip();
        local->SetName("Me");
        local->SetShipType(2);
        local->SetLocal(true);
        world.AddPlayer(local);
        client.SetWorld(&world);
        client.SetConsoleEcho([this](const char* line) { lines.emplace_back(line); });
    }

    void Feed(const std::vector<CMessage>& messages)
    {
        std::vector<uint8_t> bytes = BatchBytes(messages);
        client.OnReceive(bytes.data(), bytes.size());
    }

    TempDir data;
    testing_support::ScopedEnv dataFolder{"QUORVEX_DATA", data.Path().c_str()};
    CGameWorld world;
    CShip* local = nullptr;
    CClient client;
    std::vector<std::string> lines;
};

TEST_F(ClientApplies, TextJoinAndMap)
{
    Feed({Text("Welcome aboard"),
          []
          {
              CMessage join;
              join.SetJoin(7, 2, "Me");
              return join;
          }(),
          Map("Arena")});
    EXPECT_EQ(lines, (std::vector<std::string>{"Welcome aboard", "Loaded map \"Arena\""}));
    EXPECT_EQ(local->GetId(), 7u) << "the join answer names our ship";
    ASSERT_NE(world.GetMap(), nullptr);
    EXPECT_EQ(world.GetMap()->GetColumns(), 64);
}

TEST_F(ClientApplies, UnknownIdsAreIgnored)
{
    CMessage state;
    state.SetShipState(99, 0, 10, 100, 3, 0, 0, 0, 0, CVector(5, 5, 1), CVector(), 0);
    CMessage reserved = ObjectState(1, KIND_BULLET, CVector(1, 1, 1));
    std::vector<uint8_t> bytes(reserved.GetSize());
    reserved.Serialize(bytes.data(), bytes.size());
    bytes[0] = MSG_RESERVED; // laid out as an object state, but never applied
    reserved.Deserialize(bytes.data(), bytes.size());
    Feed({state, IdOnly(MSG_SHIP_DIED, 99), IdOnly(MSG_OBJECT_GONE, 99), IdOnly(MSG_PLAYER_LEFT, 99),
          reserved, ObjectState(2, KIND_MAP, CVector(1, 1, 1)), ObjectState(3, KIND_SHIP, CVector(1, 1, 1)),
          ObjectState(4, KIND_TURRET, CVector(1, 1, 1)), ObjectState(5, 99, CVector(1, 1, 1))});
    EXPECT_EQ(world.GetPlayerCount(), 1u);
    EXPECT_EQ(world.GetObjectCount(), 0u) << "only the six moving kinds are created from object states";
    EXPECT_EQ(world.GetTurretCount(), 0u);
    EXPECT_TRUE(lines.empty());
}

TEST_F(ClientApplies, ShipInfoCreatesAShipThenOnlyPutsItBackIntoPlay)
{
    Feed({ShipInfo(5, 100, 200, 3, "Other")});
    ASSERT_EQ(world.GetPlayerCount(), 2u);
    CShip* other = world.FindPlayer(5);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->GetName(), "Other");
    EXPECT_EQ(other->GetShipType(), 3);
    EXPECT_TRUE(other->IsActive());
    EXPECT_EQ(other->GetPosition().GetX(), 100);
    EXPECT_EQ(other->GetReportedPosition().GetY(), 200)
        << "the next advance jumps to where the server put it";
    EXPECT_TRUE(world.GetUpdateFlag());

    Feed({IdOnly(MSG_SHIP_DIED, 5)});
    EXPECT_FALSE(other->IsActive());
    Feed({ShipInfo(5, 300, 40, 1, "Renamed")});
    EXPECT_EQ(world.GetPlayerCount(), 2u) << "no second ship";
    EXPECT_EQ(world.FindPlayer(5), other);
    EXPECT_EQ(other->GetName(), "Other");
    EXPECT_EQ(other->GetShipType(), 3);
    EXPECT_TRUE(other->IsActive());
    EXPECT_EQ(other->GetPosition().GetX(), 300);
}

TEST_F(ClientApplies, ShipStateSetsWhatTheServerSays)
{
    Feed({ShipInfo(5, 100, 200, 0, "Other")});
    CMessage state;
    state.SetShipState(5, STATUS_SHIELDS | STATUS_FUELLING, 80, 150, -3, 4, 3, 2, 1, CVector(110, 210, 1),
                       CVector(30, 40, 0), 45);
    Feed({state});
    CShip* ship = world.FindPlayer(5);
    EXPECT_EQ(ship->GetReportedPosition().GetX(), 110);
    EXPECT_EQ(ship->GetPosition().GetX(), 100) << "the drawn position follows in the advance";
    EXPECT_EQ(ship->GetVelocity().GetY(), 40);
    EXPECT_EQ(ship->GetAngle(), 45);
    EXPECT_EQ(ship->GetStatus(), STATUS_SHIELDS | STATUS_FUELLING);
    EXPECT_EQ(ship->GetCapacity(), 150);
    EXPECT_EQ(ship->GetFuel(), 80);
    EXPECT_EQ(ship->GetFrags(), -3);
    EXPECT_EQ(ship->GetMissiles(), 4);
    EXPECT_EQ(ship->GetMines(), 3);
    EXPECT_EQ(ship->GetPlasmaMines(), 2);
    EXPECT_EQ(ship->GetRepulses(), 1);
}

TEST_F(ClientApplies, ObjectStatesCreateEachMovingKindWithTheServersId)
{
    Feed({ObjectState(40, KIND_BULLET, CVector(1, 2, 1)), ObjectState(41, KIND_MISSILE, CVector(1, 2, 1)),
          ObjectState(42, KIND_MINE, CVector(1, 2, 1)), ObjectState(43, KIND_PLASMA_MINE, CVector(1, 2, 1)),
          ObjectState(44, KIND_POWERUP, CVector(1, 2, 1), POWERUP_CLOAK),
          ObjectState(45, KIND_SHRAPNEL, CVector(1, 2, 1), 1)});
    ASSERT_EQ(world.GetObjectCount(), 6u);
    EXPECT_NE(dynamic_cast<CBullet*>(world.FindObject(40)), nullptr);
    EXPECT_NE(dynamic_cast<CMissile*>(world.FindObject(41)), nullptr);
    EXPECT_EQ(world.FindObject(42)->GetKind(), KIND_MINE);
    EXPECT_NE(dynamic_cast<CPlasmaMine*>(world.FindObject(43)), nullptr);
    auto* powerup = dynamic_cast<CPowerup*>(world.FindObject(44));
    ASSERT_NE(powerup, nullptr);
    EXPECT_EQ(powerup->GetType(), POWERUP_CLOAK);
    auto* shrapnel = dynamic_cast<CShrapnel*>(world.FindObject(45));
    ASSERT_NE(shrapnel, nullptr);
    EXPECT_EQ(shrapnel->GetShape(), 1);
    CGameObject* bullet = world.FindObject(40);
    EXPECT_TRUE(bullet->IsActive());
    EXPECT_EQ(bullet->GetPosition().GetY(), 2) << "placed at once when created";
    EXPECT_EQ(bullet->GetVelocity().GetY(), -20);
    EXPECT_EQ(bullet->GetAngle(), 90);

    Feed({ObjectState(40, KIND_BULLET, CVector(9, 9, 1))});
    EXPECT_EQ(world.GetObjectCount(), 6u);
    EXPECT_EQ(bullet->GetPosition().GetY(), 2) << "a known object only learns its reported position";
    EXPECT_EQ(bullet->GetReportedPosition().GetY(), 9);

    Feed({IdOnly(MSG_OBJECT_GONE, 40)});
    EXPECT_FALSE(bullet->IsActive());
    Feed({ObjectState(40, KIND_BULLET, CVector(3, 3, 1))});
    EXPECT_TRUE(bullet->IsActive()) << "a state for an object out of play puts it back";
    EXPECT_EQ(bullet->GetPosition().GetX(), 3);
}

TEST_F(ClientApplies, TurretStatesCreateTurretsAndSetThemInOrOutOfPlay)
{
    CMessage state;
    state.SetTurretState(3, FACING_LEFT, 1, CVector(48, 80, 1));
    Feed({state});
    CTurret* turret = world.FindTurret(3);
    ASSERT_NE(turret, nullptr);
    EXPECT_EQ(turret->GetFacing(), FACING_LEFT);
    EXPECT_EQ(turret->GetPosition().GetX(), 48);
    EXPECT_TRUE(turret->IsActive());

    state.SetTurretState(3, FACING_UP, 0, CVector(999, 999, 1));
    Feed({state});
    EXPECT_FALSE(turret->IsActive());
    EXPECT_EQ(turret->GetFacing(), FACING_LEFT) << "set once, when created";
    state.SetTurretState(3, FACING_UP, 1, CVector(999, 999, 1));
    Feed({state});
    EXPECT_TRUE(turret->IsActive()) << "back in play at once, whatever its dead time";
    EXPECT_EQ(turret->GetPosition().GetX(), 48);
    EXPECT_EQ(world.GetTurretCount(), 1u);
}

TEST_F(ClientApplies, TileIndicesWrapOntoTheMap)
{
    CMessage tile;
    tile.SetTile(1, 1, 5);
    Feed({tile});
    EXPECT_EQ(world.GetMap(), nullptr) << "a tile without a map does nothing";
    Feed({Map("Arena")});
    std::vector<CMessage> tiles;
    for (auto [column, row, value] : std::vector<std::tuple<int32_t, int32_t, uint8_t>>{
             {-1, 0, 7}, {64, 1, 8}, {5, -1, 9}, {INT_MIN, INT_MAX, 11}})
    {
        tile.SetTile(column, row, value);
        tiles.push_back(tile);
    }
    Feed(tiles);
    const CMap& map = *world.GetMap();
    EXPECT_EQ(map.GetTileState(63, 0), 7) << "column -1 on a 64-wide map is column 63";
    EXPECT_EQ(map.GetTileState(0, 1), 8);
    EXPECT_EQ(map.GetTileState(5, 3), 9);
    EXPECT_EQ(map.GetTileState(0, 3), 11) << "INT_MIN wraps to 0, INT_MAX to row 3 of 4";
}

TEST_F(ClientApplies, PongGivesHalfTheRoundTrip)
{
    platform::FakeClock clock(10000);
    CMessage pong;
    pong.SetPong(9000);
    Feed({pong});
    EXPECT_EQ(client.GetPing(), 500);
    clock.SetTick(100);
    pong.SetPong(0xFFFFFF00u); // sent before the tick count wrapped
    Feed({pong});
    EXPECT_EQ(client.GetPing(), 178);
    pong.SetPong(102); // a clock value from our future: the unsigned shift keeps it positive
    Feed({pong});
    EXPECT_EQ(client.GetPing(), 0x7FFFFFFF);
}

TEST_F(ClientApplies, RoundOverLastsUntilTheNextMapOrUntilCleared)
{
    Feed({Map("Arena"), ShipInfo(5, 100, 40, 0, "Other"), ObjectState(40, KIND_MINE, CVector(1, 2, 1))});
    CMessage state;
    state.SetTurretState(3, FACING_UP, 1, CVector(48, 80, 1));
    CMessage frags;
    frags.SetShipState(5, 0, 10, 100, 4, 0, 0, 0, 0, CVector(100, 40, 1), CVector(), 0);
    CMessage roundOver;
    roundOver.SetRoundOver();
    Feed({state, frags, roundOver});
    EXPECT_TRUE(client.IsRoundOver());
    EXPECT_EQ(world.FindPlayer(5)->GetFrags(), 4) << "the round's state stays for the score screen";

    Feed({Map("Arena")});
    EXPECT_FALSE(client.IsRoundOver());
    EXPECT_EQ(world.GetObjectCount(), 0u) << "the world was reset for the new round";
    EXPECT_EQ(world.GetTurretCount(), 0u);
    ASSERT_NE(world.FindPlayer(5), nullptr);
    EXPECT_FALSE(world.FindPlayer(5)->IsActive());
    EXPECT_EQ(world.FindPlayer(5)->GetFrags(), 0);
    EXPECT_NE(world.GetMap(), nullptr);

    Feed({roundOver});
    client.ClearRoundOver();
    EXPECT_FALSE(client.IsRoundOver());
    EXPECT_EQ(world.GetMap(), nullptr) << "leaving the score screen resets the world";
}

TEST_F(ClientApplies, MapsThatAreMissingOrOutsideTheMapsFolderAreNotLoaded)
{
    data.Write("Outside.smp", ArenaMap().Bytes());
    for (std::string name :
         std::vector<std::string>{"Missing", "../Outside", "..\\Outside", "Maps/../../Outside", "", "Are\na",
                                  std::string(128, 'a')})
    {
        lines.clear();
        Feed({Map(name.c_str())});
        EXPECT_EQ(world.GetMap(), nullptr) << name;
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0], "Unable to load map \"" + name + "\", maybe you don't have that one?");
    }
    data.Write("Maps/Broken.smp", "not a map");
    lines.clear();
    Feed({Map("Broken")});
    EXPECT_EQ(world.GetMap(), nullptr) << "a file that does not load is a map we do not have";
    EXPECT_EQ(lines,
              (std::vector<std::string>{"Unable to load map \"Broken\", maybe you don't have that one?"}));
}

TEST_F(ClientApplies, ABatchThatDoesNotParseIsDroppedWhole)
{
    std::vector<uint8_t> bytes = BatchBytes({Text("first"), ShipInfo(5, 1, 1, 0, "Other"), Text("last")});
    bytes[0] = 4; // one record more than the packet holds
    client.OnReceive(bytes.data(), bytes.size());
    bytes[0] = 3;
    bytes.resize(bytes.size() - 1); // the last record cut short
    client.OnReceive(bytes.data(), bytes.size());
    client.OnReceive(bytes.data(), 0);
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(world.GetPlayerCount(), 1u);
    EXPECT_EQ(client.GetMessagesReceived(), 0u) << "dropped batches are not counted";

    std::vector<uint8_t> good = BatchBytes({Text("one"), Text("two")});
    client.OnReceive(good.data(), good.size());
    EXPECT_EQ(client.GetMessagesReceived(), 2u);
    EXPECT_EQ(client.GetBatchBytesReceived(), good.size());
}

TEST_F(ClientApplies, PlayersLeavingTakeTheirShipsButNeverOurs)
{
    Feed({ShipInfo(5, 1, 1, 0, "Other"), IdOnly(MSG_PLAYER_LEFT, 5)});
    EXPECT_EQ(world.FindPlayer(5), nullptr);
    Feed({IdOnly(MSG_PLAYER_LEFT, 0)}); // someone who never registered left before our join was answered
    EXPECT_EQ(world.FirstPlayer(), local);
}

class ClientServerList : public ::testing::Test
{
protected:
    void SetUp() override
    {
        client.SetConsoleEcho([this](const char* line) { lines.emplace_back(line); });
    }
    void Answer(uint8_t instance, const char* name, uint32_t maxPlayers, uint32_t current, uint32_t ipv4)
    {
        client.OnEnumHostsResponse(Session(instance, name, maxPlayers, current),
                                   session::HostAddress{ipv4, 3001});
    }
    uint32_t Selected()
    {
        session::HostAddress address;
        return client.GetSelectedAddress(address) ? address.ipv4 : 0;
    }

    CClient client;
    std::vector<std::string> lines;
};

TEST_F(ClientServerList, DuplicateAnswersGiveOneEntryAndTheBrowserSeesCountsWithoutTheServer)
{
    Answer(1, "Arena", 5, 2, 0x7F000001);
    Answer(1, "Arena", 5, 3, 0x7F000001); // the same run answering again
    Answer(2, "Caverns", 0, 0, 0x7F000002);
    char name[4];
    uint32_t maxPlayers = 99, current = 99;
    client.ResetHostCursor();
    ASSERT_TRUE(client.NextHost(name, sizeof name, maxPlayers, current));
    EXPECT_STREQ(name, "Are") << "bounded by the buffer";
    EXPECT_EQ(maxPlayers, 4u);
    EXPECT_EQ(current, 1u);
    ASSERT_TRUE(client.NextHost(name, sizeof name, maxPlayers, current));
    EXPECT_EQ(maxPlayers, 0u) << "0 stays 0";
    EXPECT_EQ(current, 0u);
    EXPECT_FALSE(client.NextHost(name, sizeof name, maxPlayers, current));
    client.ResetHostCursor();
    EXPECT_FALSE(client.NextHost(nullptr, 10, maxPlayers, current));
    EXPECT_TRUE(client.NextHost(name, sizeof name, maxPlayers, current));

    client.ListServers();
    EXPECT_EQ(lines, (std::vector<std::string>{"Server: Arena", "Server: Caverns"}));
}

TEST_F(ClientServerList, ListAndSelectWithNoServers)
{
    client.ListServers();
    EXPECT_FALSE(client.SelectServer("Arena"));
    EXPECT_EQ(lines, (std::vector<std::string>{"No servers found...", "No servers to select from."}));
    EXPECT_FALSE(client.Connect()) << "nothing selected";
    EXPECT_EQ(client.GetPort(), game_identity::kGamePort);
}

TEST_F(ClientServerList, SelectTakesTheFirstServerWhoseNameIsAPrefix)
{
    Answer(1, "Arena Two", 0, 0, 1);
    Answer(2, "Arena", 0, 0, 2);
    Answer(3, "Caverns", 0, 0, 3);
    EXPECT_TRUE(client.SelectServer("Caverns"));
    EXPECT_EQ(Selected(), 3u);
    EXPECT_TRUE(client.SelectServer("Arena Two and more"));
    EXPECT_EQ(Selected(), 1u) << "the first in list order";
    EXPECT_TRUE(client.SelectServer("Arena Tw"));
    EXPECT_EQ(Selected(), 2u) << "\"Arena\" is a prefix of it, \"Arena Two\" is not";
    EXPECT_FALSE(client.SelectServer("Aren"));
    EXPECT_FALSE(client.SelectServer("caverns")) << "case matters";
    EXPECT_EQ(lines,
              (std::vector<std::string>{"Server \"Aren\" not found...", "Server \"caverns\" not found..."}));
}
} // namespace
