// Headless game clients end to end: QuorvexProbe --world runs the real client
// session and world advance against the real server on a shipped map.
//
// The oracle for "the server's" state is an observer: a plain probe that
// decodes the server's last MSG_SHIP_STATE for every ship from the raw bytes,
// without the client session. The server shuts down (MSG_SHUTDOWN from
// another probe) while everyone is connected, so every client and the
// observer stop on the same last tick: their frags must equal the observer's
// for every ship, and the ships in play must sit within one ship length
// (32 units, measured the short way round the world) of the position the
// server last reported, and so of each other.
//
// A dead-reckoned position is an estimate for the moment a client last ran,
// and a busy machine may hold one client back for a while. The server caps
// ships at 96 units/s so that only a delay of a third of a second could carry
// an estimate a ship length away; at the game's own top speed (768) a tenth
// of a second would.
#include "tests/support/ChildProcess.h"
#include "tests/support/Ports.h"
#include "tests/support/ProbeOutput.h"
#include "tests/support/ServerUnderTest.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>
#include <thread>

using namespace std::chrono_literals;
using testing_support::ChildProcess;
using testing_support::Finish;
using testing_support::LastShipStates;
using testing_support::ProbeMessages;
using testing_support::ProgramPath;
using testing_support::ServerUnderTest;
using testing_support::ShippedData;
using testing_support::ShipReport;
using testing_support::TempDir;
using testing_support::TorusDistance;
using testing_support::WorldDisagreements;
using testing_support::WorldShips;

namespace
{
constexpr double kShipLength = 32;
constexpr testing_support::WorldSize kCaves{64 * 32, 64 * 32};

// No round may end during the game (frags would be reset with the world), the
// observer and the one who shuts the server down need places too, and ships
// fly slowly enough for the position check (see the top of the file).
ServerUnderTest::Setup GameSetup()
{
    return ServerUnderTest::Setup()
        .Config("DefaultFragLimit 120\nMaxPlayers 8\nBaseMaxSpeed 96\n")
        .Data(ShippedData());
}

bool HasLine(const ChildProcess& process, const std::string& wanted)
{
    const auto& lines = process.Lines();
    return std::find(lines.begin(), lines.end(), wanted) != lines.end();
}

// Thrusting, turning and firing in different mixes: ships fly circles, fly
// straight into walls, and spin in place shooting.
const std::vector<std::vector<std::string>> kPlayers = {
    {"--name", "Circler", "--ship", "0", "--keys", "9,7,11"},
    {"--name", "Rammer", "--ship", "1", "--keys", "9,11"},
    {"--name", "Spinner", "--ship", "2", "--keys", "8,11"},
    {"--name", "Drifter", "--ship", "3", "--keys", "9,8,11,13"},
};

TEST(HeadlessClients, FourClientsFollowTheServerUntilItShutsDown)
{
    // Each client finds the server by its name, here as long as the server allows.
    ServerUnderTest server(GameSetup().Args({"-name", std::string(1023, 'N')}));
    ASSERT_TRUE(server.ready);
    auto observer = server.Probe({"--duration", "120000"});
    ASSERT_TRUE(observer->WaitForLine("CONNECTED", 10s));
    std::vector<std::unique_ptr<ChildProcess>> clients;
    for (const auto& player : kPlayers)
    {
        std::vector<std::string> args = {"--world", "--join", "--duration", "120000"};
        args.insert(args.end(), player.begin(), player.end());
        clients.push_back(server.Probe(args));
    }
    for (auto& client : clients)
        ASSERT_TRUE(client->WaitForLine("CONSOLE Loaded map \"Caves\"", 15s)) << client->Stderr();

    std::this_thread::sleep_for(20s);
    auto shutdown = server.Probe({"--send", "0f00000000", "--duration", "500"});

    EXPECT_EQ(Finish(*server.process), 0);
    EXPECT_EQ(Finish(*observer), 4) << "the observer was terminated too";
    Finish(*shutdown);
    std::map<ObjectId, ShipReport> reported = LastShipStates(ProbeMessages(*observer));
    ASSERT_EQ(reported.size(), kPlayers.size());

    std::map<ObjectId, ShipReport> first;
    for (auto& client : clients)
    {
        EXPECT_EQ(Finish(*client), 4) << "terminated by the server";
        EXPECT_TRUE(HasLine(*client, "CONSOLE The server has terminated your connection.  Sorry."));
        EXPECT_TRUE(HasLine(*client, "CONSOLE Press escape to return to the main menu."));
        std::map<ObjectId, ShipReport> ships = WorldShips(*client);
        ASSERT_EQ(ships.size(), kPlayers.size());
        if (first.empty())
            first = ships;
        for (const auto& [id, ship] : ships)
        {
            ASSERT_TRUE(reported.count(id)) << "ship " << id;
            EXPECT_EQ(ship.name, first[id].name);
            EXPECT_EQ(ship.active, first[id].active) << ship.name;
            double apart =
                TorusDistance(ship.x, ship.y, first[id].x, first[id].y, kCaves.width, kCaves.height);
            if (ship.active && first[id].active)
            {
                EXPECT_LE(apart, kShipLength) << ship.name;
            }
        }
        EXPECT_EQ(WorldDisagreements(ships, reported, kCaves, kShipLength), std::vector<std::string>{});
    }
    std::vector<std::string> names;
    bool scored = false;
    for (const auto& [id, ship] : first)
    {
        names.push_back(ship.name);
        scored |= ship.frags != 0;
    }
    EXPECT_TRUE(scored) << "in 20 s someone crashes into the rock or is shot down";
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Circler", "Drifter", "Rammer", "Spinner"}));
}

TEST(HeadlessClients, BotsEachKeepAWorld)
{
    ServerUnderTest server(GameSetup());
    ASSERT_TRUE(server.ready);
    auto bots =
        server.Probe({"--bots", "3", "--world", "--name", "Bot", "--keys", "7", "--duration", "2500"});
    EXPECT_EQ(Finish(*bots), 0) << bots->Stderr();
    int botLines = 0, shipLines = 0, objectLines = 0;
    for (const std::string& line : bots->Lines())
    {
        if (line.rfind("BOT ", 0) == 0)
        {
            ++botLines;
            unsigned index = 0, nameIndex = 0;
            unsigned long long messages = 0, bytes = 0;
            ASSERT_EQ(std::sscanf(line.c_str(), "BOT %u Bot%u messages=%llu bytes=%llu", &index, &nameIndex,
                                  &messages, &bytes),
                      4)
                << line;
            EXPECT_EQ(index, nameIndex);
            EXPECT_GT(messages, 0u);
            EXPECT_GT(bytes, messages);
        }
        shipLines += line.rfind("WORLD SHIP ", 0) == 0;
        objectLines += line.rfind("WORLD OBJECTS bullet=", 0) == 0;
    }
    EXPECT_EQ(botLines, 3);
    EXPECT_EQ(shipLines, 9) << "each bot sees all three ships";
    EXPECT_EQ(objectLines, 3);
}

TEST(HeadlessClients, ASearchThatFailsIsReportedOnTheConsole)
{
    ChildProcess probe(ProgramPath("QuorvexProbe"), {"--world", "--host", "no-such-host.invalid"});
    EXPECT_EQ(Finish(probe), 3);
    EXPECT_TRUE(HasLine(probe,
                        "CONSOLE Could not find a computer called \"no-such-host.invalid\"; check the name "
                        "and try again."));
}
} // namespace
