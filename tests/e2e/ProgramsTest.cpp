// The server and the probe as programs a user starts: what ends them at once
// and with which status, signals (SIGUSR1's stats line, the stop signals),
// the game port, and a server with nothing to play. Every option's meaning is checked in process
// (tests/server/CommandLineTest.cpp); here only the real exits.
#include "tests/support/MapFile.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/ServerUnderTest.h"

#include <gtest/gtest.h>

#include <csignal>
#include <poll.h>
#include <regex>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace std::chrono_literals;
using namespace testing_support;

TEST(ServerProgram, HelpVersionAndABadValueEndItWithoutServing)
{
    const struct
    {
        std::vector<std::string> args;
        int status;
        std::string said;
    } cases[] = {
        {{"-help"}, 0, "  -loadcfg FILE "},
        {{"--version"}, 0, "QuorvexServer 1.02"},
        {{"-port", "70000"}, 2, "Invalid port \"70000\""},
    };
    for (const auto& expected : cases)
    {
        ChildProcess server(ProgramPath("QuorvexServer"), expected.args);
        EXPECT_EQ(Finish(server), expected.status) << expected.args[0];
        std::string said = server.Stderr();
        for (const std::string& line : server.Lines())
            said += line + "\n";
        EXPECT_NE(said.find(expected.said), std::string::npos) << said;
        EXPECT_EQ(said.find("Console: starting up server"), std::string::npos) << said;
    }
}

// SIGUSR1 asks for one "Stats:" line even without -stats, and does not end
// the server; the stop signals do.
TEST(ServerProgram, UsrOneReportsAndEachStopSignalEndsItCleanlyAndItsClientsAtOnce)
{
    const std::regex stats(
        "Stats: \\d+ passes/s, tick p50 \\d+\\.\\d\\d ms p99 \\d+\\.\\d\\d ms, (\\d+) players, "
        "per client \\d+ datagrams/s \\d+\\.\\d kB/s, largest batch \\d+ B");
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
    {
        ServerUnderTest server;
        ASSERT_TRUE(server.ready);
        auto probe = server.Probe({"--duration", "30000"});
        ASSERT_TRUE(probe->WaitForLine("CONNECTED", 10s)) << signal;
        server.process->Signal(SIGUSR1);
        std::optional<std::string> line = server.process->WaitForLine("Stats: ", 10s);
        std::smatch match;
        ASSERT_TRUE(line && std::regex_match(*line, match, stats)) << line.value_or("no Stats line");
        EXPECT_EQ(match[1], "1") << "the probe; the host's own player is not counted";
        server.process->Signal(signal);
        EXPECT_EQ(Finish(*server.process, 5s), 0) << "signal " << signal;
        EXPECT_EQ(Finish(*probe, 3s), 4) << "told at once, not after a time-out; signal " << signal;
    }
}

namespace
{
// The socket systemd gives a notify service: one datagram per notification.
class NotifySocket
{
public:
    explicit NotifySocket(const std::string& path) : m_fd(socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0))
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        bound = m_fd >= 0 && bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~NotifySocket() { close(m_fd); }

    // Reads notifications until one starts with `prefix`; empty when none came in time.
    std::string WaitFor(const std::string& prefix)
    {
        pollfd waiting{m_fd, POLLIN, 0};
        char text[512];
        while (poll(&waiting, 1, 10000) == 1)
        {
            ssize_t size = recv(m_fd, text, sizeof text, 0);
            std::string notification(text, static_cast<size_t>(std::max<ssize_t>(size, 0)));
            seen += notification + "\n";
            if (notification.starts_with(prefix))
                return notification;
        }
        return "";
    }

    bool bound = false;
    std::string seen;

private:
    int m_fd;
};
} // namespace

// As a systemd notify service: ready once the first round runs, a status
// line that follows the players, watchdog pings while the loop turns, and
// word of the stop.
TEST(ServerProgram, TellsItsServiceManagerWhenItIsReadyWhoPlaysAndThatItRuns)
{
    TempDir socketDir;
    NotifySocket notifications(socketDir.File("notify"));
    ASSERT_TRUE(notifications.bound);
    ScopedEnv notifySocket("NOTIFY_SOCKET", socketDir.File("notify").c_str());
    ScopedEnv watchdog("WATCHDOG_USEC", "2000000");
    ServerUnderTest server(ServerUnderTest::Setup().ShippedMaps());
    ASSERT_TRUE(server.ready);
    EXPECT_EQ(notifications.WaitFor(""), "READY=1") << "before anything else";
    EXPECT_TRUE(std::regex_match(notifications.WaitFor("STATUS="),
                                 std::regex("STATUS=[A-Za-z]+, 0 of 4 players, 0 bots")))
        << notifications.seen;
    auto probe = server.Probe({"--duration", "30000"});
    ASSERT_TRUE(probe->WaitForLine("CONNECTED", 10s));
    EXPECT_TRUE(std::regex_match(notifications.WaitFor("STATUS="),
                                 std::regex("STATUS=[A-Za-z]+, 1 of 4 players, 0 bots")))
        << notifications.seen;
    EXPECT_EQ(notifications.WaitFor("WATCHDOG"), "WATCHDOG=1") << notifications.seen;
    EXPECT_EQ(notifications.WaitFor("WATCHDOG"), "WATCHDOG=1") << "again, from the loop";
    server.process->Signal(SIGTERM);
    EXPECT_EQ(notifications.WaitFor("STOPPING"), "STOPPING=1");
    EXPECT_EQ(Finish(*server.process), 0);
}

// Port 3001 may be taken on this machine (by another test run, say): then
// this server is the one refused.
TEST(ServerProgram, WithoutOptionsItHostsOnTheGamePortWhereASecondOneIsRefused)
{
    const std::string refused =
        "Console: Unable to host the session on UDP port 3001; is another server using it?";
    ChildProcess first(ProgramPath("QuorvexServer"), {});
    ASSERT_TRUE(first.WaitForLine("Console: starting up server", 10s));
    if (first.WaitForLine(refused, 300ms))
    {
        EXPECT_EQ(Finish(first), 1);
        GTEST_SKIP() << "UDP port 3001 is in use on this machine";
    }
    ChildProcess probe(ProgramPath("QuorvexProbe"), {"--enum", "--host", "127.0.0.1"});
    EXPECT_EQ(Finish(probe), 0);
    std::vector<std::string> found = LinesStartingWith(probe, "SERVER");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_TRUE(std::regex_match(
        found[0],
        std::regex("SERVER\tQuorvex Server\t4\t0\t[^?\t]+\t0\t[0-9.]+\t[0-9]+\t127\\.0\\.0\\.1:3001")))
        << found[0];
    ChildProcess second(ProgramPath("QuorvexServer"), {"-port", "3001"});
    EXPECT_EQ(Finish(second), 1);
    EXPECT_EQ(CountLines(second, refused), 1u);
    first.Signal(SIGINT);
    EXPECT_EQ(Finish(first), 0);
}

TEST(ServerProgram, WithNoMapThatLoadsItSaysWhereItLookedAndStops)
{
    TempDir data;
    data.Write("Maps/Caves.smp", MapFile({"7..", "..."}, "Caves").Bytes(MapFile::Ending::Truncated));
    ServerUnderTest server(ServerUnderTest::Setup().Data(data.Path()).ReadyLine("could not be loaded"));
    EXPECT_TRUE(server.ready);
    EXPECT_EQ(Finish(*server.process), 1);
    EXPECT_TRUE(server.Says("No map in \"" + data.File("Maps") +
                            "\" could be loaded. Put a good map file (.smp) there"));
}

// The probe's own rules for its values; its general option reading is
// checked in process.
TEST(ProbeProgram, ValuesItCannotUseEndItWithAHint)
{
    const std::vector<std::vector<std::string>> cases = {{"--send", "00", "--send-every", "0"},
                                                         {"--send", "00", "--send-every", "often"},
                                                         {"--send-every", "10"},
                                                         {"--bind", "127.0.0.256"},
                                                         {"--bind", "127.0.0.5", "--world"},
                                                         {"--master", "127.0.0.1:0"},
                                                         {"--master", ":27950"}};
    for (const auto& args : cases)
    {
        ChildProcess probe(ProgramPath("QuorvexProbe"), args);
        EXPECT_EQ(Finish(probe), 1) << args[0] << " " << args[1];
        EXPECT_NE(probe.Stderr().find("Try --help"), std::string::npos) << probe.Stderr();
    }
}
