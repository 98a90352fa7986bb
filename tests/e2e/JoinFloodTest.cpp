// Strangers flooding the real server with ENet connects must not keep a
// player out. The attacks come from other loopback addresses than the
// player's (127.0.0.1), crafted byte for byte: a burst of unacknowledged
// connects, a steady stream of them, and an attacker that can receive and so
// asks for real cookies. The player is a QuorvexProbe that joins the game.
#include "net/GameIdentity.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/MapFile.h"
#include "tests/support/ProbeOutput.h"
#include "tests/support/RawDatagrams.h"
#include "tests/support/ServerUnderTest.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <random>
#include <thread>

using namespace std::chrono_literals;
using namespace testing_support;

namespace
{
constexpr uint32_t kServerIpv4 = 0x7F000001;

// The arena with the default player limit: 4 players and the host's own make
// 5, plus 32 spare peers, so 40 half-open connects would fill every peer.
class ArenaServer : private ArenaData, public ServerUnderTest
{
public:
    ArenaServer() : ServerUnderTest(Setup().Data(folder.Path()).ReadyLine("Loading map... Maps\\Arena")) {}
};

// Joins as a player and plays for a moment; true when it got its ship.
::testing::AssertionResult PlayerJoins(const ArenaServer& server)
{
    auto player = server.Probe({"--join", "--name", "Player", "--duration", "1000"});
    int code = Finish(*player);
    if (code != 0)
        return ::testing::AssertionFailure()
               << "the player's probe ended with " << code << ": " << player->Stderr();
    if (JoinedShipId(*player) == 0)
        return ::testing::AssertionFailure() << "connected but got no ship";
    return ::testing::AssertionSuccess();
}

// Sends from its own thread until stopped, for at most a bound of time, and
// counts what it sent.
class Attacker
{
public:
    template <typename Send>
    explicit Attacker(Send send)
        : m_thread(
              [this, send]
              {
                  auto end = std::chrono::steady_clock::now() + 30s;
                  while (!m_stop && std::chrono::steady_clock::now() < end)
                      m_sent += send() ? 1 : 0;
              })
    {
    }
    ~Attacker() { Stop(); }
    void Stop()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    bool AwaitSent(int count)
    {
        auto deadline = std::chrono::steady_clock::now() + 20s;
        while (m_sent < count && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(5ms);
        return m_sent >= count;
    }
    int Sent() const { return m_sent; }

private:
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_sent{0};
    std::thread m_thread;
};
} // namespace

TEST(JoinFlood, BurstOfUnacknowledgedConnectsLeavesThePlayerJoining)
{
    ArenaServer server;
    ASSERT_TRUE(server.ready);
    std::mt19937 random(1);
    std::vector<std::unique_ptr<UdpSocket>> strangers;
    UdpSocket onePort(0x7F000002);
    for (uint32_t i = 0; i < 40; ++i)
    {
        strangers.push_back(std::make_unique<UdpSocket>(0x7F000002));
        strangers.back()->SendTo(kServerIpv4, server.port, EnetConnect(random(), i + 1));
        onePort.SendTo(kServerIpv4, server.port, EnetConnect(random(), 100 + i));
    }
    EXPECT_TRUE(PlayerJoins(server));
}

TEST(JoinFlood, StreamOfConnectsFromManyPortsLeavesThePlayerJoining)
{
    ArenaServer server;
    ASSERT_TRUE(server.ready);
    std::vector<std::unique_ptr<UdpSocket>> ports;
    for (int i = 0; i < 40; ++i)
        ports.push_back(std::make_unique<UdpSocket>(0x7F000003));
    std::mt19937 random(2);
    size_t next = 0;
    Attacker stream(
        [&]
        {
            std::this_thread::sleep_for(12500us); // 80 a second
            ports[next++ % ports.size()]->SendTo(kServerIpv4, server.port, EnetConnect(random(), random()));
            return true;
        });
    ASSERT_TRUE(stream.AwaitSent(80)) << "a second of the stream before the player comes";
    EXPECT_TRUE(PlayerJoins(server));
    stream.Stop();
    RecordProperty("connects_sent", stream.Sent());
}

TEST(JoinFlood, AttackerWithRealCookiesLeavesThePlayerJoining)
{
    ArenaServer server;
    ASSERT_TRUE(server.ready);
    const session::Guid game = *session::Guid::Parse(game_identity::kApplicationGuidText);
    std::vector<std::unique_ptr<UdpSocket>> ports;
    std::atomic<int> cookies{0};
    Attacker withCookies(
        [&]
        {
            if (ports.size() >= 400)
                return false;
            ports.push_back(std::make_unique<UdpSocket>(0x7F000004));
            std::optional<session::wire::CookieAnswer> cookie =
                AskForCookie(ports.back()->Fd(), kServerIpv4, server.port, game, 100ms);
            if (!cookie || cookie->status != session::wire::kCookieGranted)
                return false;
            ports.back()->SendTo(kServerIpv4, server.port, EnetConnect(cookie->cookie, ++cookies));
            return true;
        });
    ASSERT_TRUE(withCookies.AwaitSent(40)) << "enough connects with real cookies to fill every peer";
    EXPECT_TRUE(PlayerJoins(server));
    withCookies.Stop();
    RecordProperty("connects_with_cookies", withCookies.Sent());
}
