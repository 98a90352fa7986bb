// The game as the real server plays it, seen through what QuorvexProbe
// clients receive: a leaver's ship, a ship shot down, a round won on
// frags, and computer pilots (-bots) flying on their own. Each test ends by
// asking the server to shut down, which ends every probe at once.
#include "tests/support/ProbeOutput.h"
#include "tests/support/ServerUnderTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

using namespace std::chrono_literals;
using namespace testing_support;

namespace
{
// The first message from `from` on of one of these types about `shipId`.
std::vector<std::string>::const_iterator FindAbout(const std::vector<std::string>& messages,
                                                   std::vector<std::string>::const_iterator from,
                                                   std::initializer_list<const char*> types, ObjectId shipId)
{
    return std::find_if(from, messages.end(),
                        [&](const std::string& hex)
                        {
                            return U32At(hex, 1) == shipId &&
                                   std::any_of(types.begin(), types.end(),
                                               [&](auto t) { return MessageType(hex) == t; });
                        });
}

// The frag count in the first MSG_SHIP_STATE of a ship after it first went
// out of play (a ship reports no state while out of play).
int FragsAfterFirstDeath(const std::vector<std::string>& messages, ObjectId shipId)
{
    auto alive = FindAbout(messages, messages.begin(), {"0a"}, shipId);
    auto died = FindAbout(messages, alive, {"08"}, shipId);
    auto back = FindAbout(messages, died, {"0a"}, shipId);
    return back == messages.end() ? -1000 : static_cast<int8_t>(U8At(*back, 14));
}
} // namespace

// The welcome's order is the round controller's (tests/server); here, what
// only the whole server does: a session that ends takes its ship along.
TEST(Rounds, ALeaversShipIsGoneForEveryoneAndItsIdIsNeverGivenAgain)
{
    ServerUnderTest server(ServerUnderTest::Setup().ShippedMaps());
    ASSERT_TRUE(server.ready);
    auto early = server.Probe({"--join", "--name", "Early", "--duration", "30000"});
    ASSERT_TRUE(server.Says("Early has joined the game."));
    auto late = server.Probe({"--join", "--name", "Late", "--duration", "800"});
    EXPECT_EQ(Finish(*late), 0);
    ASSERT_TRUE(server.Says("Late has left the game"));
    auto again = server.Probe({"--join", "--name", "Again", "--duration", "500"});
    EXPECT_EQ(Finish(*again), 0);
    EXPECT_EQ(server.ShutDown(), 0);
    EXPECT_EQ(Finish(*early), 4);
    EXPECT_EQ(JoinedShipId(*early), 1u);
    EXPECT_EQ(JoinedShipId(*late), 2u);
    EXPECT_EQ(JoinedShipId(*again), 3u) << "ids are never reused";

    std::vector<std::string> seen = ProbeMessages(*early);
    auto left = FindAbout(seen, seen.begin(), {"06"}, 2);
    ASSERT_NE(left, seen.end()) << "MSG_PLAYER_LEFT with the leaver's ship id";
    EXPECT_EQ(FindAbout(seen, left, {"0a", "08"}, 2), seen.end()) << "no state or death of it after";
}

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
    EXPECT_EQ(server.ShutDown(), 0);
    Finish(*target);
    Finish(*shooter);
    ObjectId shooterId = JoinedShipId(*shooter), targetId = JoinedShipId(*target);
    std::vector<std::string> seen = ProbeMessages(*target);

    auto died = FindAbout(seen, seen.begin(), {"08"}, targetId);
    std::set<ObjectId> fragments;
    for (auto it = died; it != seen.end(); ++it)
        if (MessageType(*it) == "0b" && U32At(*it, 5) == 8)
            fragments.insert(U32At(*it, 1));
    EXPECT_EQ(fragments.size(), 16u) << "eight shrapnel objects for each of two deaths";
    std::map<ObjectId, ShipReport> last = LastShipStates(seen);
    EXPECT_EQ(last[shooterId].frags, 2) << "the shooter's frags, as every client sees them";
    EXPECT_EQ(FragsAfterFirstDeath(ProbeMessages(*shooter), targetId), -1)
        << "a death costs the target a frag";
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
    EXPECT_EQ(server.ShutDown(), 0);
    EXPECT_EQ(Finish(*observer), 4);
}
