// The server's -sendrate and -stats options end to end.
//
// At a send rate, two pilots fly into the walls of a small arena without
// turrets or shrapnel, so every death is a "tried to land" or "ran over" line
// on the server's console. An observer (a plain probe that prints every
// message) must get every console line the server printed after it
// connected, in order, identical chat lines included, and see each death;
// the messages of one batch carry one time stamp, so distinct time stamps
// count batches. A headless client (--world) must hold the world the
// server reports, as with a server that sends on every pass: the server
// leaves out what a client works out from its last reports, so at any moment
// the client's ships are where the observer's last reports, carried forward
// to that moment, put them. With
// -stats 1 the server prints a "Stats:" line every second on its own (the
// line itself is checked with SIGUSR1 in ProgramsTest.cpp).
#include "tests/support/ProbeOutput.h"
#include "tests/support/ServerUnderTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <map>
#include <set>
#include <thread>

using namespace std::chrono_literals;
using namespace testing_support;

namespace
{
constexpr double kShipLength = 32;
const std::string kChat = "same line";
const std::string kLastChat = "last line";

// The batches that arrived in each whole second between the first and the
// last one: the messages of one batch carry its time stamp, "MSG <ms> <hex>".
std::vector<size_t> BatchesPerSecond(const ChildProcess& probe)
{
    std::map<uint64_t, std::set<uint64_t>> stamps;
    for (const std::string& line : LinesStartingWith(probe, "MSG "))
    {
        uint64_t ms = StampOf(line);
        stamps[ms / 1000].insert(ms);
    }
    std::vector<size_t> counts;
    for (const auto& [second, inSecond] : stamps)
        if (second != stamps.begin()->first && second != stamps.rbegin()->first)
            counts.push_back(inSecond.size());
    return counts;
}

// Deaths a probe saw: a MSG_SHIP_DIED for a ship last seen in play (the
// server repeats it while the ship is out of play).
size_t DeathsSeen(const std::vector<std::string>& messages)
{
    std::map<uint32_t, bool> inPlay;
    size_t deaths = 0;
    for (const std::string& hex : messages)
    {
        if (MessageType(hex) == "0a" || MessageType(hex) == "05")
            inPlay[U32At(hex, 1)] = true;
        else if (MessageType(hex) == "08" && std::exchange(inPlay[U32At(hex, 1)], false))
            ++deaths;
    }
    return deaths;
}

bool IsDeathLine(const std::string& line)
{
    return line.find("tried to land.") != std::string::npos || line.find(" ran over ") != std::string::npos;
}

TEST(SendRate, TwentyBatchesASecondCarryEveryLineAndDeathAndTheWorld)
{
    // Ships slow enough that two estimates of where one is, made a moment
    // apart, stay within a ship length of each other (at 96 units/s only a
    // third of a second between them would part them further); no shrapnel,
    // no round end during the test.
    ServerUnderTest server(
        ServerUnderTest::Setup()
            .Arena()
            .Args({"-sendrate", "20", "-stats", "1"})
            .Config("DefaultFragLimit 120\nMaxPlayers 8\nBaseMaxSpeed 96\nShrapnelCount 0\n"));
    ASSERT_TRUE(server.ready);
    auto observer = server.Probe({"--duration", "120000"});
    ASSERT_TRUE(observer->WaitForLine("CONNECTED", 10s));
    auto diver = server.Probe({"--join", "--name", "Diver", "--keys", "9", "--duration", "120000"});
    ASSERT_TRUE(server.Says("Diver has joined the game.")) << "the diver takes the lower spawn point";
    auto pilot =
        server.Probe({"--world", "--join", "--name", "Pilot", "--keys", "9", "--duration", "120000"});
    ASSERT_TRUE(pilot->WaitForLine("CONSOLE Loaded map \"Arena\"", 10s)) << pilot->Stderr();

    std::this_thread::sleep_for(3s); // both ships reach the wall
    auto chatter =
        server.Probe({"--send", TextMessageHex(kChat), "--send", TextMessageHex(kChat), "--duration", "500"});
    EXPECT_EQ(Finish(*chatter), 0);
    std::this_thread::sleep_for(4s);
    auto last = server.Probe({"--chat", kLastChat, "--duration", "300"});
    EXPECT_EQ(Finish(*last), 0);
    ASSERT_TRUE(server.Says(": " + kLastChat));
    std::this_thread::sleep_for(1s); // the observer gets the line too
    // The pilot prints its world as a message reaches the observer, and the
    // server stands still meanwhile, so no ship dies in between. The moment
    // of the print in the observer's clock is that message's time stamp plus
    // the time the test took to ask for the print.
    observer->DrainOutput(20ms);
    std::optional<std::string> news = observer->WaitForLineAfter(observer->Lines().size(), "MSG ", 5s);
    auto heard = std::chrono::steady_clock::now();
    server.process->Signal(SIGSTOP);
    pilot->Signal(SIGUSR1);
    auto asked = std::chrono::steady_clock::now();
    bool worldPrinted = pilot->WaitForLine("WORLD OBJECTS", 30s).has_value();
    observer->DrainOutput(100ms); // what the server sent before it stopped
    server.process->Signal(SIGCONT);
    ASSERT_TRUE(news && worldPrinted);
    uint64_t printedAt =
        StampOf(*news) + std::chrono::duration_cast<std::chrono::milliseconds>(asked - heard).count();
    std::map<ObjectId, ShipReport> reported = ShipStatesCarriedTo(*observer, printedAt);
    EXPECT_EQ(server.ShutDown(), kExitHaltedByClient);
    EXPECT_EQ(Finish(*observer), 4);
    EXPECT_EQ(Finish(*pilot), 4);
    Finish(*diver);
    std::vector<std::string> seen = ProbeMessages(*observer);

    std::vector<size_t> batches = BatchesPerSecond(*observer);
    ASSERT_GE(batches.size(), 5u);
    std::sort(batches.begin(), batches.end());
    EXPECT_LE(batches.back(), 30u);
    // Ships resting against the wall are news only at the refresh.
    EXPECT_GE(batches[batches.size() / 2], 1u) << "the median second";

    // The observer's chat and console lines, up to the last chat line.
    std::vector<std::string> texts;
    for (auto hex = seen.begin(); hex != seen.end() && (texts.empty() || texts.back() != ": " + kLastChat);
         ++hex)
        if (MessageType(*hex) == "01")
            texts.push_back(TextAt(*hex, 1));
    ASSERT_FALSE(texts.empty());
    EXPECT_NE(texts.back().find(kLastChat), std::string::npos);
    std::vector<std::string> console = LinesStartingWith(*server.process, "Console: ");
    for (std::string& line : console)
        line.erase(0, 9); // the prefix
    auto first = std::find(console.begin(), console.end(), texts.front());
    ASSERT_NE(first, console.end());
    auto end =
        std::find_if(first, console.end(), [](auto& line) { return line.find(kLastChat) != line.npos; });
    ASSERT_NE(end, console.end());
    std::vector<std::string> printed(first, end + 1);
    EXPECT_EQ(texts, printed) << "every line the server printed once the observer was there, in order";
    EXPECT_EQ(std::count(texts.begin(), texts.end(), ": " + kChat), 2)
        << "identical chat lines are two lines";

    size_t deathLines = static_cast<size_t>(std::count_if(printed.begin(), printed.end(), IsDeathLine));
    EXPECT_GE(deathLines, 2u) << "both pilots fly into the wall";
    // A death's line goes out with the pass that caused it, but its
    // MSG_SHIP_DIED with the next tick, which may come after the last chat
    // line: so count the deaths over everything the observer saw, at least
    // those announced before the last chat line and none the server never
    // announced.
    size_t deathsSeen = DeathsSeen(seen);
    EXPECT_GE(deathsSeen, deathLines) << "a death announced before the last chat line was never seen";
    auto announced = static_cast<size_t>(std::count_if(first, console.end(), IsDeathLine));
    EXPECT_LE(deathsSeen, announced) << "a death the server never announced";

    EXPECT_LT(reported[JoinedShipId(*diver)].frags, 0) << "each landing costs a frag";
    std::map<ObjectId, ShipReport> world = BotWorlds(*pilot).at(0);
    EXPECT_EQ(world.size(), 2u);
    EXPECT_EQ(WorldDisagreements(world, reported, {384, 384}, kShipLength), std::vector<std::string>{});
    EXPECT_GE(LinesStartingWith(*server.process, "Stats: ").size(), 2u) << "some eight seconds at -stats 1";
}

} // namespace
