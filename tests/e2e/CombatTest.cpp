// The complete server game, end to end, on a small arena of our own: a ship
// flown into a wall, two ships fighting, and a round won on frags.
#include "tests/support/ChildProcess.h"
#include "tests/support/MapFile.h"
#include "tests/support/Ports.h"
#include "tests/support/ProbeOutput.h"
#include "tests/support/ServerUnderTest.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

using namespace std::chrono_literals;
using namespace testing_support;

namespace
{
// A server playing the arena, and probes that join it.
class ArenaServer : private ArenaData, public ServerUnderTest
{
public:
    explicit ArenaServer(const std::string& config = "")
        : ServerUnderTest(Setup().Config(config).Data(folder.Path()).ReadyLine("Loading map... Maps\\Arena"))
    {
    }

    std::unique_ptr<ChildProcess> Probe(std::vector<std::string> args) const
    {
        args.insert(args.begin(), "--join");
        return ServerUnderTest::Probe(args);
    }
};

// The frag count in the last MSG_SHIP_STATE a probe saw for a ship.
int LastFrags(const ChildProcess& probe, ObjectId shipId)
{
    int frags = -1000;
    for (const std::string& hex : ProbeMessages(probe))
        if (MessageType(hex) == "0a" && U32At(hex, 1) == shipId)
            frags = static_cast<int8_t>(U8At(hex, 14));
    return frags;
}
// The frag count in the first MSG_SHIP_STATE of a ship after it first went
// out of play (ships report no state while out of play).
int FragsAfterFirstDeath(const ChildProcess& probe, ObjectId shipId)
{
    bool seenAlive = false, seenDead = false;
    for (const std::string& hex : ProbeMessages(probe))
    {
        bool ours = U32At(hex, 1) == shipId;
        if (ours && MessageType(hex) == "0a" && seenDead)
            return static_cast<int8_t>(U8At(hex, 14));
        seenAlive |= ours && MessageType(hex) == "0a";
        seenDead |= ours && seenAlive && MessageType(hex) == "08";
    }
    return -1000;
}
} // namespace

TEST(Combat, ShipFlownIntoAWallDiesAndLeavesEightFragments)
{
    ArenaServer server;
    ASSERT_TRUE(server.ready);
    auto pilot = server.Probe({"--name", "Pilot", "--keys", "9", "--duration", "6000"});
    EXPECT_TRUE(server.process->WaitForLine("Console: Pilot tried to land.  It didn't go so well...", 10s));
    EXPECT_EQ(Finish(*pilot), 0);
    ObjectId shipId = JoinedShipId(*pilot);
    std::set<ObjectId> fragments;
    bool died = false;
    for (const std::string& hex : ProbeMessages(*pilot))
    {
        died |= MessageType(hex) == "08" && U32At(hex, 1) == shipId;
        if (died && MessageType(hex) == "0b" && U32At(hex, 5) == 8)
            fragments.insert(U32At(hex, 1));
    }
    EXPECT_TRUE(died) << "MSG_SHIP_DIED for the pilot";
    EXPECT_EQ(fragments.size(), 8u) << "eight shrapnel objects after the death";
    EXPECT_EQ(FragsAfterFirstDeath(*pilot, shipId), -1) << "a landing costs a frag";
}

TEST(Combat, TwoShipsFightAndTheRoundEndsAtTheFragLimit)
{
    // No shrapnel: a fragment of the target could otherwise hit the shooter.
    ArenaServer server("DefaultFragLimit 2\nServerEOR 60000\nShrapnelCount 0\n");
    ASSERT_TRUE(server.ready);
    auto target = server.Probe({"--name", "Target", "--duration", "15000"});
    ASSERT_TRUE(server.process->WaitForLine("Console: Target has joined the game.", 10s));
    std::this_thread::sleep_for(300ms); // the target takes the lower spawn point first
    auto shooter = server.Probe({"--name", "Shooter", "--keys", "11", "--duration", "15000"});
    EXPECT_TRUE(server.process->WaitForLine("Console: Target was killed by Shooter", 10s));
    EXPECT_TRUE(server.process->WaitForLine("Console: Frag Limit Hit!", 20s));
    EXPECT_EQ(Finish(*target), 0);
    EXPECT_EQ(Finish(*shooter), 0);
    ObjectId shooterId = JoinedShipId(*shooter), targetId = JoinedShipId(*target);
    EXPECT_EQ(LastFrags(*target, shooterId), 2) << "the shooter's frags, as every client sees them";
    EXPECT_EQ(FragsAfterFirstDeath(*shooter, targetId), -1) << "the target's frags once it came back";
    std::vector<std::string> messages = ProbeMessages(*target);
    EXPECT_TRUE(std::any_of(messages.begin(), messages.end(), [](auto& m) { return MessageType(m) == "04"; }))
        << "MSG_ROUND_OVER at the frag limit";
}
