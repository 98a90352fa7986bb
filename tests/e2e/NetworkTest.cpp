// The server on a real network, driven by QuorvexProbe: search by broadcast,
// the player limit, chat and ping after hostile packets, who may shut it
// down, and peers that vanish. (Floods of joins are the session's, tested
// with real sockets in tests/session.)
#include "tests/support/Ports.h"
#include "tests/support/ProbeOutput.h"
#include "tests/support/ServerUnderTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <thread>

using namespace std::chrono_literals;
using namespace testing_support;

TEST(Search, ByBroadcastInsideAPrivateNetwork)
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
    std::vector<std::string> found = LinesStartingWith(shell, "SERVER");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_TRUE(std::regex_match(
        found[0], std::regex("SERVER\tLanArena\t4\t0\t[^?\t]+\t0\t[0-9.]+\t[0-9]+\t10\\.77\\.0\\.[12]:3001")))
        << "the search's answer, then getinfo's: " << found[0];
}

TEST(Network, AFullServerRefusesTheNextClientAtOnce)
{
    ServerUnderTest server(ServerUnderTest::Setup().Config("MaxPlayers 1\n"));
    ASSERT_TRUE(server.ready);
    auto first = server.Probe({"--duration", "30000"});
    ASSERT_TRUE(first->WaitForLine("CONNECTED", 10s));
    auto second = server.Probe({"--duration", "100"});
    EXPECT_EQ(Finish(*second, 3s), 2) << "refused without waiting for a time-out";
    EXPECT_EQ(LinesStartingWith(*second, "REFUSED").size(), 1u);
    server.process->Signal(SIGTERM); // a shut-down request would find no place either
    EXPECT_EQ(Finish(*first), 4);
}

TEST(Network, ChatAndPingsAreServedWhateverMalformedPacketsCameBefore)
{
    ServerUnderTest server;
    ASSERT_TRUE(server.ready);
    auto listener = server.Probe({"--duration", "20000"});
    ASSERT_TRUE(listener->WaitForLine("CONNECTED", 10s));
    std::vector<std::string> hostile;
    for (const char* hex :
         {"00", "ff", "01ffffffff41", "0e0000000000ffffff7f07000000", "02010000000200000010", "0a0000",
          "deadbeefcafebabe0011223344556677", "1000", "0100000000"})
        hostile.insert(hostile.end(), {"--send", hex});
    hostile.insert(hostile.end(), {"--duration", "300"});
    auto attacker = server.Probe(hostile);
    EXPECT_EQ(Finish(*attacker), 0);

    auto talker = server.Probe({"--chat", "hello there", "--ping", "--duration", "1500"});
    EXPECT_EQ(Finish(*talker), 0);
    EXPECT_TRUE(server.Says(": hello there")) << "an unregistered sender has no name";
    EXPECT_TRUE(listener->WaitForLine(TextMessageHex(": hello there"), 10s)) << "relayed to every client";
    std::vector<std::string> pongs = LinesStartingWith(*talker, "PONG ");
    ASSERT_FALSE(pongs.empty());
    for (const std::string& pong : pongs)
        EXPECT_TRUE(std::regex_match(pong, std::regex("PONG [0-9]+\\.[0-9]"))) << pong;
    // The probe matches each pong to the ping whose clock it carries.
    EXPECT_TRUE(LinesStartingWith(*talker, "BADPONG").empty()) << "a pong with a clock no ping carried";
    std::vector<std::string> messages = ProbeMessages(*talker);
    EXPECT_TRUE(std::any_of(messages.begin(), messages.end(),
                            [](const std::string& m) { return MessageType(m) == "11" && m.size() == 10; }))
        << "a 5-byte MSG_PONG";
    EXPECT_EQ(server.ShutDown(), kExitHaltedByClient);
    EXPECT_EQ(Finish(*listener), 4);
}

// QUORVEX_OPTIONS of the shipped server.env, split at spaces.
static std::vector<std::string> PackagedServerOptions()
{
    std::ifstream env(std::string(QUORVEX_SOURCE_DIR) + "/packaging/server.env");
    std::string line;
    while (std::getline(env, line))
        if (line.starts_with("QUORVEX_OPTIONS=\""))
        {
            std::istringstream words(line.substr(17, line.size() - 18));
            return {std::istream_iterator<std::string>(words), std::istream_iterator<std::string>()};
        }
    return {};
}

// With the packaged options only a client on the server's own machine
// (127.0.0.1) is obeyed; a player elsewhere (here 127.0.0.2) is refused. The
// administrator's map request ends the round; the next opens with the map it
// asked for, and no state of the old round's world comes in between. Its halt
// ends the server with the status on which the unit starts it again.
TEST(Network, WithThePackagedOptionsOnlyThisMachineMayHaltTheServerOrChangeItsMap)
{
    // Only its administrators: the round-over order below is the immediate
    // sender's; the send rate is checked in SendRateTest.
    std::vector<std::string> options = PackagedServerOptions();
    auto admin = std::find(options.begin(), options.end(), "-admin");
    ASSERT_TRUE(admin != options.end() && admin + 1 != options.end()) << "server.env names no -admin";
    ServerUnderTest server(
        ServerUnderTest::Setup().ShippedMaps().Args({*admin, admin[1]}).Config("ServerEOR 300\n"));
    ASSERT_TRUE(server.ready);
    auto watcher = server.Probe({"--join", "--name", "Watcher", "--duration", "30000"});
    ASSERT_TRUE(server.Says("Watcher has joined the game."));
    auto stranger = server.Probe({"--bind", "127.0.0.2", "--join", "--name", "Mallory", "--send",
                                  kShutdownHex, "--send", MapRequestHex("Fear"), "--duration", "500"});
    EXPECT_EQ(Finish(*stranger), 0);
    const std::string who =
        " from 127\\.0\\.0\\.2:[0-9]+ \\((Mallory|an unnamed player)\\): not an administrator\\.";
    for (const std::string request : {"shut-down", "map"})
    {
        std::optional<std::string> line =
            server.process->WaitForLine("Refused a " + request + " request", 10s);
        ASSERT_TRUE(line) << request;
        EXPECT_TRUE(std::regex_match(*line, std::regex("Console: Refused a " + request + " request" + who)))
            << *line;
    }
    EXPECT_EQ(CountLines(*server.process, "has been requested"), 0u);

    auto local = server.Probe({"--send", MapRequestHex("Fear"), "--duration", "300"});
    EXPECT_EQ(Finish(*local), 0);
    EXPECT_TRUE(server.Says("Fear has been requested"));
    EXPECT_TRUE(server.Says("Loading map... Maps\\Fear.smp"));
    auto stop = server.Probe({"--send", kShutdownHex, "--duration", "300"});
    EXPECT_TRUE(server.Says("Server is shutting down..."));
    EXPECT_EQ(Finish(*server.process), kExitHaltedByClient);
    EXPECT_EQ(Finish(*watcher, 5s), 4) << "the server ended the watcher's session";
    EXPECT_EQ(CountLines(*watcher, "TERMINATED"), 1u);
    Finish(*stop);

    std::vector<std::string> seen = ProbeMessages(*watcher);
    auto over = std::find_if(seen.begin(), seen.end(), [](auto& m) { return MessageType(m) == "04"; });
    auto map = std::find_if(over, seen.end(), [](auto& m) { return MessageType(m) == "03"; });
    ASSERT_NE(map, seen.end()) << "MSG_ROUND_OVER, then MSG_MAP";
    EXPECT_EQ(TextAt(*map, 1), "Fear");
    for (auto it = over; it != map; ++it)
        EXPECT_TRUE(MessageType(*it) < "0a" || MessageType(*it) > "0c")
            << "a state of the old round: " << *it;
}

// A killed client and a killed server, side by side: each is noticed by the
// other side of its session without a word from it. The client's ship goes
// with it, for everyone, and its id is never given again.
TEST(Network, KilledPeersAreDroppedByTheOtherSideAndTheClientsShipWithIt)
{
    ServerUnderTest keeps(ServerUnderTest::Setup().ShippedMaps()), dies;
    ASSERT_TRUE(keeps.ready && dies.ready);
    auto watcher = keeps.Probe({"--join", "--name", "Watcher", "--duration", "30000"});
    ASSERT_TRUE(keeps.Says("Watcher has joined the game."));
    auto dropped = keeps.Probe({"--join", "--name", "Dropped", "--duration", "30000"});
    auto orphan = dies.Probe({"--duration", "30000"});
    ASSERT_TRUE(keeps.Says("Dropped has joined the game.") && orphan->WaitForLine("CONNECTED", 10s));
    dropped->Signal(SIGKILL);
    dies.process->Signal(SIGKILL);
    EXPECT_TRUE(keeps.Says("Dropped has left the game"));
    EXPECT_EQ(Finish(*orphan, 10s), 4);
    auto again = keeps.Probe({"--join", "--name", "Again", "--duration", "500"});
    EXPECT_EQ(Finish(*again), 0);
    EXPECT_EQ(keeps.ShutDown(), kExitHaltedByClient);
    EXPECT_EQ(Finish(*watcher), 4);
    EXPECT_EQ(JoinedShipId(*again), 3u) << "ids are never reused";

    auto about = [](const std::string& hex, std::initializer_list<std::string> types)
    { return U32At(hex, 1) == 2 && std::find(types.begin(), types.end(), MessageType(hex)) != types.end(); };
    std::vector<std::string> seen = ProbeMessages(*watcher);
    auto left = std::find_if(seen.begin(), seen.end(), [&](auto& hex) { return about(hex, {"06"}); });
    ASSERT_NE(left, seen.end()) << "MSG_PLAYER_LEFT with the killed client's ship id";
    EXPECT_TRUE(std::none_of(left, seen.end(),
                             [&](auto& hex) {
                                 return about(hex, {"0a", "08"});
                             }))
        << "no state or death of its ship after";
}

// A server browser (qstat, with the game type Quorvex ships) asks the game
// port for the server's status: its name, map and players.
TEST(Status, QstatListsNameMapAndPlayers)
{
    ServerUnderTest server(ServerUnderTest::Setup().Arena().Args({"-name", "Status Arena", "-bots", "1"}));
    ASSERT_TRUE(server.ready);
    std::vector<std::string> lines;
    for (int attempt = 0; attempt < 50 && lines.size() < 2; ++attempt)
    {
        ChildProcess qstat("/usr/bin/quakestat",
                           {"-cfg", std::string(QUORVEX_SOURCE_DIR) + "/packaging/qstat.cfg", "-raw", ",",
                            "-P", "-quorvexs", "127.0.0.1:" + std::to_string(server.port)});
        ASSERT_EQ(Finish(qstat), 0) << qstat.Stderr();
        lines = qstat.Lines();
        std::erase(lines, ""); // the blank line after each server
    }
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].starts_with("QUORVEXS,127.0.0.1:" + std::to_string(server.port) +
                                     ",Status Arena,Arena,4,1,"))
        << lines[0];
    EXPECT_TRUE(lines[1].ends_with(" [bot],0,0")) << lines[1];
}

// Two servers of one name on two ports announce themselves to a master on
// loopback; qstat and the probe list both from it, and the one killed without
// a word leaves the list once the master has not heard from it for the
// expiry. (The other leaves soon after: a server's heartbeats are minutes
// apart, which the expiry here is not.)
TEST(Master, ListsAnnouncedServersAndForgetsOneKilledAfterTheExpiry)
{
    const std::string masterPort = std::to_string(FreeUdpPort()), masterAddress = "127.0.0.1:" + masterPort;
    ChildProcess master(ProgramPath("QuorvexMaster"),
                        {"--port", masterPort, "--bind", "127.0.0.1", "--expiry", "8"});
    ASSERT_TRUE(master.WaitForLine("Listening on", 10s));
    auto twin =
        ServerUnderTest::Setup().Arena().Args({"-name", "Twin", "-bots", "1", "-master", masterAddress});
    ServerUnderTest kept(twin), killed(twin);
    ASSERT_TRUE(kept.ready && killed.ready);
    std::vector<std::string> both = {"127.0.0.1:" + std::to_string(kept.port),
                                     "127.0.0.1:" + std::to_string(killed.port)};
    for (const std::string& server : both)
        ASSERT_TRUE(master.WaitForLine("Listed " + server + " (Twin)", 10s));
    auto listed = [&](std::vector<std::string> args, const std::string& prefix)
    {
        args.insert(args.begin(), {"--master", masterAddress});
        ChildProcess probe(ProgramPath("QuorvexProbe"), args);
        EXPECT_EQ(Finish(probe), 0) << probe.Stderr();
        std::vector<std::string> lines = LinesStartingWith(probe, prefix);
        std::sort(lines.begin(), lines.end());
        return lines;
    };
    std::sort(both.begin(), both.end());
    EXPECT_EQ(listed({}, "127.0.0.1:"), both);
    std::vector<std::string> lines = listed({"--enum"}, "SERVER");
    ASSERT_EQ(lines.size(), 2u);
    for (const std::string& line : lines)
        EXPECT_TRUE(std::regex_match(
            line, std::regex("SERVER\tTwin\t4\t0\tArena\t1\t[0-9.]+\t[0-9]+\t127\\.0\\.0\\.1:[0-9]+")))
            << line;

    // qstat takes the list at once and then waits out its master retries;
    // -mi shortens that wait, so the test is shorter, not the list longer.
    ChildProcess qstat("/usr/bin/quakestat",
                       {"-cfg", std::string(QUORVEX_SOURCE_DIR) + "/packaging/qstat.cfg", "-raw", ",", "-mi",
                        "0.5", "-quorvexm", masterAddress});
    ASSERT_EQ(Finish(qstat), 0) << qstat.Stderr();
    for (const std::string& server : both)
        EXPECT_EQ(CountLines(qstat, "QUORVEXS," + server + ",Twin,Arena,4,"), 1u) << server;

    killed.process->Signal(SIGKILL);
    const std::string gone = "127.0.0.1:" + std::to_string(killed.port);
    std::vector<std::string> now = both;
    for (int attempt = 0; attempt < 120 && std::ranges::count(now, gone) > 0; ++attempt)
        std::this_thread::sleep_for(250ms), now = listed({}, "127.0.0.1:");
    EXPECT_EQ(std::ranges::count(now, gone), 0) << "still listed after half a minute";
    EXPECT_TRUE(master.WaitForLine("Dropped " + gone + ": not heard from for 8 s", 10s));
}
