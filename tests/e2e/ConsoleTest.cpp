// The server console through its control socket, driven by QuorvexProbe
// --control and a raw socket: the player list, kicks, bans that outlive the
// server, say, and a socket that serves several clients and refuses
// oversized lines.
#include "tests/support/ServerUnderTest.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace std::chrono_literals;
using namespace testing_support;

namespace
{
ServerUnderTest::Setup WithConsole(const TempDir& state)
{
    return ServerUnderTest::Setup().Arena().Args(
        {"-control", state.File("control"), "-banlist", state.File("bans")});
}

// The answer to one command, and QuorvexProbe's exit status.
std::pair<std::string, int> Command(const TempDir& state, const std::string& line)
{
    ChildProcess tool(ProgramPath("QuorvexProbe"), {"--control", state.File("control"), line});
    int code = Finish(tool);
    std::string answer;
    for (const std::string& text : tool.Lines())
        answer += text + "\n";
    return {answer, code};
}

int ConnectRaw(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return close(fd), -1;
    return fd;
}

std::string ReadAnswer(int fd)
{
    std::string answer;
    char buffer[256];
    while (answer.find("\n\n") == std::string::npos)
    {
        ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        answer.append(buffer, static_cast<size_t>(n));
    }
    return answer;
}
} // namespace

TEST(Console, StatusSayAndKickReachTheProbe)
{
    TempDir state;
    ServerUnderTest server(WithConsole(state));
    ASSERT_TRUE(server.ready);
    auto player = server.Probe({"--world", "--name", "Alice", "--duration", "30000"});
    ASSERT_TRUE(player->WaitForLine("CONSOLE Alice has joined", 10s));
    ASSERT_TRUE(server.process->WaitForLine("Join: player", 10s));
    EXPECT_EQ(LinesStartingWith(*server.process, "Join: player")[0].find("\"Alice\" from 127.0.0.1:"), 15u)
        << "the server's own log keeps the address";

    auto [status, statusCode] = Command(state, "status");
    EXPECT_EQ(statusCode, 0);
    EXPECT_NE(status.find("\"Alice\"  127.0.0.1:"), std::string::npos) << status;

    EXPECT_EQ(Command(state, "say mind the turrets").second, 0);
    EXPECT_TRUE(player->WaitForLine("CONSOLE Host: mind the turrets", 10s));

    EXPECT_EQ(Command(state, "kick alice spawn camping").second, 0);
    EXPECT_TRUE(player->WaitForLine("CONSOLE You were kicked from the server: spawn camping", 10s))
        << "the probe's last line: " << (player->Lines().empty() ? "" : player->Lines().back());
    EXPECT_EQ(Finish(*player), 4) << "the session ended by the server";
    EXPECT_EQ(Command(state, "kick alice").second, 1) << "gone from the player list";
}

TEST(Console, ABanRefusesItsAddressAcrossARestart)
{
    TempDir state;
    {
        ServerUnderTest server(WithConsole(state));
        ASSERT_TRUE(server.ready);
        EXPECT_EQ(Command(state, "ban 127.0.0.5 60 griefing").second, 0);
        EXPECT_EQ(Command(state, "halt").second, 0);
        EXPECT_EQ(Finish(*server.process), 0);
    }
    EXPECT_NE(access(state.File("control").c_str(), F_OK), 0) << "the socket is removed at exit";
    ServerUnderTest server(WithConsole(state));
    ASSERT_TRUE(server.ready);
    auto banned = server.Probe({"--bind", "127.0.0.5", "--duration", "100"});
    EXPECT_EQ(Finish(*banned), 5);
    EXPECT_EQ(LinesStartingWith(*banned, "BANNED").size(), 1u);
    auto other = server.Probe({"--bind", "127.0.0.6", "--duration", "100"});
    EXPECT_EQ(Finish(*other), 0) << "another address still joins";

    EXPECT_EQ(Command(state, "unban 127.0.0.5").second, 0);
    auto forgiven = server.Probe({"--bind", "127.0.0.5", "--duration", "100"});
    EXPECT_EQ(Finish(*forgiven), 0);
}

TEST(Console, TheSocketServesASecondClientAndRefusesOversizedLines)
{
    TempDir state;
    ServerUnderTest server(WithConsole(state));
    ASSERT_TRUE(server.ready);
    int first = ConnectRaw(state.File("control"));
    ASSERT_GE(first, 0);
    auto [maps, code] = Command(state, "maps");
    EXPECT_EQ(code, 0);
    EXPECT_EQ(maps, "Arena\n") << "served while the first client stays connected";

    std::string oversized(600, 'x');
    oversized += "\n";
    ASSERT_EQ(send(first, oversized.data(), oversized.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(oversized.size()));
    EXPECT_EQ(ReadAnswer(first).rfind("error: line too long", 0), 0u);
    close(first);
    auto [bans, bansCode] = Command(state, "bans");
    EXPECT_EQ(bansCode, 0);
    EXPECT_EQ(bans.find("127."), std::string::npos) << "nothing changed: " << bans;
}
