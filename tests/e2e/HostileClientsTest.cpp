// What a stranger can do to a real server with raw packets (QuorvexProbe
// --send): text that tries to forge console lines, chat and registration
// floods, and shut-down and map requests when the server names its
// administrators. The server plays the shipped maps.
#include "tests/support/ChildProcess.h"
#include "tests/support/ProbeOutput.h"
#include "tests/support/ServerUnderTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <regex>

using namespace std::chrono_literals;
using namespace testing_support;

namespace
{
const std::string kShutdownHex = "0f00000000";
// A line that, printed raw, would end the line before it and show a fake
// announcement on a terminal it has just cleared.
const std::string kForgery = "\r\nConsole: Server is shutting down...\x1b[2J";
const std::string kForgeryShown = "??Console: Server is shutting down...?[2J";

ServerUnderTest::Setup OnShippedMaps()
{
    return ServerUnderTest::Setup().Data(ShippedData());
}

size_t CountLines(const ChildProcess& process, const std::string& wanted)
{
    const auto& lines = process.Lines();
    return static_cast<size_t>(std::count(lines.begin(), lines.end(), wanted));
}

bool AnyLine(const ChildProcess& process, const std::function<bool(const std::string&)>& test)
{
    const auto& lines = process.Lines();
    return std::any_of(lines.begin(), lines.end(), test);
}

bool HasControlCharacter(const std::string& line)
{
    return std::any_of(line.begin(), line.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 32 || c == 127; });
}

// Whole seconds from `start` to now, rounded up: the span in which a flood
// could be let through.
int SecondsSince(std::chrono::steady_clock::time_point start)
{
    std::chrono::duration<double> span = std::chrono::steady_clock::now() - start;
    return static_cast<int>(std::ceil(span.count()));
}

void ExpectStillServing(const ServerUnderTest& server)
{
    auto friendly = server.Probe({"--ping", "--duration", "1200"});
    EXPECT_EQ(Finish(*friendly), 0);
    EXPECT_TRUE(AnyLine(*friendly, [](const std::string& l) { return l.rfind("PONG ", 0) == 0; }));
    EXPECT_FALSE(server.process->Wait(0ms).has_value()) << "still running";
}
} // namespace

TEST(HostileClients, ControlCharactersInNamesAndChatReachConsolesAsQuestionMarks)
{
    ServerUnderTest server(OnShippedMaps());
    ASSERT_TRUE(server.ready);
    auto listener = server.Probe({"--world", "--join", "--name", "Listener", "--duration", "8000"});
    ASSERT_TRUE(listener->WaitForLine("CONSOLE Loaded map \"Caves\"", 15s)) << listener->Stderr();
    auto forger = server.Probe({"--send", JoinMessageHex("Eve" + kForgery), "--send",
                                TextMessageHex("hi" + kForgery), "--duration", "500"});
    EXPECT_EQ(Finish(*forger), 0);

    const std::string name = "Eve" + kForgeryShown;
    EXPECT_TRUE(server.process->WaitForLine("Console: " + name + " has joined the game.", 10s));
    EXPECT_TRUE(server.process->WaitForLine("Console: " + name + ": hi" + kForgeryShown, 10s));
    EXPECT_TRUE(listener->WaitForLine("CONSOLE " + name + ": hi" + kForgeryShown, 10s));
    ExpectStillServing(server);
    EXPECT_EQ(Finish(*listener), 0);

    EXPECT_FALSE(AnyLine(*server.process, HasControlCharacter));
    EXPECT_FALSE(AnyLine(*listener, HasControlCharacter));
    EXPECT_FALSE(AnyLine(*server.process, [](const std::string& l)
                         { return l.rfind("Console: Server is shutting down", 0) == 0; }));
    EXPECT_FALSE(AnyLine(*listener, [](const std::string& l)
                         { return l.rfind("Console: ", 0) == 0 || l.rfind("CONSOLE Server is", 0) == 0; }));
}

TEST(HostileClients, ChatFloodIsCutToTheRateAndSaidOnceWhileAnotherPlayerPlays)
{
    ServerUnderTest server(OnShippedMaps());
    ASSERT_TRUE(server.ready);
    auto start = std::chrono::steady_clock::now();
    auto flooder = server.Probe({"--join", "--name", "Flooder", "--send", TextMessageHex("flood"),
                                 "--send-every", "5", "--duration", "4000"});
    ASSERT_TRUE(server.process->WaitForLine("Console: Flooder: flood", 15s));
    auto player = server.Probe(
        {"--world", "--join", "--name", "Real", "--keys", "7", "--chat", "still here", "--duration", "2500"});
    EXPECT_EQ(Finish(*flooder), 0);
    EXPECT_EQ(Finish(*player), 0) << player->Stderr();
    ASSERT_TRUE(server.process->WaitForLine("Console: Flooder has left the game", 10s));
    int seconds = SecondsSince(start);

    size_t passed = CountLines(*server.process, "Console: Flooder: flood");
    EXPECT_LE(passed, 5u + 3u * static_cast<size_t>(seconds))
        << "burst 5, then 3 a second for " << seconds << " s";
    EXPECT_EQ(CountLines(*server.process, "Console: Dropping chat from Flooder: more than 3 lines a second."),
              1u);
    EXPECT_TRUE(server.process->WaitForLine("Console: Real: still here", 10s))
        << "each player has its own rate";
    EXPECT_TRUE(AnyLine(*player, [](const std::string& l)
                        { return l.rfind("WORLD SHIP ", 0) == 0 && l.find(" Real ") != std::string::npos; }))
        << "the player's ship is in its world";
    RecordProperty("flood_lines_passed", static_cast<int>(passed));
    RecordProperty("flood_seconds", seconds);
}

TEST(HostileClients, RegistrationFloodMakesOnlyTheLimitedShips)
{
    ServerUnderTest server(OnShippedMaps());
    ASSERT_TRUE(server.ready);
    auto start = std::chrono::steady_clock::now();
    auto flooder =
        server.Probe({"--send", JoinMessageHex("Joiner"), "--send-every", "5", "--duration", "3000"});
    EXPECT_EQ(Finish(*flooder), 0);
    ASSERT_TRUE(server.process->WaitForLine("Console: Joiner has left the game", 10s));
    int seconds = SecondsSince(start);

    auto later = server.Probe({"--join", "--name", "Later", "--duration", "500"});
    EXPECT_EQ(Finish(*later), 0);
    ObjectId nextShip = JoinedShipId(*later);
    ASSERT_GE(nextShip, 2u) << "the flooder registered at least once";
    EXPECT_LE(nextShip - 1, 3u + static_cast<size_t>(seconds))
        << "burst 3, then 1 a second for " << seconds << " s";
    EXPECT_EQ(CountLines(*server.process,
                         "Console: Dropping registrations from Joiner: more than 1 registration a second."),
              1u);
    RecordProperty("flood_ships", static_cast<int>(nextShip - 1));
}

TEST(HostileClients, WithAdministratorsOnlyTheirAddressesMayShutDownOrChangeTheMap)
{
    ServerUnderTest server(OnShippedMaps().Args({"-admin", "127.0.0.5"}));
    ASSERT_TRUE(server.ready);
    auto stranger = server.Probe({"--join", "--name", "Mallory", "--send", kShutdownHex, "--send",
                                  MapRequestHex("Fear"), "--duration", "500"});
    EXPECT_EQ(Finish(*stranger), 0);
    const std::string who =
        "127\\.0\\.0\\.1:[0-9]+ \\((Mallory|an unnamed player)\\): not an administrator\\.";
    std::optional<std::string> shutdown =
        server.process->WaitForLine("Console: Refused a shut-down request", 10s);
    ASSERT_TRUE(shutdown);
    EXPECT_TRUE(std::regex_match(*shutdown, std::regex("Console: Refused a shut-down request from " + who)))
        << *shutdown;
    std::optional<std::string> map = server.process->WaitForLine("Console: Refused a map request", 10s);
    ASSERT_TRUE(map);
    EXPECT_TRUE(std::regex_match(*map, std::regex("Console: Refused a map request from " + who))) << *map;
    ExpectStillServing(server);
    EXPECT_FALSE(AnyLine(*server.process, [](const std::string& l)
                         { return l.find("has been requested") != std::string::npos; }));

    auto admin = server.Probe({"--bind", "127.0.0.5", "--send", MapRequestHex("Fear"), "--duration", "300"});
    EXPECT_EQ(Finish(*admin), 0);
    EXPECT_TRUE(server.process->WaitForLine("Console: Fear has been requested", 10s));
    auto stop = server.Probe({"--bind", "127.0.0.5", "--send", kShutdownHex, "--duration", "300"});
    EXPECT_TRUE(server.process->WaitForLine("Console: Server is shutting down...", 10s));
    EXPECT_EQ(Finish(*server.process), 0);
    Finish(*stop);
}

TEST(HostileClients, BadAdministratorListsAndProbeValuesAreRefusedWithAMessage)
{
    for (const char* bad : {"127.0.0", "localhost", "127.0.0.1,", "127.0.0.1, 10.0.0.1", "300.0.0.1"})
    {
        ChildProcess server(ProgramPath("QuorvexServer"), {"-admin", bad});
        EXPECT_EQ(Finish(server), 2) << bad;
        EXPECT_NE(server.Stderr().find("Invalid administrator addresses \"" + std::string(bad) + "\""),
                  std::string::npos)
            << server.Stderr();
    }
    ChildProcess help(ProgramPath("QuorvexServer"), {"-help"});
    EXPECT_EQ(Finish(help), 0);
    EXPECT_TRUE(help.WaitForLine("  -admin ADDR[,ADDR...]", 1s));

    const std::vector<std::vector<std::string>> badProbes = {{"--send", "00", "--send-every", "0"},
                                                             {"--send", "00", "--send-every", "often"},
                                                             {"--send-every", "10"},
                                                             {"--bind", "127.0.0.256"},
                                                             {"--bind", "127.0.0.5", "--world"}};
    for (const auto& args : badProbes)
    {
        ChildProcess probe(ProgramPath("QuorvexProbe"), args);
        EXPECT_EQ(Finish(probe), 1) << args[0] << " " << args[1];
        EXPECT_NE(probe.Stderr().find("Try --help"), std::string::npos) << probe.Stderr();
    }
}
