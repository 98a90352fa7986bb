// Floods of connectionless datagrams at a server's game port and at a master,
// from many ports of one address, as someone spoofing that address to turn
// them into amplifiers would send them. Both go on answering others, and the
// flooded address gets no more answers than its budget.
#include "session/MasterWire.h"
#include "session/SessionWire.h"
#include "tests/support/Ports.h"
#include "tests/support/RawDatagrams.h"
#include "tests/support/ServerUnderTest.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <thread>

using namespace std::chrono_literals;
using namespace testing_support;
namespace sm = session::master;

namespace
{
constexpr uint32_t kFlooder = 0x7F000003;
constexpr uint32_t kAsker = 0x7F000002;
constexpr uint32_t kLoopback = 0x7F000001;
constexpr size_t kDatagramsPerSecond = 20000;
constexpr size_t kFloodSeconds = 2;
// Odd, so that each socket sends every kind of the mix in turn.
constexpr size_t kFloodSockets = 31;

// Sockets on one address sending a mix of datagrams, one after another and
// round the sockets, to one port; counts every datagram that comes back.
struct Flood
{
    Flood(uint32_t from, uint16_t toPort, std::vector<std::vector<uint8_t>> datagrams, size_t socketCount)
        : port(toPort), mix(std::move(datagrams))
    {
        for (size_t i = 0; i < socketCount; ++i)
            sockets.push_back(std::make_unique<UdpSocket>(from));
    }
    void SendOne()
    {
        sockets[sent % sockets.size()]->SendTo(kLoopback, port, mix[sent % mix.size()]);
        ++sent;
    }
    void Drain()
    {
        for (auto& socket : sockets)
            while (socket->Receive(0ms))
                ++answers;
    }

    uint16_t port;
    std::vector<std::vector<uint8_t>> mix;
    std::vector<std::unique_ptr<UdpSocket>> sockets;
    size_t sent = 0;
    size_t answers = 0;
};

std::vector<uint8_t> Bytes(std::string_view text)
{
    return {text.begin(), text.end()};
}
} // namespace

TEST(Flood, GamePortAndMasterServeOthersAndAnswerTheFloodWithinItsBudget)
{
    uint16_t masterPort = FreeUdpPort();
    ChildProcess master(ProgramPath("QuorvexMaster"),
                        {"--port", std::to_string(masterPort), "--bind", "127.0.0.1"});
    ASSERT_TRUE(master.WaitForLine("Listening on", 10s));
    ServerUnderTest server(ServerUnderTest::Setup().Arena());
    ASSERT_TRUE(server.ready);
    const std::vector<uint8_t> junk = Bytes("\x01\x02junk"), bare = Bytes("\xff\xff\xff\xff"),
                               getStatus = sm::MakeGetStatus("flood"),
                               getServers = sm::MakeGetServers(session::wire::kVersion, true, true);
    Flood game(kFlooder, server.port, {junk, bare, getStatus, sm::MakeGetInfo("flood")}, kFloodSockets);
    Flood list(kFlooder, masterPort, {junk, bare, getStatus, getServers}, kFloodSockets);
    Flood askGame(kAsker, server.port, {sm::MakeGetInfo("asker")}, 1);
    Flood askMaster(kAsker, masterPort, {getServers}, 1);

    const size_t total = kDatagramsPerSecond * kFloodSeconds;
    auto start = std::chrono::steady_clock::now();
    auto elapsedMs = [&] { return size_t((std::chrono::steady_clock::now() - start) / 1ms); };
    while (game.sent + list.sent < total)
    {
        size_t due = std::min(total, elapsedMs() * kDatagramsPerSecond / 1000);
        while (game.sent + list.sent < due)
            (game.sent <= list.sent ? game : list).SendOne();
        if (askGame.sent * 100 < elapsedMs()) // ten a second, as a browser refreshing hard would
            askGame.SendOne(), askMaster.SendOne();
        for (Flood* flood : {&game, &list, &askGame, &askMaster})
            flood->Drain();
        std::this_thread::sleep_for(1ms);
    }
    std::this_thread::sleep_for(500ms); // answers on their way
    for (Flood* flood : {&game, &list, &askGame, &askMaster})
        flood->Drain();

    EXPECT_GT(askGame.answers, 0u);
    EXPECT_GT(askMaster.answers, 0u);
    EXPECT_GT(game.answers, 0u) << "the flood reached the server";
    // Budgets are kept per second from an address's first answer: the run
    // touches at most its whole seconds plus one.
    size_t seconds = size_t(std::ceil(elapsedMs() / 1000.0)) + 1;
    EXPECT_LE(game.answers, 4 * seconds) << "4 answers a second to one address";
    EXPECT_LE(list.answers, 8 * seconds) << "8 answers a second to one address";
    EXPECT_EQ(server.ShutDown(), kExitHaltedByClient);
}
