// Rounds end to end: players join and get their ships, the welcome batch,
// map requests and the rotation, and players leaving. The server plays the
// shipped maps; QuorvexProbe plays the clients.
#include "tests/support/ChildProcess.h"
#include "tests/support/MapFile.h"
#include "tests/support/Ports.h"
#include "tests/support/ProbeOutput.h"
#include "tests/support/ServerUnderTest.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

using namespace std::chrono_literals;
using testing_support::ChildProcess;
using testing_support::ProgramPath;
using testing_support::TempDir;
using namespace testing_support;

namespace
{
ServerUnderTest::Setup OnShippedMaps(const std::string& config = "")
{
    return ServerUnderTest::Setup().Config(config).Data(ShippedData());
}
} // namespace

TEST(Rounds, ShipIdsCountUpAndAreNeverReused)
{
    ServerUnderTest server(OnShippedMaps());
    ASSERT_TRUE(server.ready);
    auto first = server.Probe({"--join", "--name", "One", "--duration", "4000"});
    ASSERT_TRUE(first->WaitForLine("MSG", 10s));
    auto second = server.Probe({"--join", "--name", "Two", "--duration", "800"});
    EXPECT_EQ(Finish(*second), 0);
    EXPECT_TRUE(server.process->WaitForLine("Console: Two has left the game", 10s));
    auto again = server.Probe({"--join", "--name", "Two", "--duration", "500"});
    EXPECT_EQ(Finish(*again), 0);
    EXPECT_EQ(Finish(*first), 0);
    EXPECT_EQ(JoinedShipId(*first), 1u);
    EXPECT_EQ(JoinedShipId(*second), 2u);
    EXPECT_EQ(JoinedShipId(*again), 3u);
    EXPECT_TRUE(server.process->WaitForLine("Console: One has joined the game.", 1s));
}

TEST(Rounds, WelcomeBatchComesInItsOrder)
{
    ServerUnderTest server(OnShippedMaps());
    ASSERT_TRUE(server.ready);
    auto first = server.Probe({"--join", "--name", "Early", "--ship", "2", "--duration", "3000"});
    ASSERT_TRUE(first->WaitForLine("MSG", 10s));
    std::this_thread::sleep_for(300ms);
    auto second = server.Probe({"--join", "--name", "Late", "--duration", "800"});
    EXPECT_EQ(Finish(*second), 0);
    std::vector<std::string> messages = ProbeMessages(*second);
    auto join =
        std::find_if(messages.begin(), messages.end(), [](auto& m) { return MessageType(m) == "02"; });
    ASSERT_NE(join, messages.end());
    ASSERT_LT(join + 3, messages.end());
    EXPECT_EQ(TextAt(*join, 9), "Late");
    EXPECT_EQ(MessageType(*(join + 1)), "03") << "the map follows the join";
    EXPECT_EQ(TextAt(*(join + 1), 1), "Caves") << "the first map of the rotation";
    EXPECT_EQ(MessageType(*(join + 2)), "05") << "then one ship info per ship already in the world";
    EXPECT_EQ(U32At(*(join + 2), 1), 1u);
    EXPECT_EQ(TextAt(*(join + 2), 17), "Early");
    EXPECT_EQ(Finish(*first), 0);
}

TEST(Rounds, MapRequestEndsTheRoundAndTheNextRoundAnnouncesItsMapFirst)
{
    ServerUnderTest server(OnShippedMaps("ServerEOR 300\n"));
    ASSERT_TRUE(server.ready);
    auto player = server.Probe({"--join", "--duration", "4000"});
    ASSERT_TRUE(player->WaitForLine("MSG", 10s));
    auto requester = server.Probe({"--send", MapRequestHex("Fear"), "--duration", "300"});
    EXPECT_EQ(Finish(*requester), 0);
    EXPECT_TRUE(server.process->WaitForLine("Console: Fear has been requested", 10s));
    EXPECT_TRUE(server.process->WaitForLine("Console: Loading map... Maps\\Fear.smp", 10s));
    EXPECT_EQ(Finish(*player), 0);

    std::vector<std::string> messages = ProbeMessages(*player);
    auto over =
        std::find_if(messages.begin(), messages.end(), [](auto& m) { return MessageType(m) == "04"; });
    ASSERT_NE(over, messages.end());
    auto map = std::find_if(over, messages.end(), [](auto& m) { return MessageType(m) == "03"; });
    ASSERT_NE(map, messages.end());
    EXPECT_EQ(TextAt(*map, 1), "Fear");
    for (auto it = over + 1; it != map; ++it)
        EXPECT_TRUE(MessageType(*it) != "0a" && MessageType(*it) != "0b" && MessageType(*it) != "0c")
            << "state before the new map: " << *it;
}

TEST(Rounds, RequestForAMissingMapPlaysTheNextOfTheRotation)
{
    ServerUnderTest server(OnShippedMaps("ServerEOR 200\n"));
    ASSERT_TRUE(server.ready);
    EXPECT_TRUE(server.process->WaitForLine("Console: Loading map... Maps\\Caves.smp", 10s));
    // Names with no map, and names that try to leave the maps folder, alike.
    const std::pair<std::string, std::string> requests[] = {
        {"NoSuchMap", "Fear"}, {"..\\..\\etc\\passwd", "HCPlayground"}, {"Maps/Fear", "Caves"}};
    for (const auto& [name, next] : requests)
    {
        size_t seen = server.process->Lines().size();
        auto requester = server.Probe({"--send", MapRequestHex(name), "--duration", "200"});
        EXPECT_EQ(Finish(*requester), 0);
        EXPECT_TRUE(
            server.process->WaitForLineAfter(seen, "Console: Loading map... Maps\\" + next + ".smp", 10s))
            << name;
    }
}

namespace
{
// The stayer saw MSG_PLAYER_LEFT for `shipId`, and no ship message for it after.
void ExpectShipGoneFor(const ChildProcess& stayer, ObjectId shipId)
{
    std::vector<std::string> messages = ProbeMessages(stayer);
    auto left = std::find_if(messages.begin(), messages.end(),
                             [&](auto& m) { return MessageType(m) == "06" && U32At(m, 1) == shipId; });
    ASSERT_NE(left, messages.end()) << "MSG_PLAYER_LEFT with the ship id";
    for (auto it = left + 1; it != messages.end(); ++it)
        EXPECT_FALSE((MessageType(*it) == "0a" || MessageType(*it) == "08") && U32At(*it, 1) == shipId)
            << "the ship is gone";
}
} // namespace

TEST(Rounds, DepartingPlayersShipDisappearsForEveryone)
{
    ServerUnderTest server(OnShippedMaps());
    ASSERT_TRUE(server.ready);
    auto stayer = server.Probe({"--join", "--name", "Stayer", "--duration", "4000"});
    ASSERT_TRUE(stayer->WaitForLine("MSG", 10s));
    auto leaver = server.Probe({"--join", "--name", "Leaver", "--duration", "1000"});
    EXPECT_EQ(Finish(*leaver), 0);
    EXPECT_EQ(Finish(*stayer), 0);
    ObjectId leaverId = JoinedShipId(*leaver);
    ASSERT_EQ(leaverId, 2u);
    ExpectShipGoneFor(*stayer, leaverId);
}

TEST(Rounds, RegisteringAgainRetiresTheEarlierShipForEveryone)
{
    ServerUnderTest server(OnShippedMaps());
    ASSERT_TRUE(server.ready);
    auto stayer = server.Probe({"--join", "--name", "Stayer", "--duration", "4000"});
    ASSERT_TRUE(stayer->WaitForLine("MSG", 10s));
    // MSG_JOIN again: id 0, ship type 1, name "Again".
    auto rejoiner = server.Probe({"--join", "--name", "First", "--send",
                                  "02"
                                  "00000000"
                                  "01000000"
                                  "05000000"
                                  "416761696e",
                                  "--duration", "1000"});
    EXPECT_EQ(Finish(*rejoiner), 0);
    EXPECT_EQ(Finish(*stayer), 0);
    ExpectShipGoneFor(*stayer, 2);
}

namespace
{
const std::string kCavesDropped =
    "Console: Map \"Maps\\Caves.smp\" could not be loaded; dropping it from the rotation.";

// A data folder with a damaged copy of Caves (title intact, cells cut short)
// and, unless `withGoodMap` is false, a good map after it in the rotation.
struct DamagedData
{
    explicit DamagedData(bool withGoodMap)
    {
        std::filesystem::create_directories(folder.File("Maps"));
        WriteTruncatedCopy(ShippedData() + "/Maps/Caves.smp", folder.File("Maps/Caves.smp"));
        if (withGoodMap)
            MapFile(kTwoSpawnArena, "Vault").WriteTo(folder.File("Maps/Vault.smp"));
    }
    TempDir folder;
};

std::vector<std::string> AnnouncedMaps(const ChildProcess& probe)
{
    std::vector<std::string> maps;
    for (const std::string& hex : ProbeMessages(probe))
        if (MessageType(hex) == "03")
            maps.push_back(TextAt(hex, 1));
    return maps;
}
} // namespace

TEST(Rounds, AMapThatDoesNotLoadIsReportedAndNeverAnnounced)
{
    DamagedData data(true);
    ServerUnderTest server(ServerUnderTest::Setup()
                               .Config("ServerEOR 200\n")
                               .Data(data.folder.Path())
                               .ReadyLine("Console: New round initalized and ready to go."));
    ASSERT_TRUE(server.ready);
    EXPECT_TRUE(server.process->WaitForLine(kCavesDropped, 1s));
    auto player = server.Probe({"--join", "--duration", "5000"});
    ASSERT_TRUE(player->WaitForLine("MSG", 10s));

    // Asked for by name, the damaged file fails again and the rotation's next map is played.
    size_t seen = server.process->Lines().size();
    auto requester = server.Probe({"--send", MapRequestHex("Caves"), "--duration", "200"});
    EXPECT_EQ(Finish(*requester), 0);
    EXPECT_TRUE(server.process->WaitForLineAfter(seen, kCavesDropped, 10s));
    EXPECT_TRUE(server.process->WaitForLineAfter(seen, "Console: Loading map... Maps\\Vault.smp", 10s));
    EXPECT_EQ(Finish(*player), 0);
    EXPECT_EQ(AnnouncedMaps(*player), (std::vector<std::string>{"Vault", "Vault"}));
}

TEST(Rounds, AServerWithNoLoadableMapSaysWhereItLookedAndStops)
{
    DamagedData data(false);
    ServerUnderTest server(ServerUnderTest::Setup().Data(data.folder.Path()).ReadyLine(kCavesDropped));
    EXPECT_TRUE(server.ready);
    EXPECT_EQ(Finish(*server.process), 1);
    EXPECT_TRUE(server.process->WaitForLine("Console: No map in \"" + data.folder.File("Maps") +
                                                "\" could be loaded. Put a good map file (.smp) there",
                                            1s));
}
