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

#include <atomic>
#include <functional>
#include <numeric>
#include <optional>
#include <thread>

using namespace session;
using namespace std::chrono_literals;
using namespace testing_support;

namespace
{
const Guid kGame = *Guid::Parse("{1A0FA2EB-7FEB-44C0-999E-E930A50FFE80}");
const Guid kOtherGame = *Guid::Parse("{00000000-1111-2222-3333-444444444444}");
constexpr uint32_t kLoopback = 0x7F000001;
constexpr uint8_t kEnetCompressedFlag = 0x40; // of an ENet header's first byte

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
    ConnectResult Connect(uint16_t port, const Guid& application = kGame)
    {
        return session.Connect(HostAddress{kLoopback, port}, application);
    }
    // Services the session until `done` holds or the time-out passes.
    bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s)
    {
        return PollUntil(
            done, [this] { session.DoWork(10), std::this_thread::sleep_for(1ms); }, timeout);
    }
    std::vector<std::pair<SessionDescription, HostAddress>> answers;
    std::vector<ConnectResult> connectResults;
    std::vector<std::string> received;
    int terminations = 0;
    CSessionClient session{*this};
};

// Datagrams the next LossyClient to receive one throws away.
std::atomic<int> g_datagramsToLose{0};

// A bare ENet client that joins the way CSessionClient does, but whose host
// can be told to lose what it receives next, and that reports the reason the
// server gave when it disconnected.
class LossyClient
{
public:
    explicit LossyClient(uint16_t port, std::vector<uint8_t> hello = wire::EncodeHello(kGame))
        : m_hello(std::move(hello))
    {
        enet::EnsureInitialized();
        m_host = enet_host_create(nullptr, 1, wire::kChannelCount, 0, 0);
        enet::UseRangeCoder(m_host, enet::RangeCoding::DecompressReceipts);
        m_host->intercept = &LossyClient::Intercept;
        ENetAddress to = enet::ToEnet(HostAddress{kLoopback, port});
        std::optional<wire::CookieAnswer> cookie = AskForCookie(m_host->socket, kLoopback, port, kGame, 5s);
        m_peer = enet_host_connect(m_host, &to, wire::kChannelCount, cookie ? cookie->cookie : 0);
    }
    ~LossyClient() { enet_host_destroy(m_host); }
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
                enet_peer_send(m_peer, wire::kControlChannel,
                               enet_packet_create(m_hello.data(), m_hello.size(), ENET_PACKET_FLAG_RELIABLE));
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
    std::optional<uint32_t> disconnect; // the reason the server gave

private:
    // Only this thread takes from the count, so checking first is safe.
    static int Intercept(ENetHost*, ENetEvent*)
    {
        if (g_datagramsToLose <= 0)
            return 0;
        --g_datagramsToLose;
        return 1;
    }
    std::vector<uint8_t> m_hello;
    ENetHost* m_host = nullptr;
    ENetPeer* m_peer = nullptr;
};

// `bytes`, one of our control datagrams, as a client of the previous version wrote it.
std::vector<uint8_t> OfPreviousVersion(std::vector<uint8_t> bytes)
{
    bytes[4] = wire::kVersion - 1;
    return bytes;
}

// Bytes shaped like a batch of state messages, which the server's range coder
// shrinks: short records of fixed fields around a counting id.
std::string StateLikeBatch(size_t size)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i % 4 == 1 ? i / 8 : i % 8 * 5);
    return bytes;
}

// Sends, from `socket`, an ENet connect with a cookie the server gave it and
// `headerFlags` set in its header's first byte.
void ConnectWithCookie(UdpSocket& socket, uint16_t port, uint32_t connectId, uint8_t headerFlags = 0)
{
    std::optional<wire::CookieAnswer> cookie = AskForCookie(socket.Fd(), kLoopback, port, kGame, 5s);
    ASSERT_TRUE(cookie && cookie->status == wire::kCookieGranted);
    std::vector<uint8_t> connect = EnetConnect(cookie->cookie, connectId);
    connect[0] |= headerFlags;
    socket.SendTo(kLoopback, port, connect);
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

TEST(SessionWire, GuidTextRoundTripsAndRejectsMalformed)
{
    EXPECT_EQ(kGame.ToString(), "{1A0FA2EB-7FEB-44C0-999E-E930A50FFE80}");
    EXPECT_EQ(kGame.bytes[0], 0xEB) << "the first group is stored little-endian";
    for (const char* bad : {"1A0FA2EB-7FEB-44C0-999E-E930A50FFE80", "{1A0FA2EB-7FEB-44C0-999E-E930A50FFE8G}",
                            "{1A0FA2EB7-FEB-44C0-999E-E930A50FFE80}"})
        EXPECT_FALSE(Guid::Parse(bad)) << bad;
}

// A request is padded to its exact size, so that no answer is larger than
// what asked for it: one byte more or less gets no answer.
TEST(SessionWire, RequestsAreReadOnlyAtTheirOwnSize)
{
    using Decode = std::function<std::optional<wire::TokenRequest>(const uint8_t*, size_t)>;
    const std::tuple<std::vector<uint8_t>, size_t, Decode> requests[] = {
        {wire::EncodeEnumQuery({kGame, 77}), wire::kEnumQuerySize, wire::DecodeEnumQuery},
        {wire::EncodeCookieRequest({kGame, 77}), wire::kCookieRequestSize, wire::DecodeCookieRequest},
    };
    for (auto [bytes, size, decode] : requests)
    {
        ASSERT_EQ(bytes.size(), size);
        std::optional<wire::TokenRequest> decoded = decode(bytes.data(), bytes.size());
        ASSERT_TRUE(decoded) << size;
        EXPECT_EQ(std::tuple(decoded->token, decoded->application), std::tuple(77u, kGame));
        EXPECT_FALSE(decode(bytes.data(), bytes.size() - 1)) << size << ": one byte short";
        std::vector<uint8_t> previous = OfPreviousVersion(bytes);
        decoded = decode(previous.data(), previous.size());
        EXPECT_EQ(decoded ? std::optional(decoded->version) : std::nullopt,
                  size == wire::kCookieRequestSize ? std::optional(wire::kVersion - 1) : std::nullopt)
            << size << ": only a cookie request is read in any version, to be refused";
        bytes.push_back(0);
        EXPECT_FALSE(decode(bytes.data(), bytes.size())) << size << ": one byte too long";
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
    cookie[9] = wire::kCookieBanned + 1;
    EXPECT_FALSE(wire::DecodeCookieAnswer(cookie.data(), cookie.size())) << "no such status";
    std::vector<uint8_t> hello = wire::EncodeHello(kGame);
    EXPECT_EQ(wire::DecodeHello(hello.data(), hello.size()), kGame);
    hello.push_back(0);
    EXPECT_FALSE(wire::DecodeHello(hello.data(), hello.size())) << "trailing bytes";
    std::vector<uint8_t> welcome = wire::EncodeWelcome(0);
    EXPECT_FALSE(wire::DecodeWelcome(welcome.data(), welcome.size())) << "player 0 does not exist";
}

TEST(Session, HostPlayerComesFirstThenPacketsGoBothWaysUntilTheServerCloses)
{
    ServerThread server(kGame, 5);
    ASSERT_TRUE(server.hosted);
    RecordingClient client;
    ASSERT_EQ(client.Connect(server.port), ConnectResult::Connected);
    EXPECT_EQ(client.connectResults, std::vector<ConnectResult>{ConnectResult::Connected});
    ASSERT_TRUE(server.WaitForEvent("create 2"));
    EXPECT_EQ(server.Events().front(), "create 1") << "the host's own player is created first";
    client.session.Send(reinterpret_cast<const uint8_t*>("echo"), 4);
    ASSERT_TRUE(client.PumpUntil([&] { return !client.received.empty(); }));
    EXPECT_EQ(client.received[0], "echo") << "the server echoes what player 2 sent";
    // Sent compressed, the large one as unreliable fragments, arriving whole.
    std::string big = StateLikeBatch(100000), small = StateLikeBatch(1000);
    SessionStats before{}, after{};
    server.Run(
        [&](CSessionServer& s)
        {
            s.DoWork(0);
            before = s.GetStats();
            EXPECT_TRUE(s.SendTo(0, reinterpret_cast<const uint8_t*>(big.data()), big.size()));
            EXPECT_TRUE(s.SendTo(2, reinterpret_cast<const uint8_t*>(small.data()), small.size()));
            s.DoWork(0);
            const uint8_t one = 1;
            EXPECT_TRUE(s.SendTo(s.GetHostPlayer(), &one, 1)) << "no loopback, but not an error";
            EXPECT_FALSE(s.SendTo(999, &one, 1));
            EXPECT_EQ(s.GetPlayerCount(), 2u);
            std::optional<HostAddress> from = s.GetPlayerAddress(2);
            ASSERT_TRUE(from.has_value());
            EXPECT_EQ(from->ipv4, kLoopback);
            EXPECT_NE(from->port, 0);
            EXPECT_FALSE(s.GetPlayerAddress(s.GetHostPlayer()).has_value());
            EXPECT_FALSE(s.GetPlayerAddress(999).has_value());
        });
    ASSERT_TRUE(client.PumpUntil([&] { return client.received.size() == 3; }));
    EXPECT_EQ(std::ranges::count(client.received, big), 1);
    EXPECT_EQ(std::ranges::count(client.received, small), 1);
    server.Run([&](CSessionServer& s) { after = s.GetStats(); });
    EXPECT_LT(after.bytesSent - before.bytesSent, big.size() * 3 / 4) << "compressed";
    EXPECT_GE(after.datagramsSent - before.datagramsSent, big.size() / 1400);
    EXPECT_LE(after.datagramsSent - before.datagramsSent, big.size() / 1300 + 3)
        << "each fragment is sent once";
    server.Stop();
    EXPECT_TRUE(client.PumpUntil([&] { return client.terminations == 1; }, 2s)) << "at once";
    EXPECT_FALSE(client.session.IsConnected());
    EXPECT_FALSE(client.session.Send(reinterpret_cast<const uint8_t*>("late"), 4));
    client.session.DoWork(10);
    EXPECT_EQ(client.terminations, 1) << "reported once";
}

// A full server refuses at once, even one that filled after it granted the
// join's cookie; a player who leaves makes room, and ids are never reused.
// Closing, the server resends its notice to a client that lost the first.
TEST(Session, RefusalsRoomAgainAndClosing)
{
    RecordingClient nobody;
    EXPECT_EQ(nobody.Connect(FreeUdpPort()), ConnectResult::Unreachable);
    ServerThread server(kGame, 2); // the host's own player and one client
    LossyClient late(server.port); // has its cookie; its connect leaves when it is serviced
    RecordingClient first;
    ASSERT_EQ(first.Connect(server.port), ConnectResult::Connected);
    EXPECT_FALSE(late.Service(true));
    EXPECT_EQ(late.disconnect, std::optional<uint32_t>(wire::kServerFull));
    RecordingClient second;
    EXPECT_EQ(second.Connect(server.port), ConnectResult::ServerFull);
    EXPECT_EQ(second.connectResults, std::vector<ConnectResult>{ConnectResult::ServerFull});
    EXPECT_FALSE(second.session.IsConnected());
    RecordingClient stranger;
    EXPECT_EQ(stranger.Connect(server.port, kOtherGame), ConnectResult::WrongApplication);
    UdpSocket oldClient(kLoopback); // its cookie request refused in words it reads
    oldClient.SendTo(kLoopback, server.port, OfPreviousVersion(wire::EncodeCookieRequest({kGame, 5})));
    std::optional<std::vector<uint8_t>> refusal = oldClient.Receive(5s);
    ASSERT_TRUE(refusal && refusal->size() == wire::kCookieAnswerSize);
    EXPECT_EQ(*refusal, OfPreviousVersion(wire::EncodeCookieAnswer({5, wire::kCookieWrongApplication, 0})));
    first.session.Close();
    EXPECT_TRUE(server.WaitForEvent("destroy 2", 2s)) << "a client that leaves is destroyed at once";
    LossyClient oldHello(server.port, OfPreviousVersion(wire::EncodeHello(kGame)));
    EXPECT_FALSE(oldHello.Service(true));
    EXPECT_EQ(oldHello.disconnect, std::optional<uint32_t>(wire::kBadHandshake));
    LossyClient third(server.port);
    EXPECT_TRUE(third.Service(true)) << "room again";
    EXPECT_TRUE(server.WaitForEvent("create 3"));
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
    third.Service(false);
    closer.join();
    g_datagramsToLose = 0;
    EXPECT_EQ(third.disconnect, std::optional<uint32_t>(wire::kSessionClosed))
        << "the server resends the notice while closing instead of leaving the client to time out";
}

// A search is answered only for its own game, with the session as it
// stands, and one address gets at most kEnumAnswersPerSecond answers a second
// (the broadcast is the end-to-end search test's); so are cookie requests.
// Forty 52-byte connects with made-up cookies (had they been let through,
// they would hold every peer of a server with a limit of 8, 8 + 32 spare,
// while ENet resends its answers) leave room for players.
TEST(SessionAttack, SearchesAnswerOnlyTheirGameAtARateAndForgedConnectsLeaveRoom)
{
    ServerThread server(kGame, 8, "Arena");
    std::vector<std::unique_ptr<UdpSocket>> strangers;
    for (uint32_t i = 0; i < 40; ++i)
    {
        strangers.push_back(std::make_unique<UdpSocket>(0x7F000010 + i / 4)); // within the per-address limit
        strangers.back()->SendTo(kLoopback, server.port, EnetConnect(0x9E3779B9u * (i + 1), i + 1));
    }
    RecordingClient client;
    EXPECT_EQ(client.Connect(server.port), ConnectResult::Connected);
    client.session.EnumHosts(EnumParams{"127.0.0.1", server.port, kOtherGame, 1, 100, {}});
    EXPECT_TRUE(client.answers.empty()) << "servers of other games stay quiet";
    client.session.EnumHosts(
        EnumParams{"127.0.0.1", server.port, kGame, 25, 5, {}}); // 25 queries in about 125 ms
    ASSERT_EQ(client.answers.size(), static_cast<size_t>(wire::kEnumAnswersPerSecond));
    const auto& [session, address] = client.answers[0];
    EXPECT_EQ(
        std::tuple(session.sessionName, session.maxPlayers, session.currentPlayers, session.application),
        std::tuple("Arena", 8u, 2u, kGame))
        << "the host's own player counts";
    EXPECT_EQ(session.instance, client.answers.back().first.instance);
    EXPECT_EQ(address, (HostAddress{kLoopback, server.port}));
    UdpSocket asker(0x7F000005);
    std::vector<uint8_t> request = wire::EncodeCookieRequest({kGame, 1});
    for (int i = 0; i < 2 * wire::kCookieAnswersPerSecond; ++i)
        asker.SendTo(kLoopback, server.port, request);
    int answers = 0;
    while (asker.Receive(500ms))
        ++answers;
    EXPECT_EQ(answers, wire::kCookieAnswersPerSecond);
}

// The server answers a connect it made a peer for with a VERIFY_CONNECT; the
// datagrams of one test reach it in the order they were sent, so once a later
// connect is answered, an earlier one that was not never will be. One address
// holds few unfinished joins, which are dropped soon. (Whose cookie is whose
// is the join cookie units'.)
TEST(SessionAttack, OneAddressHoldsFewUnfinishedJoinsAndThoseAreDroppedSoon)
{
    ServerThread server(kGame, 8);
    auto halfOpen = HalfOpenJoins(0x7F000002, 4, server.port);
    UdpSocket fifth(0x7F000002);
    ConnectWithCookie(fifth, server.port, 5);
    UdpSocket compressed(0x7F000004);
    ConnectWithCookie(compressed, server.port, 7, kEnetCompressedFlag);
    UdpSocket elsewhere(0x7F000003);
    ConnectWithCookie(elsewhere, server.port, 6);
    ASSERT_TRUE(AwaitVerifyConnect(elsewhere, 10s)) << "the limit is per address";
    EXPECT_FALSE(fifth.Receive(0ms)) << "a fifth unfinished join from one address";
    EXPECT_FALSE(compressed.Receive(0ms)) << "a connect marked compressed, even with a valid cookie";
    RecordingClient client;
    EXPECT_EQ(client.Connect(server.port), ConnectResult::Connected);
    // ENet alone would keep the half-open peers for about 30 s.
    uint32_t attempt = 0;
    auto joined = [&] { return attempt > 0 && AwaitVerifyConnect(fifth, 250ms); };
    EXPECT_TRUE(PollUntil(
        joined, [&] { ConnectWithCookie(fifth, server.port, 10 + attempt++); }, 20s))
        << "the unfinished joins were dropped, making room for the address again";
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
    EXPECT_EQ(client.Connect(server.port), ConnectResult::ServerFull) << "a refusal, not silence";
}

// getinfo and getstatus on the game port, as a master and a server browser
// ask them, and the heartbeat leaving from that port; the answers are
// rate-limited for each address and in all.
TEST(SessionStatus, GetInfoAndGetStatusAnswerFromTheGameAtARate)
{
    struct Source : IServerStatusSource
    {
        ServerStatus GetServerStatus() override
        {
            return {"1.02", "duel", 1, 1, 8, {{5, 48, "Ann\\\"x"}, {-2, 0, "Zed [bot]"}}};
        }
    } source;
    ServerThread server(kGame, 8, "Arena\nTwo");
    UdpSocket master(0x7F000006);
    server.Run(
        [&](CSessionServer& session)
        {
            session.SetStatusSource(&source),
                session.SendDatagram({0x7F000006, master.Port()}, master::MakeHeartbeat());
        });
    EXPECT_EQ(master.Receive(5s), master::MakeHeartbeat());

    master.SendTo(kLoopback, server.port, master::MakeGetInfo("c4Lg"));
    std::optional<std::vector<uint8_t>> info = master.Receive(5s);
    master::InfoPairs pairs;
    ASSERT_TRUE(info && master::ParseInfoResponse(info->data(), info->size(), pairs));
    EXPECT_EQ(pairs, (master::InfoPairs{{"challenge", "c4Lg"},
                                        {"gamename", "Quorvex"},
                                        {"protocol", std::to_string(wire::kVersion)},
                                        {"gameversion", "1.02"},
                                        {"hostname", "Arena?Two"},
                                        {"mapname", "duel"},
                                        {"clients", "1"},
                                        {"bots", "1"},
                                        {"sv_maxclients", "8"}}));
    master.SendTo(kLoopback, server.port, master::MakeGetStatus("s"));
    std::optional<std::vector<uint8_t>> status = master.Receive(5s);
    ASSERT_TRUE(status);
    std::string text(status->begin(), status->end());
    EXPECT_TRUE(text.ends_with("\\sv_maxclients\\8\n5 48 \"Ann??x\"\n-2 0 \"Zed [bot]\"\n")) << text;

    std::vector<std::unique_ptr<UdpSocket>> askers;
    for (uint32_t i = 0; i < 16; ++i)
    {
        askers.push_back(std::make_unique<UdpSocket>(0x7F000020 + i));
        for (int query = 0; query < 6; ++query)
            askers.back()->SendTo(kLoopback, server.port, master::MakeGetInfo("x"));
    }
    std::vector<int> answers;
    for (auto& asker : askers)
        for (answers.push_back(0); asker->Receive(200ms);)
            ++answers.back();
    EXPECT_EQ(answers[0], 4) << "a few for one address";
    EXPECT_EQ(std::accumulate(answers.begin(), answers.end(), 2), 40)
        << "and a bound in all, the two above included";
}

// What a player types in the address entry: the port after a colon replaces
// the default; a port outside 1 to 65535, or not a number, is refused.
TEST(TypedAddress, PortAfterTheColonReplacesTheDefaultAndBadPortsAreRefused)
{
    struct Row
    {
        const char* typed;
        EnumResult result;
        uint16_t port;
    };
    const Row rows[] = {
        {"127.0.0.1", EnumResult::Ok, 3001},         {"127.0.0.1:4000", EnumResult::Ok, 4000},
        {"localhost:65535", EnumResult::Ok, 65535},  {"127.0.0.1:0", EnumResult::BadPort, 0},
        {"127.0.0.1:70000", EnumResult::BadPort, 0}, {"127.0.0.1:x", EnumResult::BadPort, 0},
        {"127.0.0.1:", EnumResult::BadPort, 0},      {"no.such.host.invalid", EnumResult::UnknownHost, 0}};
    for (const Row& row : rows)
    {
        HostAddress address;
        EXPECT_EQ(CSessionClient::ResolveTyped(row.typed, 3001, address), row.result) << row.typed;
        if (row.result == EnumResult::Ok)
        {
            EXPECT_EQ(address, (HostAddress{0x7F000001, row.port})) << row.typed;
        }
    }
}
