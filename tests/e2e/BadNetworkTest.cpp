// Play over a bad network: four headless clients (QuorvexProbe --bots 4
// --world) reach a real server sending 30 times a second through
// QuorvexImpair, which delays every datagram the server sends by 250 +/- 250
// ms, loses 20 % and duplicates 10 %, for half a minute of play. They join
// before the impairment starts, so the test is about play, not about
// connecting. What the clients send passes untouched: at 20 % loss both ways
// and a second's round trip, the session's own acknowledged pings fail often
// enough for the session to give up on a client now and then.
//
// No client may be dropped, and once the impairment is lifted every client's
// world must agree with the server's within the time the server takes to
// tell again what it does not resend (a lost report heals then), and what
// the relay still held back arrives. The server is stopped
// (SIGSTOP) for a moment, so that what it last sent reaches everyone, and
// every client prints its world at once (SIGUSR1), as does an observer on a
// clean link, whose world stands for the server's. Their worlds are dead
// reckoning from the same last reports, so they agree on the ships and
// frags and place each ship within one ship length (32 units) of the
// other: at the 96 units/s the ships are capped at, only an estimate a third
// of a second late would be further off. A client still behind (a report
// lost, or still held back) shows as a difference.
#include "game/ClientAdvance.h"
#include "tests/support/Ports.h"
#include "tests/support/ProbeOutput.h"
#include "tests/support/ServerUnderTest.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <thread>

using namespace std::chrono_literals;
using namespace testing_support;

namespace
{
constexpr int kClients = 4;
constexpr double kShipLength = 32;
constexpr WorldSize kCaves{64 * 32, 64 * 32};
constexpr auto kRefresh = 1s;     // the server's refresh of what it does not resend
constexpr auto kHeldBack = 500ms; // the impairment's longest delay

// No round ends during the game, and ships fly slowly (see above).
ServerUnderTest::Setup GameSetup()
{
    return ServerUnderTest::Setup()
        .Config("DefaultFragLimit 500\nDefaultTimeLimit 30\nMaxPlayers 8\nBaseMaxSpeed 96\n")
        .Args({"-sendrate", "30"})
        .ShippedMaps();
}

std::unique_ptr<ChildProcess> StartRelay(uint16_t listenPort, uint16_t serverPort,
                                         std::vector<std::string> impairment)
{
    std::vector<std::string> args = {"--listen",   "127.0.0.1:" + std::to_string(listenPort),
                                     "--server",   "127.0.0.1:" + std::to_string(serverPort),
                                     "--duration", "300"};
    args.insert(args.end(), impairment.begin(), impairment.end());
    return std::make_unique<ChildProcess>(ProgramPath("QuorvexImpair"), args);
}

} // namespace

TEST(BadNetwork, FourClientsPlayThroughLossAndDelayAndCatchUpWithinARefreshOnceItLifts)
{
    ServerUnderTest server(GameSetup());
    ASSERT_TRUE(server.ready);
    auto observer = server.Probe({"--bots", "1", "--world", "--name", "Observer", "--duration", "200000"});
    ASSERT_TRUE(server.Says("Observer1 has joined the game.", 30s));
    uint16_t relayPort = FreeUdpPort();
    auto relay =
        StartRelay(relayPort, server.port,
                   {"--delay", "250", "--jitter", "250", "--loss", "20", "--duplicate", "10", "--seed",
                    "2026", "--impair-after", "8", "--impair-for", "30", "--to-clients-only"});
    ASSERT_TRUE(relay->WaitForLine("Relaying", 10s)) << relay->Stderr();
    ChildProcess bots(ProgramPath("QuorvexProbe"),
                      {"--port", std::to_string(relayPort), "--bots", std::to_string(kClients), "--world",
                       "--name", "Bot", "--keys", "9,7,11", "--duration", "200000"});
    for (int i = 1; i <= kClients; ++i)
        ASSERT_TRUE(server.Says("Bot" + std::to_string(i) + " has joined the game.", 30s));

    ASSERT_TRUE(relay->WaitForLine("Impairing: delay 250 ms", 30s));
    ASSERT_TRUE(relay->WaitForLine("Impairment lifted.", 120s));
    std::this_thread::sleep_for(kRefresh + kHeldBack);
    server.process->Signal(SIGSTOP);
    // Every world carries its last reports forward until the carry limit;
    // past it they all stand still, so they agree however far apart the
    // probes print.
    std::this_thread::sleep_for(std::chrono::milliseconds(kMaxReportCarryMs) + 300ms);
    observer->Signal(SIGUSR1);
    bots.Signal(SIGUSR1);
    bool printed =
        observer->WaitForLine("BOT 1 ", 30s) && bots.WaitForLine("BOT " + std::to_string(kClients), 30s);
    server.process->Signal(SIGCONT);
    ASSERT_TRUE(printed);

    server.process->DrainOutput(200ms);
    EXPECT_EQ(CountLines(*server.process, "has left the game"), 0u) << "no client was dropped";
    EXPECT_EQ(server.ShutDown(), kExitHaltedByClient);
    EXPECT_EQ(Finish(*observer), 0);
    EXPECT_EQ(Finish(bots), 0) << bots.Stderr();
    relay->Signal(SIGTERM);
    EXPECT_EQ(Finish(*relay), 0);
    EXPECT_EQ(CountLines(*relay, "Client "), size_t(kClients)) << "one server socket for each client";
    EXPECT_EQ(CountLines(bots, " terminated"), size_t(kClients)) << "every client stayed until the shutdown";
    EXPECT_EQ(CountLines(bots, " messages=0 "), 0u) << "every client counts the messages it received";

    // The first worlds each probe printed are those of the moment the server stood still.
    std::map<ObjectId, ShipReport> truth = BotWorlds(*observer).at(0);
    ASSERT_EQ(truth.size(), size_t(kClients + 1));
    std::vector<std::map<ObjectId, ShipReport>> worlds = BotWorlds(bots);
    ASSERT_GE(worlds.size(), size_t(kClients));
    for (size_t i = 0; i < kClients; ++i)
        EXPECT_EQ(WorldDisagreements(worlds[i], truth, kCaves, kShipLength), std::vector<std::string>{})
            << "Bot" << i + 1;
    if (auto summary = relay->WaitForLine("Done:", 1s))
        std::printf("%s\n", summary->c_str());
}

TEST(BadNetwork, SigusrOneLiftsTheImpairment)
{
    ServerUnderTest server(GameSetup());
    ASSERT_TRUE(server.ready);
    uint16_t relayPort = FreeUdpPort();
    auto relay = StartRelay(relayPort, server.port, {"--loss", "100"});
    ASSERT_TRUE(relay->WaitForLine("Impairing: delay 0 ms, jitter 0 ms, loss 100%", 10s));
    relay->Signal(SIGUSR1);
    ASSERT_TRUE(relay->WaitForLine("Impairment lifted.", 10s));
    ChildProcess probe(ProgramPath("QuorvexProbe"), {"--port", std::to_string(relayPort), "--join", "--name",
                                                     "Late", "--duration", "500"});
    EXPECT_EQ(Finish(probe), 0) << probe.Stderr();
    EXPECT_TRUE(server.Says("Late has joined the game."));
    relay->Signal(SIGTERM);
    EXPECT_EQ(Finish(*relay), 0);
    EXPECT_TRUE(relay->WaitForLine("Done: 1 clients", 1s));
}
