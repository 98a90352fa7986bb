// The game as the real server plays it, seen through what QuorvexProbe
// clients receive: a ship shot down, a round won on frags, and computer
// pilots (-bots) flying on their own. Each test ends by asking the server to
// shut down, which ends every probe at once.
#include "tests/support/ProbeOutput.h"
#include "tests/support/ServerUnderTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

using namespace std::chrono_literals;
using namespace testing_support;

TEST(Combat, AShipShotDownLeavesShrapnelAndTheRoundEndsAtTheFragLimit)
{
    // Short-lived shrapnel: a fragment of the target must not reach the
    // shooter, 192 units up the same column, firing down at it.
    ServerUnderTest server(ServerUnderTest::Setup().Arena().Config(
        "DefaultFragLimit 2\nServerEOR 60000\nShrapnelLifespan 300\n"));
    ASSERT_TRUE(server.ready);
    auto target = server.Probe({"--join", "--name", "Target", "--duration", "60000"});
    ASSERT_TRUE(server.Says("Target has joined the game.")) << "the target takes the lower spawn point";
    auto shooter = server.Probe({"--join", "--name", "Shooter", "--keys", "11", "--duration", "60000"});
    EXPECT_TRUE(server.Says("Target was killed by Shooter"));
    EXPECT_TRUE(server.Says("Frag Limit Hit!", 30s));
    EXPECT_EQ(server.ShutDown(), kExitHaltedByClient);
    Finish(*target);
    Finish(*shooter);
    ObjectId shooterId = JoinedShipId(*shooter);
    std::vector<std::string> seen = ProbeMessages(*target);

    std::set<ObjectId> fragments; // only deaths make shrapnel here
    for (const std::string& hex : seen)
        if (MessageType(hex) == "0b" && U32At(hex, 5) == 8)
            fragments.insert(U32At(hex, 1));
    EXPECT_EQ(fragments.size(), 16u) << "eight shrapnel objects for each of two deaths";
    std::map<ObjectId, ShipReport> last = LastShipStates(seen);
    EXPECT_EQ(last[shooterId].frags, 2) << "the shooter's frags, as every client sees them";
    EXPECT_TRUE(std::any_of(seen.begin(), seen.end(), [](auto& m) { return MessageType(m) == "04"; }))
        << "MSG_ROUND_OVER at the frag limit";
}

TEST(Bots, JoinUnderTheirNamesAndFlyOnTheirOwn)
{
    ServerUnderTest server(ServerUnderTest::Setup().ShippedMaps().Args({"-bots", "3"}));
    ASSERT_TRUE(server.ready);
    for (size_t i = 0, read = 0; i < 3; ++i, read = server.process->Lines().size())
        ASSERT_TRUE(server.process->WaitForLineAfter(read, "[bot] has joined the game.", 30s)) << "bot " << i;
    // Its welcome lists the bots' ships; one bot makes room for it.
    auto observer = server.Probe({"--join", "--name", "Observer", "--duration", "60000"});
    ShipWatch watch(*observer);
    auto isBot = [](const auto& ship) { return ship.second.name.ends_with(" [bot]"); };
    auto botFlew = [&](const auto& ship)
    { return isBot(ship) && ship.second.last.From(ship.second.first) > 32; };
    const auto& ships = watch.Ships();
    EXPECT_TRUE(watch.Until([&] { return std::any_of(ships.begin(), ships.end(), botFlew); }, 30s))
        << "a pilot moved its ship a ship length";
    EXPECT_EQ(std::count_if(ships.begin(), ships.end(), isBot), 3)
        << "three computer pilots, named \"... [bot]\"";
    EXPECT_EQ(server.ShutDown(), kExitHaltedByClient);
    EXPECT_EQ(Finish(*observer), 4);
}
