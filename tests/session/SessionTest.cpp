// The session service over real sockets on loopback: its wire format, hosting,
// joining and refusals, packets both ways, searches, and the attacks a public
// server meets (forged, stolen and unfinished joins, floods of requests).
#include "session/EnetSupport.h"
#include "session/SessionClient.h"
#include "session/SessionServer.h"
#include "session/SessionWire.h"

#include "tests/session/ServerThread.h"
#include "tests/support/Ports.h"
#include "tests/support/RawDatagrams.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <cstring>
#include <functional>
#include <mutex>
#include <netinet/in.h>
#include <optional>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace session;
using namespace std::chrono_literals;
using testing_support::AwaitVerifyConnect;
using testing_support::EnetConnect;
using testing_support::ServerThread;
using testing_support::UdpSocket;

namespace
{
const Guid kGame = *Guid::Parse("{1A0FA2EB-7FEB-44C0-999E-E930A50FFE80}");
const Guid kOtherGame = *Guid::Parse("{00000000-1111-2222-3333-444444444444}");
constexpr uint32_t kLoopback = 0x7F000001;

class RecordingClient : public ISessionClientEvents
{
public:
    void OnEnumHostsResponse(const SessionDescription& session, const HostAddress& address) override
    {
        answers.push_back({session, address});
    }
    void OnConnectComplete(ConnectResult result) override { connectResults.push_back(result); }
    void OnTerminateSession() override { ++terminations; }
    void OnReceive(const uint8_t* data, size_t size) override { received.emplace_back(data, data + size); }

    // Services the session until `done` holds or the time-out passes.
    bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s)
    {
        auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!done() && std::chrono::steady_clock::now() < deadline)
        {
            session.DoWork(10);
            std::this_thread::sleep_for(1ms);
        }
        return done();
    }

    std::vector<std::pair<SessionDescription, HostAddress>> answers;
    std::vector<ConnectResult> connectResults;
    std::vector<std::vector<uint8_t>> received;
    int terminations = 0;
    CSessionClient session{*this};
};

HostAddress Local(uint16_t port)
{
    return HostAddress{kLoopback, port};
}

std::vector<uint8_t> Bytes(const std::string& text)
{
    return {text.begin(), text.end()};
}

// Datagrams the next LossyClient to receive one throws away.
std::atomic<int> g_datagramsToLose{0};

// A bare ENet client that joins the way CSessionClient does, but whose host
// can be told to lose what it receives next, and that reports the reason the
// server gave when it disconnected.
class LossyClient
{
public:
    explicit LossyClient(uint16_t port)
    {
        enet::EnsureInitialized();
        m_host = enet_host_create(nullptr, 1, wire::kChannelCount, 0, 0);
        m_host->intercept = &LossyClient::Intercept;
        ENetAddress to = enet::ToEnet(Local(port));
        std::optional<wire::CookieAnswer> cookie =
            testing_support::AskForCookie(m_host->socket, kLoopback, port, kGame, 5s);
        m_peer = enet_host_connect(m_host, &to, wire::kChannelCount, cookie ? cookie->cookie : 0);
    }
    ~LossyClient() { enet_host_destroy(m_host); }

    bool Join() { return Service(true); }
    // The reason the server disconnected us with; none when it never did.
    std::optional<uint32_t> AwaitDisconnect()
    {
        Service(false);
        return disconnect;
    }

    std::optional<uint32_t> disconnect; // the reason the server gave

private:
    // Services the connection until the welcome (when `untilWelcome`) or the
    // server's disconnect; false when no welcome came.
    bool Service(bool untilWelcome)
    {
        ENetEvent event;
        auto deadline = std::chrono::steady_clock::now() + 10s;
        while (std::chrono::steady_clock::now() < deadline)
        {
            if (enet_host_service(m_host, &event, 2) <= 0)
                continue;
            if (event.type == ENET_EVENT_TYPE_CONNECT)
            {
                enet::ConfigurePeer(m_peer);
                std::vector<uint8_t> hello = wire::EncodeHello(kGame);
                enet_peer_send(m_peer, wire::kControlChannel,
                               enet_packet_create(hello.data(), hello.size(), ENET_PACKET_FLAG_RELIABLE));
            }
            else if (event.type == ENET_EVENT_TYPE_DISCONNECT)
            {
                disconnect = event.data;
                return false;
            }
            else if (event.type == ENET_EVENT_TYPE_RECEIVE)
            {
                bool welcome = wire::DecodeWelcome(event.packet->data, event.packet->dataLength).has_value();
                enet_packet_destroy(event.packet);
                if (welcome && untilWelcome)
                    return true;
            }
        }
        return false;
    }
    // Only this thread takes from the count, so checking first is safe.
    static int Intercept(ENetHost*, ENetEvent*)
    {
        if (g_datagramsToLose <= 0)
            return 0;
        --g_datagramsToLose;
        return 1;
    }

    ENetHost* m_host = nullptr;
    ENetPeer* m_peer = nullptr;
};
} // namespace

TEST(SessionWire, GuidTextRoundTripsAndRejectsMalformed)
{
    EXPECT_EQ(kGame.ToString(), "{1A0FA2EB-7FEB-44C0-999E-E930A50FFE80}");
    EXPECT_EQ(kGame.bytes[0], 0xEB) << "the first group is stored little-endian";
    EXPECT_FALSE(Guid::Parse("1A0FA2EB-7FEB-44C0-999E-E930A50FFE80"));
    EXPECT_FALSE(Guid::Parse("{1A0FA2EB-7FEB-44C0-999E-E930A50FFE8G}"));
    EXPECT_FALSE(Guid::Parse("{1A0FA2EB7-FEB-44C0-999E-E930A50FFE80}"));
}

// A request is padded to its exact size, so that no answer is larger than
// what asked for it: one byte more or less gets no answer.
TEST(SessionWire, RequestsAreReadOnlyAtTheirOwnSize)
{
    using Decode = std::function<std::optional<wire::TokenRequest>(const uint8_t*, size_t)>;
    const struct
    {
        std::vector<uint8_t> bytes;
        size_t size;
        Decode decode;
    } requests[] = {
        {wire::EncodeEnumQuery({kGame, 77}), wire::kEnumQuerySize, wire::DecodeEnumQuery},
        {wire::EncodeCookieRequest({kGame, 77}), wire::kCookieRequestSize, wire::DecodeCookieRequest},
    };
    for (const auto& request : requests)
    {
        std::vector<uint8_t> bytes = request.bytes;
        ASSERT_EQ(bytes.size(), request.size);
        std::optional<wire::TokenRequest> decoded = request.decode(bytes.data(), bytes.size());
        ASSERT_TRUE(decoded) << request.size;
        EXPECT_EQ(decoded->token, 77u);
        EXPECT_EQ(decoded->application, kGame);
        EXPECT_FALSE(request.decode(bytes.data(), bytes.size() - 1)) << request.size << ": one byte short";
        bytes.push_back(0);
        EXPECT_FALSE(request.decode(bytes.data(), bytes.size())) << request.size << ": one byte too long";
    }
}

TEST(SessionWire, AnswersFitTheirRequestAndCutOnesAreRejected)
{
    wire::EnumAnswer answer{{kGame, Guid::Random(), std::string(3000, 'n'), 5, 2}, 77};
    std::vector<uint8_t> bytes = wire::EncodeEnumAnswer(answer, wire::kEnumQuerySize);
    EXPECT_LE(bytes.size(), wire::kEnumQuerySize);
    std::optional<wire::EnumAnswer> decoded = wire::DecodeEnumAnswer(bytes.data(), bytes.size());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->session.sessionName.size(), wire::kEnumQuerySize - wire::kEnumAnswerHeaderSize);
    EXPECT_EQ(decoded->session.maxPlayers, 5u);
    for (size_t cut = 0; cut < bytes.size(); cut += 7)
        EXPECT_FALSE(wire::DecodeEnumAnswer(bytes.data(), cut)) << cut;

    std::vector<uint8_t> cookie = wire::EncodeCookieAnswer({99, wire::kCookieGranted, 0xC0FFEE});
    EXPECT_LE(cookie.size(), wire::kCookieRequestSize);
    std::optional<wire::CookieAnswer> granted = wire::DecodeCookieAnswer(cookie.data(), cookie.size());
    ASSERT_TRUE(granted);
    EXPECT_EQ(granted->cookie, 0xC0FFEEu);
    for (size_t cut = 0; cut < cookie.size(); ++cut)
        EXPECT_FALSE(wire::DecodeCookieAnswer(cookie.data(), cut)) << cut;
    cookie[9] = 3;
    EXPECT_FALSE(wire::DecodeCookieAnswer(cookie.data(), cookie.size())) << "no such status";

    std::vector<uint8_t> hello = wire::EncodeHello(kGame);
    EXPECT_EQ(wire::DecodeHello(hello.data(), hello.size()), kGame);
    hello.push_back(0);
    EXPECT_FALSE(wire::DecodeHello(hello.data(), hello.size())) << "trailing bytes";
    std::vector<uint8_t> welcome = wire::EncodeWelcome(0);
    EXPECT_FALSE(wire::DecodeWelcome(welcome.data(), welcome.size())) << "player 0 does not exist";
}

TEST(Session, HostPlayerComesFirstThenClientsExchangePackets)
{
    ServerThread server(kGame, 5);
    ASSERT_TRUE(server.hosted);
    RecordingClient client;
    ASSERT_EQ(client.session.Connect(Local(server.port), kGame), ConnectResult::Connected);
    EXPECT_EQ(client.connectResults, std::vector<ConnectResult>{ConnectResult::Connected});
    ASSERT_TRUE(server.WaitForEvent("create 2"));
    EXPECT_EQ(server.Events().front(), "create 1") << "the host's own player is created first";

    std::vector<uint8_t> echo = Bytes("echo");
    client.session.Send(echo.data(), echo.size());
    ASSERT_TRUE(client.PumpUntil([&] { return !client.received.empty(); }));
    EXPECT_EQ(client.received[0], echo);
    EXPECT_TRUE(server.WaitForEvent("receive 2 echo"));

    std::vector<uint8_t> all = Bytes("to everyone");
    server.Run(
        [&](CSessionServer& s)
        {
            EXPECT_TRUE(s.SendTo(0, all.data(), all.size()));
            EXPECT_TRUE(s.SendTo(s.GetHostPlayer(), all.data(), all.size()))
                << "no loopback, but not an error";
            EXPECT_FALSE(s.SendTo(999, all.data(), all.size()));
            EXPECT_EQ(s.GetPlayerCount(), 2u);
            std::optional<HostAddress> from = s.GetPlayerAddress(2);
            ASSERT_TRUE(from.has_value());
            EXPECT_EQ(from->ipv4, 0x7F000001u);
            EXPECT_NE(from->port, 0);
            EXPECT_FALSE(s.GetPlayerAddress(s.GetHostPlayer()).has_value());
            EXPECT_FALSE(s.GetPlayerAddress(999).has_value());
        });
    ASSERT_TRUE(client.PumpUntil([&] { return client.received.size() == 2; }));
    EXPECT_EQ(client.received[1], all);
}

TEST(Session, PlayerIdsAreNeverReused)
{
    ServerThread server(kGame, 0);
    for (int round = 0; round < 2; ++round)
    {
        RecordingClient client;
        ASSERT_EQ(client.session.Connect(Local(server.port), kGame), ConnectResult::Connected);
        client.session.Close();
    }
    EXPECT_TRUE(server.WaitForEvent("destroy 2", 2s)) << "a client that leaves is destroyed at once";
    EXPECT_TRUE(server.WaitForEvent("create 3"));
    EXPECT_TRUE(server.WaitForEvent("destroy 3", 2s));
}

TEST(Session, FullServerAndOtherApplicationAreRefusedAtOnce)
{
    ServerThread server(kGame, 2); // the host's own player and one client
    RecordingClient first;
    ASSERT_EQ(first.session.Connect(Local(server.port), kGame), ConnectResult::Connected);

    RecordingClient second;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(second.session.Connect(Local(server.port), kGame), ConnectResult::ServerFull);
    EXPECT_EQ(second.connectResults, std::vector<ConnectResult>{ConnectResult::ServerFull});
    EXPECT_FALSE(second.session.IsConnected());
    auto took =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    RecordProperty("refusal_ms", static_cast<int>(took.count()));

    RecordingClient stranger;
    EXPECT_EQ(stranger.session.Connect(Local(server.port), kOtherGame), ConnectResult::WrongApplication);

    first.session.Close();
    ASSERT_TRUE(server.WaitForEvent("destroy 2"));
    RecordingClient third;
    EXPECT_EQ(third.session.Connect(Local(server.port), kGame), ConnectResult::Connected) << "room again";
}

TEST(Session, ServerThatFilledAfterGrantingACookieRefusesAfterHello)
{
    ServerThread server(kGame, 2);
    LossyClient late(server.port); // has its cookie; its connect leaves when it is serviced
    RecordingClient first;
    ASSERT_EQ(first.session.Connect(Local(server.port), kGame), ConnectResult::Connected);
    EXPECT_FALSE(late.Join());
    EXPECT_EQ(late.disconnect, std::optional<uint32_t>(wire::kServerFull));
}

TEST(Session, NoServerMeansUnreachable)
{
    RecordingClient client;
    EXPECT_EQ(client.session.Connect(Local(testing_support::FreeUdpPort()), kGame),
              ConnectResult::Unreachable);
}

TEST(Session, LargePacketsArriveWholeAsUnreliableFragments)
{
    ServerThread server(kGame, 0);
    RecordingClient client;
    ASSERT_EQ(client.session.Connect(Local(server.port), kGame), ConnectResult::Connected);
    std::vector<uint8_t> big(100000);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<uint8_t>(i * 7);
    SessionStats before{};
    server.Run(
        [&](CSessionServer& s)
        {
            s.DoWork(0);
            before = s.GetStats();
            s.SendTo(0, big.data(), big.size());
            s.DoWork(0);
        });
    ASSERT_TRUE(client.PumpUntil([&] { return !client.received.empty(); }));
    EXPECT_EQ(client.received[0], big);
    SessionStats after{};
    server.Run([&](CSessionServer& s) { after = s.GetStats(); });
    uint64_t datagrams = after.datagramsSent - before.datagramsSent;
    EXPECT_GE(datagrams, big.size() / 1400);
    EXPECT_LE(datagrams, big.size() / 1300 + 3) << "each fragment is sent once";
}

TEST(Session, ServerCloseTerminatesClientsAtOnce)
{
    auto server = std::make_unique<ServerThread>(kGame, 0);
    RecordingClient client;
    ASSERT_EQ(client.session.Connect(Local(server->port), kGame), ConnectResult::Connected);
    server->Stop();
    EXPECT_TRUE(client.PumpUntil([&] { return client.terminations == 1; }, 2s));
    EXPECT_FALSE(client.session.IsConnected());
    std::vector<uint8_t> data = Bytes("late");
    EXPECT_FALSE(client.session.Send(data.data(), data.size()));
    client.session.DoWork(10);
    EXPECT_EQ(client.terminations, 1) << "reported once";
}

TEST(Session, ServerCloseReachesAClientThatLostTheFirstNotice)
{
    ServerThread server(kGame, 0);
    LossyClient client(server.port);
    ASSERT_TRUE(client.Join());
    ASSERT_TRUE(server.WaitForEvent("create 2"));

    std::thread closer(
        [&]
        {
            server.Run(
                [](CSessionServer& s)
                {
                    g_datagramsToLose = 1; // the disconnect notice
                    s.Close();
                });
        });
    std::optional<uint32_t> reason = client.AwaitDisconnect();
    closer.join();
    g_datagramsToLose = 0;
    ASSERT_TRUE(reason) << "never disconnected";
    EXPECT_EQ(*reason, static_cast<uint32_t>(wire::kSessionClosed))
        << "the server resends the notice while closing instead of leaving the client to time out";
}

TEST(Session, EnumerationByHostNameDescribesTheSession)
{
    ServerThread server(kGame, 5, "Arena");
    RecordingClient client;
    EnumParams params{"127.0.0.1", server.port, kGame, 2, 100};
    ASSERT_EQ(client.session.EnumHosts(params), EnumResult::Ok);
    ASSERT_EQ(client.answers.size(), 2u) << "one answer per attempt";
    const auto& [session, address] = client.answers[0];
    EXPECT_EQ(session.sessionName, "Arena");
    EXPECT_EQ(session.maxPlayers, 5u);
    EXPECT_EQ(session.currentPlayers, 1u) << "the host's own player";
    EXPECT_EQ(session.application, kGame);
    EXPECT_EQ(session.instance, client.answers[1].first.instance);
    EXPECT_EQ(address, Local(server.port));

    params.application = kOtherGame;
    client.answers.clear();
    client.session.EnumHosts(params);
    EXPECT_TRUE(client.answers.empty()) << "servers of other games stay quiet";

    params.hostName = "no-such-host.invalid";
    EXPECT_EQ(client.session.EnumHosts(params), EnumResult::UnknownHost);
}

TEST(Session, EnumerationByLoopbackBroadcast)
{
    ServerThread server(kGame, 0, "Broadcast", 0); // broadcasts reach only sockets bound to every interface
    setenv("QUORVEX_BROADCAST", "127.255.255.255", 1);
    RecordingClient client;
    EnumParams params{"", server.port, kGame, 1, 200};
    ASSERT_EQ(client.session.EnumHosts(params), EnumResult::Ok);
    unsetenv("QUORVEX_BROADCAST");
    ASSERT_FALSE(client.answers.empty());
    EXPECT_EQ(client.answers[0].first.sessionName, "Broadcast");
}

TEST(Session, AnswersAreRateLimitedPerSourceAddress)
{
    ServerThread server(kGame, 0);
    RecordingClient client;
    EnumParams params{"127.0.0.1", server.port, kGame, 25, 5};
    client.session.EnumHosts(params); // 25 queries within about 125 ms
    EXPECT_EQ(client.answers.size(), static_cast<size_t>(wire::kEnumAnswersPerSecond));
}

TEST(Session, GarbageDatagramsLeaveTheServerServing)
{
    ServerThread server(kGame, 0);
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(server.port);
    to.sin_addr.s_addr = htonl(kLoopback);
    uint32_t state = 12345;
    for (int i = 0; i < 2000; ++i)
    {
        uint8_t junk[1500];
        size_t size = 1 + (i * 37) % sizeof junk;
        for (size_t j = 0; j < size; ++j)
            junk[j] = static_cast<uint8_t>((state = state * 1103515245 + 12345) >> 16);
        if (i % 3 == 0)
            std::memcpy(junk, "QVXQ", 4);
        sendto(fd, junk, size, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    }
    close(fd);
    RecordingClient client;
    EXPECT_EQ(client.session.Connect(Local(server.port), kGame), ConnectResult::Connected);
}

namespace
{
// Sends, from `socket`, an ENet connect with a cookie the server gave it.
void ConnectWithCookie(UdpSocket& socket, uint16_t port, uint32_t connectId)
{
    std::optional<wire::CookieAnswer> cookie =
        testing_support::AskForCookie(socket.Fd(), kLoopback, port, kGame, 5s);
    ASSERT_TRUE(cookie && cookie->status == wire::kCookieGranted);
    socket.SendTo(kLoopback, port, EnetConnect(cookie->cookie, connectId));
}

// Joins that ENet's handshake started and that are never finished: each
// socket connects with a real cookie and never acknowledges the answer.
std::vector<std::unique_ptr<UdpSocket>> HalfOpenJoins(uint32_t ipv4, int count, uint16_t port)
{
    std::vector<std::unique_ptr<UdpSocket>> joins;
    for (int i = 0; i < count; ++i)
    {
        joins.push_back(std::make_unique<UdpSocket>(ipv4));
        ConnectWithCookie(*joins.back(), port, 100 + i);
        EXPECT_TRUE(AwaitVerifyConnect(*joins.back(), 10s)) << "join " << i << " from " << std::hex << ipv4;
    }
    return joins;
}
} // namespace

// Forty 52-byte connects that are never acknowledged would hold every peer of
// a server with a limit of 8 (8 + 32 spare) while ENet resends its answers.
TEST(SessionAttack, UnacknowledgedConnectBurstLeavesRoomForPlayers)
{
    ServerThread server(kGame, 8);
    std::vector<std::unique_ptr<testing_support::UdpSocket>> strangers;
    for (uint32_t i = 0; i < 40; ++i)
    {
        strangers.push_back(std::make_unique<testing_support::UdpSocket>(0x7F000002));
        strangers.back()->SendTo(kLoopback, server.port,
                                 testing_support::EnetConnect(0x9E3779B9u * (i + 1), i + 1));
    }
    RecordingClient client;
    EXPECT_EQ(client.session.Connect(Local(server.port), kGame), ConnectResult::Connected);
}

// The server answers a connect it made a peer for with a VERIFY_CONNECT; the
// datagrams of one test reach it in the order they were sent, so once a later
// connect is answered, an earlier one that was not never will be.
TEST(SessionAttack, ConnectsWithoutTheirOwnValidCookieMakeNoPeer)
{
    ServerThread server(kGame, 8);
    UdpSocket honest(0x7F000003);
    std::optional<wire::CookieAnswer> cookie =
        testing_support::AskForCookie(honest.Fd(), kLoopback, server.port, kGame, 5s);
    ASSERT_TRUE(cookie);
    UdpSocket forger(0x7F000002);
    UdpSocket thief(0x7F000003); // same address, another port
    forger.SendTo(kLoopback, server.port, EnetConnect(0xDEADBEEF, 1));
    thief.SendTo(kLoopback, server.port, EnetConnect(cookie->cookie, 2));
    honest.SendTo(kLoopback, server.port, EnetConnect(cookie->cookie, 3));
    ASSERT_TRUE(AwaitVerifyConnect(honest, 10s));
    EXPECT_FALSE(forger.Receive(0ms)) << "a made-up cookie";
    EXPECT_FALSE(thief.Receive(0ms)) << "a cookie issued to another port";
}

TEST(SessionAttack, OneAddressHoldsFewUnfinishedJoinsAndTheyAreDroppedSoon)
{
    ServerThread server(kGame, 8);
    auto halfOpen = HalfOpenJoins(0x7F000002, 4, server.port);
    UdpSocket fifth(0x7F000002);
    ConnectWithCookie(fifth, server.port, 5);
    UdpSocket elsewhere(0x7F000003);
    ConnectWithCookie(elsewhere, server.port, 6);
    ASSERT_TRUE(AwaitVerifyConnect(elsewhere, 10s)) << "the limit is per address";
    EXPECT_FALSE(fifth.Receive(0ms)) << "a fifth unfinished join from one address";

    RecordingClient client;
    EXPECT_EQ(client.session.Connect(Local(server.port), kGame), ConnectResult::Connected);

    // ENet alone would keep the half-open peers for about 30 s.
    auto start = std::chrono::steady_clock::now();
    bool joined = false;
    for (uint32_t attempt = 0; !joined && std::chrono::steady_clock::now() - start < 20s; ++attempt)
    {
        ConnectWithCookie(fifth, server.port, 10 + attempt);
        joined = AwaitVerifyConnect(fifth, 250ms);
    }
    EXPECT_TRUE(joined) << "the unfinished joins were dropped, making room for the address again";
    RecordProperty("half_open_dropped_after_ms",
                   static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now() - start)
                                        .count()));
}

TEST(SessionAttack, ServerWithoutAFreePeerSaysItIsFull)
{
    ServerThread server(kGame, 2); // 2 + 32 spare peers
    auto start = std::chrono::steady_clock::now();
    std::vector<std::unique_ptr<UdpSocket>> halfOpen;
    for (uint32_t host = 1; halfOpen.size() < 34; ++host)
        for (auto& join :
             HalfOpenJoins(0x7F000100 + host, std::min<int>(4, 34 - halfOpen.size()), server.port))
            halfOpen.push_back(std::move(join));
    if (std::chrono::steady_clock::now() - start > 3s)
        GTEST_SKIP() << "too slow to hold every peer before the first joins are dropped";
    RecordingClient client;
    EXPECT_EQ(client.session.Connect(Local(server.port), kGame), ConnectResult::ServerFull)
        << "a refusal, not silence";
}

TEST(SessionAttack, CookieAnswersAreRateLimitedPerSourceAddress)
{
    ServerThread server(kGame, 8);
    UdpSocket asker(0x7F000005);
    std::vector<uint8_t> request = wire::EncodeCookieRequest({kGame, 1});
    for (int i = 0; i < 2 * wire::kCookieAnswersPerSecond; ++i)
        asker.SendTo(kLoopback, server.port, request);
    int answers = 0;
    while (asker.Receive(500ms))
        ++answers;
    EXPECT_EQ(answers, wire::kCookieAnswersPerSecond);
}
