// The server thread's loop (the console it broadcasts, each pass's time, the
// end-of-round pause counted in passes, stopping) and its "Stats:" figures.
#include "server/ServerLoop.h"

#include "common/MessageLog.h"
#include "game/Settings.h"
#include "platform/Clock.h"
#include "server/ServerProcess.h"
#include "server/ServerStats.h"
#include "server/session/Server.h"
#include "tests/support/DefaultGameSettings.h"
#include "tests/support/Ports.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <tuple>

namespace
{
class ServerLoopTest : public ::testing::Test
{
protected:
    ServerLoopTest() { server::ResetStopRequest(); }
    ~ServerLoopTest() override
    {
        std::fclose(out);
        std::free(buffer);
        server::ResetStopRequest();
    }
    std::string Output()
    {
        std::fflush(out);
        return std::string(buffer, size);
    }
    testing_support::DefaultGameSettings settings;
    testing_support::TempDir noData;
    // No maps: the round's set-up is predictable.
    testing_support::ScopedEnv dataFolder{"QUORVEX_DATA", noData.Path().c_str()};
    platform::FakeClock clock{5000};
    char* buffer = nullptr;
    size_t size = 0;
    std::FILE* out = open_memstream(&buffer, &size);
    uint16_t port = testing_support::FreeUdpPort();
};
} // namespace

TEST_F(ServerLoopTest, EachPassBroadcastsTheNewestFiveLinesNewestFirst)
{
    CServerLoop loop(server::ServerOptions{"Arena", port}, out);
    loop.SetUp();
    EXPECT_EQ(std::tuple(CServer::Get().GetName(), CServer::Get().GetPort()), std::tuple("Arena", port));
    EXPECT_TRUE(server::IsRunningFlagSet());
    EXPECT_TRUE(loop.RunPass());
    std::string setUp = Output();
    EXPECT_TRUE(setUp.starts_with("Console: New round initalized") && setUp.ends_with("starting up server\n"))
        << setUp << ": the round's set-up, then the start";
    for (int i = 1; i <= 6; ++i)
        CMessageLog::GetServerLog().Print("line %d", i);
    loop.RunPass();
    EXPECT_EQ(Output(),
              setUp +
                  "Console: line 6\nConsole: line 5\nConsole: line 4\nConsole: line 3\nConsole: line 2\n");
    EXPECT_EQ(CMessageLog::GetServerLog().GetLineCount(), 0);
    loop.ShutDown();
}

TEST_F(ServerLoopTest, ElapsedIsMeasuredAcrossThePreviousPass)
{
    g_settings.ServerYield = 7;
    server::ServerOptions options{"x", port};
    options.bots = 1; // someone to serve: the loop yields instead of waiting on its socket
    CServerLoop loop(options, out);
    loop.SetUp();
    loop.RunPass();
    EXPECT_EQ(loop.GetElapsed(), 0u) << "the sleep comes after the measurement";
    clock.Advance(13);
    loop.RunPass();
    EXPECT_EQ(loop.GetElapsed(), 7u + 13u);
    loop.ShutDown();
}

TEST_F(ServerLoopTest, OnlyStopEventsStopTheLoopAndAStopBeforeStartIsKept)
{
    for (uint32_t event = 0; event <= 100; ++event)
    {
        bool stops = event <= 2 || event == 5 || event == 6; // Ctrl+C, Break, Close, Logoff, Shutdown
        server::ResetStopRequest();
        server::SetRunningFlag();
        EXPECT_EQ(server::OnConsoleControl(event), stops) << event;
        EXPECT_EQ(server::IsRunningFlagSet(), !stops) << event;
    }
    server::ResetStopRequest();
    CServerLoop loop(server::ServerOptions{"x", port}, out);
    EXPECT_TRUE(server::OnConsoleControl(0));
    loop.SetUp();
    EXPECT_FALSE(server::IsRunningFlagSet()) << "a stop that arrived during set-up is not forgotten";
    loop.Run();
    loop.ShutDown();
    EXPECT_FALSE(CServer::Exists());
}

TEST_F(ServerLoopTest, EndOfRoundPauseIsMeasuredInWholePasses)
{
    g_settings.ServerYield = 0;
    g_settings.ServerEOR = 12000;
    CServerLoop loop(server::ServerOptions{"x", port}, out);
    loop.SetUp();
    loop.RunPass();
    CServer::Get().EndRound();
    loop.RunPass(); // finds the round over: the pause starts at this pass's "now"
    clock.Advance(12000);
    loop.RunPass(); // still measures with the "now" taken before the advance
    loop.RunPass(); // exactly 12000 ms: not yet
    EXPECT_TRUE(CServer::Get().IsRoundOver());
    clock.Advance(1);
    loop.RunPass();
    loop.RunPass();
    EXPECT_FALSE(CServer::Get().IsRoundOver()) << "more than 12000 ms: the next round";
    loop.ShutDown();
}

TEST(ServerStats, PercentilesAreNearestRankInTenMicrosecondStepsAndTheLongestBeyondTheBins)
{
    CServerStats stats;
    EXPECT_EQ(stats.PercentileMs(0.5), 0) << "no passes yet";
    for (uint32_t micros = 100; micros >= 1; --micros)
        stats.AddPass(micros * 10 + 9); // 10 us to 1 ms, out of order, each at the end of its step
    for (auto [fraction, ms] : {std::pair{0.5, 0.50}, {0.99, 0.99}, {1.0, 1.00}, {0.0, 0.01}})
        EXPECT_DOUBLE_EQ(stats.PercentileMs(fraction), ms) << fraction;
    CServerStats slow;
    for (int i = 0; i < 98; ++i)
        slow.AddPass(200);
    slow.AddPass(250000);
    slow.AddPass(400000);
    EXPECT_DOUBLE_EQ(slow.PercentileMs(0.99), 400.0);
}

TEST(ServerStats, LineGivesRatesPerSecondAndPerClientThenStartsAgain)
{
    CServerStats stats;
    for (int i = 0; i < 1748; ++i)
        stats.AddPass(i % 100 == 0 ? 800 : 210);
    CServerStats::Sends sends;
    sends.datagrams = 4 * 2 * 874;     // four clients over two seconds
    sends.bytes = 4 * 2 * 712400 + 16; // the remainder is below a tenth of a kB
    sends.clients = 4;
    sends.largestBatch = 1268;
    EXPECT_EQ(stats.TakeLine(2000, sends),
              "Stats: 874 passes/s, tick p50 0.21 ms p99 0.80 ms, 4 players, per "
              "client 874 datagrams/s 712.4 kB/s, largest batch 1268 B");
    EXPECT_EQ(stats.GetPasses(), 0u);
    EXPECT_EQ(
        stats.TakeLine(0, CServerStats::Sends{}),
        "Stats: 0 passes/s, tick p50 0.00 ms p99 0.00 ms, 0 players, per client 0 datagrams/s 0.0 kB/s, "
        "largest batch 0 B")
        << "an empty period of no length and no clients divides by nothing";
}
