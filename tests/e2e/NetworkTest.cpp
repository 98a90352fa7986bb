// The server on the network, driven by QuorvexProbe: search, the player
// limit, chat, ping, shut-down, peers that vanish, and hostile packets.
#include "tests/support/ChildProcess.h"
#include "tests/support/Ports.h"
#include "tests/support/ProbeOutput.h"
#include "tests/support/ServerUnderTest.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <regex>

using namespace std::chrono_literals;
using testing_support::ChildProcess;
using testing_support::Finish;
using testing_support::ProgramPath;
using testing_support::ServerUnderTest;
using testing_support::TempDir;
using testing_support::TextMessageHex;

namespace
{
std::vector<std::string> LinesStartingWith(const ChildProcess& process, const std::string& prefix)
{
    std::vector<std::string> found;
    for (const std::string& line : process.Lines())
        if (line.rfind(prefix, 0) == 0)
            found.push_back(line);
    return found;
}

} // namespace

TEST(Network, SearchByHostNameListsTheServerOnce)
{
    ServerUnderTest server(ServerUnderTest::Setup().Args({"-name", "Arena"}));
    ASSERT_TRUE(server.ready);
    auto probe = server.Probe({"--enum", "--host", "127.0.0.1"});
    ASSERT_EQ(Finish(*probe), 0);
    EXPECT_EQ(LinesStartingWith(*probe, "SERVER"), std::vector<std::string>{"SERVER\tArena\t4\t0"})
        << "four attempts, one entry";
}

TEST(Network, WithoutOptionsTheServerHostsOnTheGamePort)
{
    ChildProcess server(ProgramPath("QuorvexServer"), {});
    ASSERT_TRUE(server.WaitForLine("Console: starting up server", 10s));
    if (server.WaitForLine("Unable to host", 300ms))
        GTEST_SKIP() << "UDP port 3001 is in use on this machine";
    ChildProcess probe(ProgramPath("QuorvexProbe"), {"--enum", "--host", "127.0.0.1"});
    ASSERT_EQ(Finish(probe), 0);
    EXPECT_EQ(LinesStartingWith(probe, "SERVER"), std::vector<std::string>{"SERVER\tQuorvex Server\t4\t0"});
    server.Signal(SIGINT);
    EXPECT_EQ(Finish(server), 0);
}

TEST(Network, SearchByLoopbackBroadcast)
{
    ServerUnderTest server(ServerUnderTest::Setup().Args({"-name", "Broadcast Arena"}));
    ASSERT_TRUE(server.ready);
    auto probe = server.Probe({"--enum"}, {"QUORVEX_BROADCAST=127.255.255.255"});
    ASSERT_EQ(Finish(*probe), 0);
    EXPECT_EQ(LinesStartingWith(*probe, "SERVER"), std::vector<std::string>{"SERVER\tBroadcast Arena\t4\t0"});
}

TEST(Network, SearchByBroadcastInsideAPrivateNetwork)
{
    // A namespace of its own with a private LAN (a veth pair): the probe
    // broadcasts on every interface it finds there, and nothing leaves it.
    std::string script = "set -e; ip link set lo up; ip link add qvx0 type veth peer name qvx1; "
                         "ip addr add 10.77.0.1/24 brd + dev qvx0; ip addr add 10.77.0.2/24 brd + dev qvx1; "
                         "ip link set qvx0 up; ip link set qvx1 up; "
                         "\"$0\" -name LanArena > /dev/null & server=$!; sleep 0.5; "
                         "set +e; \"$1\" --enum; code=$?; kill $server; wait $server; exit $code";
    ChildProcess shell("/usr/bin/unshare",
                       {"-n", "sh", "-c", script, ProgramPath("QuorvexServer"), ProgramPath("QuorvexProbe")});
    int code = Finish(shell);
    if (code != 0 && shell.Stderr().find("unshare") != std::string::npos)
        GTEST_SKIP() << "cannot create a network namespace here: " << shell.Stderr();
    ASSERT_EQ(code, 0) << shell.Stderr();
    EXPECT_EQ(LinesStartingWith(shell, "SERVER"), std::vector<std::string>{"SERVER\tLanArena\t4\t0"});
}

TEST(Network, SecondClientIsRefusedAtOnceWhenFull)
{
    ServerUnderTest server(ServerUnderTest::Setup().Config("MaxPlayers 1\n"));
    ASSERT_TRUE(server.ready);
    auto first = server.Probe({"--duration", "4000"});
    ASSERT_TRUE(first->WaitForLine("CONNECTED", 10s));
    auto start = std::chrono::steady_clock::now();
    auto second = server.Probe({"--duration", "100"});
    EXPECT_EQ(Finish(*second), 2);
    EXPECT_EQ(LinesStartingWith(*second, "REFUSED").size(), 1u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 4s) << "refused without waiting for a time-out";
    EXPECT_EQ(Finish(*first), 0);
}

TEST(Network, ChatIsLoggedAndRelayedToEveryClient)
{
    ServerUnderTest server;
    ASSERT_TRUE(server.ready);
    auto listener = server.Probe({"--duration", "3000"});
    ASSERT_TRUE(listener->WaitForLine("CONNECTED", 10s));
    auto talker = server.Probe({"--chat", "hello there", "--duration", "300"});
    EXPECT_EQ(Finish(*talker), 0);
    ASSERT_TRUE(server.process->WaitForLine("Console: : hello there", 10s))
        << "an unregistered sender has no name";
    ASSERT_TRUE(listener->WaitForLine(TextMessageHex(": hello there"), 10s));
    EXPECT_EQ(Finish(*listener), 0);
}

TEST(Network, PingIsAnsweredWithTheSameClock)
{
    ServerUnderTest server;
    ASSERT_TRUE(server.ready);
    auto probe = server.Probe({"--ping", "--duration", "1500"});
    ASSERT_EQ(Finish(*probe), 0);
    std::vector<std::string> pongs = LinesStartingWith(*probe, "PONG ");
    ASSERT_GE(pongs.size(), 1u);
    // The probe matches each pong to the ping whose clock it carries.
    EXPECT_TRUE(LinesStartingWith(*probe, "BADPONG").empty()) << "a pong with a clock no ping carried";
    for (const std::string& pong : pongs)
        EXPECT_TRUE(std::regex_match(pong, std::regex("PONG [0-9]+\\.[0-9]"))) << pong;
    std::vector<std::string> messages = LinesStartingWith(*probe, "MSG ");
    bool sawPong = false;
    for (const std::string& line : messages)
        sawPong |= line.substr(line.rfind(' ') + 1, 2) == "11" && line.size() - line.rfind(' ') - 1 == 10;
    EXPECT_TRUE(sawPong) << "a 5-byte MSG_PONG";
}

TEST(Network, ShutdownMessageStopsTheServerAndTerminatesClients)
{
    ServerUnderTest server;
    ASSERT_TRUE(server.ready);
    auto watcher = server.Probe({"--duration", "10000"});
    ASSERT_TRUE(watcher->WaitForLine("CONNECTED", 10s));
    auto admin = server.Probe({"--send", "0f00000000", "--duration", "500"});
    EXPECT_TRUE(server.process->WaitForLine("Console: Server is shutting down...", 10s));
    EXPECT_EQ(Finish(*server.process), 0);
    EXPECT_EQ(Finish(*watcher, 5s), 4);
    EXPECT_TRUE(watcher->WaitForLine("TERMINATED", 1s));
}

TEST(Network, ServerStoppedBySignalTerminatesClientsAtOnce)
{
    ServerUnderTest server;
    ASSERT_TRUE(server.ready);
    auto probe = server.Probe({"--duration", "30000"});
    ASSERT_TRUE(probe->WaitForLine("CONNECTED", 10s));
    server.process->Signal(SIGTERM);
    EXPECT_EQ(Finish(*probe, 3s), 4) << "told at once, not after a time-out";
}

TEST(Network, KilledServerTerminatesClientsWithinTenSeconds)
{
    ServerUnderTest server;
    ASSERT_TRUE(server.ready);
    auto probe = server.Probe({"--duration", "30000"});
    ASSERT_TRUE(probe->WaitForLine("CONNECTED", 10s));
    server.process->Signal(SIGKILL);
    EXPECT_EQ(Finish(*probe, 10s), 4);
}

TEST(Network, KilledClientIsDroppedWithinTenSeconds)
{
    ServerUnderTest server;
    ASSERT_TRUE(server.ready);
    auto probe = server.Probe({"--duration", "30000"});
    ASSERT_TRUE(probe->WaitForLine("CONNECTED", 10s));
    probe->Signal(SIGKILL);
    EXPECT_TRUE(server.process->WaitForLine("Console:  has left the game", 10s));
}

TEST(Network, MalformedPacketsLeaveTheServerServingOthers)
{
    ServerUnderTest server;
    ASSERT_TRUE(server.ready);
    std::vector<std::string> hostile = {
        "--send", "00",                               // empty type
        "--send", "ff",                               // negative type
        "--send", "01ffffffff41",                     // text longer than the packet
        "--send", "0e0000000000ffffff7f07000000",     // keys: a huge count
        "--send", "02010000000200000010",             // join cut short
        "--send", "0a0000",                           // ship state cut short
        "--send", "deadbeefcafebabe0011223344556677", // noise
        "--send", "1000",                             // ping cut short
        "--send", "0100000000",                       // empty chat
    };
    hostile.insert(hostile.end(), {"--duration", "300"});
    auto attacker = server.Probe(hostile);
    EXPECT_EQ(Finish(*attacker), 0);
    auto friendly = server.Probe({"--ping", "--duration", "1200"});
    EXPECT_EQ(Finish(*friendly), 0);
    EXPECT_FALSE(LinesStartingWith(*friendly, "PONG ").empty()) << "still serving";
    EXPECT_FALSE(server.process->Wait(0ms).has_value()) << "still running";
}
