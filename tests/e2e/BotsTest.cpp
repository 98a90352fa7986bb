// The server's -bots option end to end: computer pilots fill the empty slots,
// make room for people and come back when they leave, and fight on their own.
#include "tests/support/ChildProcess.h"
#include "tests/support/ProbeOutput.h"
#include "tests/support/ServerUnderTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace std::chrono_literals;
using namespace testing_support;

namespace
{
const std::string kBotJoined = "[bot] has joined the game.";
const std::string kBotLeft = "[bot] has left the game";

ServerUnderTest::Setup WithBots(const std::string& count)
{
    return ServerUnderTest::Setup().Args({"-bots", count}).Data(ShippedData());
}

// Waits for the next server line holding `text` after those already seen.
bool NextLine(ServerUnderTest& server, const std::string& text, std::chrono::seconds timeout = 30s)
{
    return server.process->WaitForLineAfter(server.process->Lines().size(), text, timeout).has_value();
}

// The ship ids of the bots a probe was told of, by MSG_SHIP_INFO.
std::set<ObjectId> BotShips(const std::vector<std::string>& messages)
{
    std::set<ObjectId> bots;
    for (const std::string& hex : messages)
    {
        std::string name = MessageType(hex) == "05" ? TextAt(hex, 17) : "";
        if (name.size() > 6 && name.compare(name.size() - 6, 6, " [bot]") == 0)
            bots.insert(U32At(hex, 1));
    }
    return bots;
}
} // namespace

TEST(Bots, FillTheSlotsMakeRoomForPeopleAndComeBack)
{
    ServerUnderTest server(WithBots("3"));
    ASSERT_TRUE(server.ready);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(NextLine(server, kBotJoined)) << "bot " << i;
    auto first = server.Probe({"--join", "--name", "First", "--duration", "25000"});
    ASSERT_TRUE(NextLine(server, "Console: First has joined the game."));
    EXPECT_TRUE(NextLine(server, kBotLeft)) << "one ship too many: a bot makes room";
    auto second = server.Probe({"--join", "--name", "Second", "--duration", "2500"});
    ASSERT_TRUE(NextLine(server, "Console: Second has joined the game."));
    EXPECT_TRUE(NextLine(server, kBotLeft)) << "another person, another bot leaves";
    EXPECT_TRUE(NextLine(server, "Console: Second has left the game"));
    EXPECT_TRUE(NextLine(server, kBotJoined)) << "a bot takes the empty slot again";
    EXPECT_EQ(Finish(*second), 0);
    EXPECT_EQ(Finish(*first, 60s), 0);

    std::vector<std::string> messages = ProbeMessages(*first);
    auto firstLeft =
        std::find_if(messages.begin(), messages.end(), [](auto& m) { return MessageType(m) == "06"; });
    std::set<ObjectId> atJoin = BotShips({messages.begin(), firstLeft});
    EXPECT_EQ(atJoin.size(), 3u) << "the first probe is welcomed by three bots";
    std::set<ObjectId> bots = BotShips(messages);
    int botsLeft = 0;
    for (const std::string& hex : messages)
        botsLeft += MessageType(hex) == "06" && bots.count(U32At(hex, 1));
    EXPECT_GE(botsLeft, 2) << "MSG_PLAYER_LEFT names a bot each time one makes room";
    EXPECT_EQ(bots.size(), 4u) << "three bots, and the one that came back";
}

TEST(Bots, FourBotsFightOnTheirOwn)
{
    ServerUnderTest server(WithBots("4"));
    ASSERT_TRUE(server.ready);
    auto deadline = std::chrono::steady_clock::now() + 120s;
    bool killed = false;
    while (!killed && std::chrono::steady_clock::now() < deadline)
    {
        std::optional<std::string> line = server.process->ReadLine(1s);
        killed = line && line->find("[bot] was killed by ") != std::string::npos;
    }
    EXPECT_TRUE(killed) << "a bot killed by another within two minutes";
}

TEST(Bots, ACountOutOfRangeIsAUsageErrorAndTheHelpNamesTheOption)
{
    for (const char* value : {"17", "-1", "three"})
    {
        ChildProcess server(ProgramPath("QuorvexServer"), {"-BOTS", value});
        EXPECT_EQ(Finish(server), 2) << value;
        EXPECT_NE(server.Stderr().find("Invalid bot count \"" + std::string(value) +
                                       "\": give a number of ships from 0 to 16"),
                  std::string::npos)
            << server.Stderr();
    }
    ChildProcess help(ProgramPath("QuorvexServer"), {"-help"});
    EXPECT_EQ(Finish(help), 0);
    EXPECT_TRUE(help.WaitForLine("  -bots N ", 1s));
}
