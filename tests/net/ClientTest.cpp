// CClient: what the server sends, applied (every batch goes in as bytes
// through the session's receive callback); the server list and searches; and
// joining, play and refusal over a real session on loopback.
#include "net/Client.h"

#include "common/MessageLog.h"
#include "game/Powerup.h"
#include "game/Projectiles.h"
#include "game/World.h"
#include "net/GameIdentity.h"
#include "platform/Clock.h"

#include "tests/net/Messages.h"
#include "tests/session/ServerThread.h"
#include "tests/support/MapFile.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <tuple>

using namespace testing_support;

namespace
{
class ClientTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // 64 columns, 4 rows, with one fuel block.
        std::string open(64, '.');
        arena =
            MapFile({open, "7" + std::string(63, '.'), open, std::string(64, '#')}, "Arena Title").Bytes();
        data.Write("Maps/Arena.smp", arena);
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
        Bytes bytes = BatchBytes(messages);
        client.OnReceive(bytes.data(), bytes.size());
    }
    static CMessage Map(const char* name) { return Msg(&CMessage::SetMap, name); }
    static CMessage ShipInfo(ObjectId id, int32_t x, int32_t y, uint32_t type, const char* name)
    {
        return Msg(&CMessage::SetShipInfo, id, x, y, type, name);
    }
    static CMessage Turret(int32_t facing, uint8_t inPlay, CVector at = CVector(999, 999, 1))
    {
        return Msg(&CMessage::SetTurretState, 3, facing, inPlay, at);
    }
    static std::tuple<double, double> XY(const CVector& v) { return {v.GetX(), v.GetY()}; }
    void Answer(uint8_t instance, const char* name, uint32_t maxPlayers, uint32_t current, uint32_t ipv4)
    {
        session::SessionDescription session{{}, {}, name, maxPlayers, current};
        session.instance.bytes[0] = instance;
        client.OnEnumHostsResponse(session, session::HostAddress{ipv4, 3001});
    }
    uint32_t Selected()
    {
        session::HostAddress address;
        return client.GetSelectedAddress(address) ? address.ipv4 : 0;
    }
    // Runs the client's session until `done` holds or ten seconds pass.
    bool PumpUntil(const std::function<bool()>& done)
    {
        return PollUntil(done, [this] { client.DoWork(10), client.WaitForTraffic(5); });
    }
    bool Printed(const std::string& line) const { return std::ranges::find(lines, line) != lines.end(); }
    std::string arena;
    TempDir data;
    ScopedEnv dataFolder{"QUORVEX_DATA", data.Path().c_str()};
    CGameWorld world;
    CShip* local = nullptr;
    CClient client;
    std::vector<std::string> lines;
};

// Messages about ids nobody knows, and object states of kinds that have
// messages of their own, change nothing.
TEST_F(ClientTest, UnknownIdsAreIgnored)
{
    Bytes reserved = Serialized(ObjectStateMsg(1, KIND_BULLET));
    reserved[0] = MSG_RESERVED; // laid out as an object state, but never applied
    CMessage reservedMessage;
    reservedMessage.Deserialize(reserved.data(), reserved.size());
    Feed({ShipStateMsg(99, 10), Msg(&CMessage::SetShipDied, 99), Msg(&CMessage::SetObjectGone, 99),
          Msg(&CMessage::SetPlayerLeft, 99), reservedMessage, ObjectStateMsg(2, KIND_MAP),
          ObjectStateMsg(3, KIND_SHIP), ObjectStateMsg(4, KIND_TURRET), ObjectStateMsg(5, 99)});
    EXPECT_EQ(
        std::tuple(world.GetPlayerCount(), world.GetObjectCount(), world.GetTurretCount(), lines.size()),
        std::tuple(1u, 0u, 0u, 0u));
}

// Ship information creates a ship, then only puts it back into play; a ship
// state sets what the server says; a player leaving takes the ship along.
TEST_F(ClientTest, ShipMessages)
{
    Feed({ShipInfo(5, 100, 200, 3, "Other")});
    CShip* other = world.FindPlayer(5);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(std::tuple(other->GetName(), other->GetShipType(), other->IsActive()),
              std::tuple("Other", 3, true));
    EXPECT_EQ(std::tuple(XY(other->GetPosition()), XY(other->GetReportedPosition()), world.GetUpdateFlag()),
              std::tuple(std::tuple(100, 200), std::tuple(100, 200), true))
        << "the next advance jumps to where the server put it";
    Feed({Msg(&CMessage::SetShipDied, 5)});
    EXPECT_FALSE(other->IsActive());
    Feed({ShipInfo(5, 300, 40, 1, "Renamed")});
    EXPECT_EQ(std::tuple(world.GetPlayerCount(), other->GetName(), other->GetShipType(), other->IsActive(),
                         other->GetPosition().GetX()),
              std::tuple(2u, "Other", 3, true, 300))
        << "no second ship";
    CMessage state;
    state.SetShipState(5, STATUS_SHIELDS | STATUS_FUELLING, 80, 150, -3, 4, 3, 2, 1, CVector(110, 210, 1),
                       CVector(30, 40, 0), 45);
    Feed({state});
    EXPECT_EQ(
        std::tuple(XY(other->GetReportedPosition()), other->GetPosition().GetX(), XY(other->GetVelocity())),
        std::tuple(std::tuple(110, 210), 300, std::tuple(30, 40)))
        << "the drawn position follows in the advance";
    EXPECT_EQ(std::tuple(other->GetAngle(), other->GetStatus(), other->GetCapacity(), other->GetFuel()),
              std::tuple(45, STATUS_SHIELDS | STATUS_FUELLING, 150, 80));
    EXPECT_EQ(std::tuple(other->GetFrags(), other->GetMissiles(), other->GetMines(), other->GetPlasmaMines(),
                         other->GetRepulses()),
              std::tuple(-3, 4, 3, 2, 1));
    Feed({Msg(&CMessage::SetPlayerLeft, 5), Msg(&CMessage::SetPlayerLeft, 0)}); // 0: one who never registered
    EXPECT_EQ(world.FindPlayer(5), nullptr) << "a player leaving takes its ship";
    EXPECT_EQ(world.FirstPlayer(), local) << "but never ours, before our join was answered";
}

// Object states create each moving kind with the server's id; turret states
// create turrets and set them in or out of play.
TEST_F(ClientTest, ObjectAndTurretStates)
{
    const int32_t kinds[] = {KIND_BULLET,      KIND_MISSILE, KIND_MINE,
                             KIND_PLASMA_MINE, KIND_POWERUP, KIND_SHRAPNEL};
    std::vector<CMessage> states;
    for (ObjectId i = 0; i < 6; ++i)
        states.push_back(
            ObjectStateMsg(40 + i, kinds[i], CVector(1, 2, 1), kinds[i] == KIND_POWERUP ? POWERUP_CLOAK : 1));
    Feed(states);
    ASSERT_EQ(world.GetObjectCount(), 6u);
    for (ObjectId i = 0; i < 6; ++i)
        EXPECT_EQ(world.FindObject(40 + i)->GetKind(), kinds[i]);
    EXPECT_EQ(dynamic_cast<CPowerup&>(*world.FindObject(44)).GetType(), POWERUP_CLOAK);
    EXPECT_EQ(dynamic_cast<CShrapnel&>(*world.FindObject(45)).GetShape(), 1);
    CGameObject* bullet = world.FindObject(40);
    EXPECT_EQ(std::tuple(bullet->IsActive(), XY(bullet->GetPosition()), XY(bullet->GetVelocity()),
                         bullet->GetAngle()),
              std::tuple(true, XY(CVector(1, 2, 1)), XY(CVector(10, -20, 0)), 90))
        << "placed at once when created";
    Feed({ObjectStateMsg(40, KIND_BULLET, CVector(9, 9, 1))});
    EXPECT_EQ(std::tuple(world.GetObjectCount(), bullet->GetPosition().GetY(),
                         bullet->GetReportedPosition().GetY()),
              std::tuple(6u, 2, 9))
        << "a known object only learns its reported position";
    Feed({Msg(&CMessage::SetObjectGone, 40)});
    EXPECT_FALSE(bullet->IsActive());
    Feed({ObjectStateMsg(40, KIND_BULLET, CVector(3, 3, 1))});
    EXPECT_EQ(std::tuple(bullet->IsActive(), bullet->GetPosition().GetX()), std::tuple(true, 3))
        << "a state for an object out of play puts it back";
    Feed({Turret(FACING_LEFT, 1, CVector(48, 80, 1))});
    CTurret* turret = world.FindTurret(3);
    ASSERT_NE(turret, nullptr);
    EXPECT_EQ(std::tuple(turret->GetFacing(), turret->GetPosition().GetX(), turret->IsActive()),
              std::tuple(FACING_LEFT, 48, true));
    Feed({Turret(FACING_UP, 0)});
    EXPECT_EQ(std::tuple(turret->GetFacing(), turret->IsActive()), std::tuple(FACING_LEFT, false))
        << "the facing is set once, when created";
    Feed({Turret(FACING_UP, 1)});
    EXPECT_EQ(std::tuple(turret->IsActive(), turret->GetPosition().GetX(), world.GetTurretCount()),
              std::tuple(true, 48, 1u))
        << "back in play at once where it stands, whatever its dead time";
}

TEST_F(ClientTest, BatchesThatDoNotParseAreDroppedWholeAndPongsGiveHalfTheRoundTrip)
{
    Bytes bytes = BatchBytes(
        {Msg(&CMessage::SetText, "first"), ShipInfo(5, 1, 1, 0, "Other"), Msg(&CMessage::SetText, "last")});
    bytes[0] = 4; // one record more than the packet holds
    client.OnReceive(bytes.data(), bytes.size());
    bytes[0] = 3;
    bytes.resize(bytes.size() - 1); // the last record cut short
    client.OnReceive(bytes.data(), bytes.size());
    client.OnReceive(bytes.data(), 0);
    EXPECT_EQ(std::tuple(lines.size(), world.GetPlayerCount(), client.GetMessagesReceived()),
              std::tuple(0u, 1u, 0u))
        << "dropped batches are not counted";
    Bytes good = BatchBytes({Msg(&CMessage::SetText, "one"), Msg(&CMessage::SetText, "two")});
    client.OnReceive(good.data(), good.size());
    EXPECT_EQ(std::tuple(client.GetMessagesReceived(), client.GetBatchBytesReceived()),
              std::tuple(2u, good.size()));
    platform::FakeClock clock(10000);
    Feed({Msg(&CMessage::SetPong, 9000)});
    EXPECT_EQ(client.GetPing(), 500);
    clock.SetTick(100);
    Feed({Msg(&CMessage::SetPong, 0xFFFFFF00u)}); // sent before the tick count wrapped
    EXPECT_EQ(client.GetPing(), 178);
    Feed({Msg(&CMessage::SetPong, 102)}); // from our future: the unsigned shift keeps it positive
    EXPECT_EQ(client.GetPing(), 0x7FFFFFFF);
}

TEST_F(ClientTest, RoundOverLastsUntilTheNextMapOrUntilClearedAndTilesWrapOntoTheMap)
{
    Feed({Map("Arena"), ShipInfo(5, 100, 40, 0, "Other"), ShipStateMsg(5, 10, 4),
          Msg(&CMessage::SetRoundOver)});
    EXPECT_EQ(std::tuple(client.IsRoundOver(), world.FindPlayer(5)->GetFrags()), std::tuple(true, 4))
        << "the round's state stays for the score screen";
    Feed({Map("Arena")});
    EXPECT_EQ(std::tuple(client.IsRoundOver(), world.FindPlayer(5)->IsActive(),
                         world.FindPlayer(5)->GetFrags(), world.GetMap() != nullptr),
              std::tuple(false, false, 0, true))
        << "the world was reset for the new round";
    Feed({Msg(&CMessage::SetRoundOver)});
    client.ClearRoundOver();
    EXPECT_EQ(std::tuple(client.IsRoundOver(), world.GetMap() == nullptr), std::tuple(false, true))
        << "leaving the score screen resets the world";
    Feed({Msg(&CMessage::SetTile, 1, 1, 5)});
    EXPECT_EQ(world.GetMap(), nullptr) << "a tile without a map does nothing";
    Feed({Map("Arena"), Msg(&CMessage::SetTile, -1, 0, 7), Msg(&CMessage::SetTile, 64, 1, 8),
          Msg(&CMessage::SetTile, 5, -1, 9), Msg(&CMessage::SetTile, INT_MIN, INT_MAX, 11)});
    const CMap& map = *world.GetMap();
    EXPECT_EQ(map.GetTileState(63, 0), 7) << "column -1 on a 64-wide map is column 63";
    EXPECT_EQ(map.GetTileState(0, 1), 8);
    EXPECT_EQ(map.GetTileState(5, 3), 9);
    EXPECT_EQ(map.GetTileState(0, 3), 11) << "INT_MIN wraps to 0, INT_MAX to row 3 of 4";
}

TEST_F(ClientTest, TextJoinAndMapsFromTheMapsFolderOnly)
{
    Feed({Msg(&CMessage::SetText, "Welcome aboard"), Msg(&CMessage::SetJoin, 7, 2, "Me"), Map("Arena")});
    EXPECT_EQ(lines, (std::vector<std::string>{"Welcome aboard", "Loaded map \"Arena\""}));
    EXPECT_EQ(local->GetId(), 7u) << "the join answer names our ship";
    ASSERT_NE(world.GetMap(), nullptr);
    EXPECT_EQ(world.GetMap()->GetColumns(), 64);
    data.Write("Outside.smp", arena);
    data.Write("Maps/Broken.smp", "not a map");
    for (std::string name :
         std::vector<std::string>{"Missing", "../Outside", "..\\Outside", "Maps/../../Outside", "", "Are\na",
                                  std::string(128, 'a'), "Broken"})
    {
        lines.clear();
        Feed({Map(name.c_str())});
        EXPECT_EQ(world.GetMap(), nullptr) << name;
        EXPECT_EQ(lines, std::vector<std::string>{"Unable to load map \"" + name +
                                                  "\", maybe you don't have that one?"});
    }
}

// The server list: duplicate answers give one entry, the browser sees counts
// without the server, selecting takes the first server whose name is a
// prefix; searches that cannot be made are told.
TEST_F(ClientTest, TheServerListAndSearchesThatCannotBeMade)
{
    client.ListServers();
    EXPECT_FALSE(client.SelectServer("Arena"));
    EXPECT_FALSE(client.Connect()) << "nothing selected";
    EXPECT_EQ(client.GetPort(), game_identity::kGamePort);
    Answer(1, "Arena", 5, 2, 1);
    Answer(1, "Arena", 5, 3, 1); // the same run answering again
    Answer(2, "Caverns", 0, 0, 2);
    char name[4];
    uint32_t maxPlayers = 99, current = 99;
    client.ResetHostCursor();
    ASSERT_TRUE(client.NextHost(name, sizeof name, maxPlayers, current));
    EXPECT_STREQ(name, "Are") << "bounded by the buffer";
    EXPECT_EQ(std::tuple(maxPlayers, current), std::tuple(4u, 1u));
    ASSERT_TRUE(client.NextHost(name, sizeof name, maxPlayers, current));
    EXPECT_EQ(std::tuple(maxPlayers, current), std::tuple(0u, 0u)) << "0 stays 0";
    EXPECT_FALSE(client.NextHost(name, sizeof name, maxPlayers, current));
    client.ResetHostCursor();
    EXPECT_FALSE(client.NextHost(nullptr, 10, maxPlayers, current));
    EXPECT_TRUE(client.NextHost(name, sizeof name, maxPlayers, current));
    client.ListServers();
    Answer(3, "Arena Two", 0, 0, 3);
    // The first server, in list order, whose name starts what was asked for;
    // case matters. 0: none selected.
    for (auto [asked, selected] : {std::pair{"Caverns", 2u},
                                   {"Arena Two and more", 1u},
                                   {"Arena Tw", 1u},
                                   {"Aren", 0u},
                                   {"caverns", 0u}})
    {
        client.SelectAddress(session::HostAddress{});
        EXPECT_EQ(client.SelectServer(asked), selected != 0) << asked;
        EXPECT_EQ(Selected(), selected) << asked;
    }
    EXPECT_THROW(client.EnumHosts("no-such-host.invalid"), CSearchError);
    EXPECT_FALSE(client.SearchForServers("no-such-host.invalid"));
    setenv("QUORVEX_BROADCAST", "nowhere", 1); // no address to broadcast to
    EXPECT_FALSE(client.SearchForServers(nullptr));
    unsetenv("QUORVEX_BROADCAST");
    EXPECT_EQ(lines,
              (std::vector<std::string>{
                  "No servers found...", "No servers to select from.", "Server: Arena", "Server: Caverns",
                  "Server \"Aren\" not found...", "Server \"caverns\" not found...",
                  "Could not find a computer called \"no-such-host.invalid\"; check the name and try again.",
                  "Could not search for servers: no network connection was found."}));
}

// A join that fails says what happened, so the player knows whether to wait,
// pick another server or update the game.
TEST_F(ClientTest, EachFailedJoinSaysWhatHappened)
{
    using enum session::ConnectResult;
    const std::pair<session::ConnectResult, std::string> told[] = {
        {ServerFull, "The server was full and rejected your request to join."},
        {WrongApplication, "The server plays a different game or version and rejected your request to join."},
        {BadHandshake,
         "The server refused your request to join: it did not understand this version's greeting."},
        {ServerClosing, "The server refused your request to join: it is shutting down."},
        {Refused, "The server refused your request to join."},
        {Unreachable, "No answer from the server at 127.0.0.2:3001: it timed out or cannot be reached."}};
    client.SelectAddress(session::HostAddress{0x7F000002, 3001});
    for (const auto& [result, line] : told)
    {
        lines.clear();
        client.OnConnectComplete(result);
        EXPECT_EQ(lines, (std::vector<std::string>{line, "Press escape to return to the main menu."}));
        EXPECT_FALSE(client.IsConnected());
    }
}

// Over a real session (what comes back is fed to OnReceive by the session
// tests' own client, and applied in the cases above).
TEST_F(ClientTest, FindsConnectsRegistersAndIsTerminatedAndAFullServerRefuses)
{
    ServerThread host(game_identity::ApplicationGuid(), 8, "Loop Arena");
    ASSERT_TRUE(host.hosted);
    client.SetPort(host.port);
    EXPECT_TRUE(client.EnumHosts("127.0.0.1"));
    ASSERT_TRUE(client.SelectServer("Loop Arena")) << "the list's counts are the unit list test's";
    ASSERT_TRUE(client.Connect());
    EXPECT_TRUE(client.IsConnected() && Printed("Registering with server..."));
    Bytes join = Serialized(Msg(&CMessage::SetJoin, 0, 2, "Me")); // our ship's type and name
    EXPECT_TRUE(PumpUntil([&] { return host.Saw("receive 2 " + std::string(join.begin(), join.end())); }));
    host.Stop();
    ASSERT_TRUE(PumpUntil([&] { return client.IsTerminated(); }));
    EXPECT_FALSE(client.IsConnected());
    EXPECT_EQ(std::vector<std::string>(lines.end() - 2, lines.end()),
              (std::vector<std::string>{"The server has terminated your connection.  Sorry.",
                                        "Press escape to return to the main menu."}));
    lines.clear();
    ServerThread full(game_identity::ApplicationGuid(), 1, "Full"); // the host's own player fills it
    client.SelectAddress(session::HostAddress{0x7F000001, full.port});
    EXPECT_FALSE(client.Connect() || client.IsConnected());
    EXPECT_EQ(lines, (std::vector<std::string>{"The server was full and rejected your request to join.",
                                               "Press escape to return to the main menu."}));
    char newest[CMessageLog::kLineSize];
    CMessageLog::GetConsoleLog().ResetCursor();
    EXPECT_TRUE(CMessageLog::GetConsoleLog().NextLine(newest, sizeof newest) && lines.back() == newest)
        << "printed on the console too";
}
} // namespace
