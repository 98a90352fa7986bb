// CClient over a real session on loopback: the search, the server list it
// fills, connecting and registering, a batch from the server applied, the
// server ending the session, a full server refusing, and searches that
// cannot be made.
#include "net/Client.h"

#include "common/MessageLog.h"
#include "game/World.h"
#include "net/GameIdentity.h"

#include "tests/net/Messages.h"
#include "tests/session/ServerThread.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace testing_support;

namespace
{
class ClientSession : public ::testing::Test
{
protected:
    void SetUp() override
    {
        local = new CShip();
        local->SetName("Me");
        local->SetShipType(2);
        world.AddPlayer(local);
        client.SetWorld(&world);
        client.SetConsoleEcho([this](const char* line) { lines.emplace_back(line); });
    }
    // Runs the client's session until `done` holds or ten seconds pass.
    bool PumpUntil(const std::function<bool()>& done)
    {
        return PollUntil(done, [this] { client.DoWork(10), client.WaitForTraffic(5); });
    }
    bool Printed(const std::string& line) const
    {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    CGameWorld world;
    CShip* local = nullptr;
    CClient client;
    std::vector<std::string> lines;
};

TEST_F(ClientSession, FindsConnectsRegistersAndIsTerminated)
{
    ServerThread host(game_identity::ApplicationGuid(), 8, "Loop Arena");
    ASSERT_TRUE(host.hosted);
    client.SetPort(host.port);
    EXPECT_TRUE(client.EnumHosts("127.0.0.1"));
    char name[64];
    uint32_t maxPlayers = 0, current = 0;
    ASSERT_TRUE(client.NextHost(name, sizeof name, maxPlayers, current));
    EXPECT_STREQ(name, "Loop Arena");
    EXPECT_EQ(maxPlayers, 7u);
    EXPECT_EQ(current, 0u);
    EXPECT_FALSE(client.NextHost(name, sizeof name, maxPlayers, current)) << "four answers, one entry";

    ASSERT_TRUE(client.SelectServer("Loop Arena"));
    ASSERT_TRUE(client.Connect());
    EXPECT_TRUE(client.IsConnected());
    EXPECT_TRUE(Printed("Registering with server..."));
    ASSERT_TRUE(PumpUntil([&] { return !host.Received().empty(); }));
    CMessage join;
    ASSERT_TRUE(join.Deserialize(host.Received()[0].data(), host.Received()[0].size()));
    ObjectId id = 99;
    uint32_t shipType = 0;
    char joinName[16];
    ASSERT_TRUE(join.GetJoin(id, shipType, joinName, sizeof joinName));
    EXPECT_EQ(id, 0u);
    EXPECT_EQ(shipType, 2u);
    EXPECT_STREQ(joinName, "Me");

    host.SendToAll(
        BatchBytes({Msg(&CMessage::SetJoin, 7, 2, "Me"), Msg(&CMessage::SetText, "Me has joined.")}));
    ASSERT_TRUE(PumpUntil([&] { return Printed("Me has joined."); }));
    EXPECT_EQ(local->GetId(), 7u);

    host.Stop();
    ASSERT_TRUE(PumpUntil([&] { return client.IsTerminated(); }));
    EXPECT_FALSE(client.IsConnected());
    EXPECT_EQ(std::vector<std::string>(lines.end() - 2, lines.end()),
              (std::vector<std::string>{"The server has terminated your connection.  Sorry.",
                                        "Press escape to return to the main menu."}));
}

TEST_F(ClientSession, AFullServerRefuses)
{
    ServerThread host(game_identity::ApplicationGuid(), 1, "Full"); // the host's own player fills it
    ASSERT_TRUE(host.hosted);
    client.SelectAddress(session::HostAddress{0x7F000001, host.port});
    EXPECT_FALSE(client.Connect());
    EXPECT_FALSE(client.IsConnected());
    EXPECT_EQ(lines, (std::vector<std::string>{"The server was full and rejected your request to join.",
                                               "Press escape to return to the main menu."}));
    char line[CMessageLog::kLineSize];
    CMessageLog& console = CMessageLog::GetConsoleLog();
    console.ResetCursor();
    ASSERT_TRUE(console.NextLine(line, sizeof line));
    EXPECT_STREQ(line, "Press escape to return to the main menu.") << "printed on the console, newest first";
}

TEST_F(ClientSession, ASearchThatCannotBeMadeIsAnErrorThePlayerIsToldAbout)
{
    EXPECT_THROW(client.EnumHosts("no-such-host.invalid"), CSearchError);
    EXPECT_FALSE(client.SearchForServers("no-such-host.invalid"));
    setenv("QUORVEX_BROADCAST", "nowhere", 1); // no address to broadcast to
    EXPECT_FALSE(client.SearchForServers(nullptr));
    unsetenv("QUORVEX_BROADCAST");
    EXPECT_EQ(lines,
              (std::vector<std::string>{
                  "Could not find a computer called \"no-such-host.invalid\"; check the name and try again.",
                  "Could not search for servers: no network connection was found."}));
}
} // namespace
