// The server thread's loop: the console it broadcasts, the time each pass
// measures, the end-of-round pause counted in passes, and stopping.
#include "server/ServerLoop.h"

#include "common/MessageLog.h"
#include "game/Settings.h"
#include "platform/Clock.h"
#include "server/ServerProcess.h"
#include "server/session/Server.h"
#include "tests/support/DefaultGameSettings.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{
// What the first pass broadcasts with no maps to play.
const char* const kSetUpLines = "Console: New round initalized and ready to go.\n"
                                "Console: Added 0 turrets.\n"
                                "Console: Loading map... \n"
                                "Console: Initializing new round...\n"
                                "Console: starting up server\n";

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
};
} // namespace

TEST_F(ServerLoopTest, EachPassBroadcastsTheNewestFiveLinesNewestFirst)
{
    CServerLoop loop(server::ServerOptions{"Arena", 3001}, out);
    loop.SetUp();
    EXPECT_EQ(CServer::Get().GetName(), "Arena");
    EXPECT_EQ(CServer::Get().GetPort(), 3001u);
    EXPECT_TRUE(server::IsRunningFlagSet());
    EXPECT_TRUE(loop.RunPass());
    EXPECT_EQ(Output(), kSetUpLines) << "the round's set-up, then the start";
    for (int i = 1; i <= 6; ++i)
        CMessageLog::GetServerLog().Print("line %d", i);
    loop.RunPass();
    EXPECT_EQ(Output(),
              std::string(kSetUpLines) +
                  "Console: line 6\nConsole: line 5\nConsole: line 4\nConsole: line 3\nConsole: line 2\n");
    EXPECT_EQ(CMessageLog::GetServerLog().GetLineCount(), 0);
    loop.ShutDown();
}

TEST_F(ServerLoopTest, ElapsedIsMeasuredAcrossThePreviousPass)
{
    g_settings.ServerYield = 7;
    CServerLoop loop(server::ServerOptions{"x", 3001}, out);
    loop.SetUp();
    loop.RunPass();
    EXPECT_EQ(loop.GetElapsed(), 0u) << "the sleep comes after the measurement";
    clock.Advance(13);
    loop.RunPass();
    EXPECT_EQ(loop.GetElapsed(), 7u + 13u);
    loop.ShutDown();
}

TEST_F(ServerLoopTest, StopEventEndsRunAndStopBeforeStartIsKept)
{
    CServerLoop loop(server::ServerOptions{"x", 3001}, out);
    EXPECT_TRUE(server::OnConsoleControl(0));
    loop.SetUp();
    EXPECT_FALSE(server::IsRunningFlagSet()) << "a stop that arrived during set-up is not forgotten";
    loop.Run();
    loop.ShutDown();
    EXPECT_FALSE(CServer::Exists());
}

TEST_F(ServerLoopTest, ConsoleControlHandlesOnlyStopEvents)
{
    for (uint32_t event : {0u, 1u, 2u, 5u, 6u})
    {
        server::ResetStopRequest();
        server::SetRunningFlag();
        EXPECT_TRUE(server::OnConsoleControl(event)) << event;
        EXPECT_FALSE(server::IsRunningFlagSet()) << event;
    }
    for (uint32_t event : {3u, 4u, 7u, 100u})
    {
        server::ResetStopRequest();
        server::SetRunningFlag();
        EXPECT_FALSE(server::OnConsoleControl(event)) << event;
        EXPECT_TRUE(server::IsRunningFlagSet()) << event;
    }
}

TEST_F(ServerLoopTest, EndOfRoundPauseIsMeasuredInWholePasses)
{
    g_settings.ServerYield = 0;
    g_settings.ServerEOR = 12000;
    CServerLoop loop(server::ServerOptions{"x", 3001}, out);
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
